#pragma once

#include <string>
#include <vector>

namespace magtune {

// The folder of the running executable (no trailing slash); "." when the
// system cannot tell.
std::string ProgramFolder();

// The user's home folder: $HOME when absolute, else the password database's.
std::string HomeFolder();

// Where the helpers the programs start or load (the USB and wedge libraries,
// the USB server) are looked for, in this order: beside the program, as in a
// build tree, then the installation's private folder, which lies at a fixed
// place relative to the program's (../lib/<triplet>/magtune from /usr/bin).
std::vector<std::string> HelperFolders();

// Whether the path names a file that this process may run.
bool IsExecutableFile(const std::string& path);

// The user's configuration folder for this program: $XDG_CONFIG_HOME/magtune,
// or ~/.config/magtune (HOME, else the password database). Not created here.
std::string UserConfigFolder();

// The user's folder for what the program keeps between runs that is neither
// a preference nor a document (the recovery copy of a changed setting):
// $XDG_STATE_HOME/magtune, or ~/.local/state/magtune. Not created here.
std::string UserStateFolder();

// The folder part of a path ("." for a bare name, "/" for a file at the root).
std::string ParentFolder(const std::string& path);

// Creates the folder and any missing parents (mode 0700 for new ones).
bool MakeFolders(const std::string& path, int& errorCode);

}  // namespace magtune
