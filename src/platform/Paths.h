#pragma once

#include <string>
#include <vector>

namespace magtune::platform {

// The folder of the running executable (no trailing slash); "." when the
// system cannot tell.
std::string ProgramFolder();

// The user's home folder: $HOME when absolute, else the password database's;
// "" when there is none (never a shared folder such as /tmp).
std::string HomeFolder();

// Where the helpers the programs start or load (the USB and wedge libraries,
// the USB server) are looked for, in this order: beside the program, as in a
// build tree, then the installation's private folder, which lies at a fixed
// place relative to the program's (../lib/<triplet>/magtune from /usr/bin).
std::vector<std::string> HelperFolders();

// Whether the running program is an installed copy: its installation's
// private folder lies beside it (see HelperFolders).
bool ProgramIsInstalled();

// Whether the path names a file that this process may run.
bool IsExecutableFile(const std::string& path);

// The user's configuration folder for this program: $XDG_CONFIG_HOME/magtune,
// or ~/.config/magtune (HOME, else the account's home in the password
// database). "" when the user has no home folder at all: then nothing is
// kept, rather than keeping it in a folder that others can write. Not
// created here.
std::string UserConfigFolder();

// The user's folder for what the program keeps between runs that is neither
// a preference nor a document (the recovery copy of a changed setting, the
// transfer logs): $XDG_STATE_HOME/magtune, or ~/.local/state/magtune; "" as
// above. Not created here.
std::string UserStateFolder();

// folder + "/" + name, or "" when the folder is unknown ("").
std::string UserFilePath(const std::string& folder, const std::string& name);

// The folder part of a path ("." for a bare name, "/" for a file at the root).
std::string ParentFolder(const std::string& path);

// Creates the folder and any missing parents (mode 0700 for new ones).
bool MakeFolders(const std::string& path, int& errorCode);

}  // namespace magtune::platform
