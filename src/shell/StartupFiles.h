#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace magtune::shell {

// The keyboard wedge library's echo trace, "zebecho.txt". The program
// deletes it at every start so that a trace never grows across runs.
//
// On Linux the wedge library keeps its trace in the user's configuration
// folder ($XDG_CONFIG_HOME/magtune, beside the preferences file), where the
// program runs with write access. The library works out its default trace
// path on its own (DefaultEchoTraceFile()); a test keeps the two paths equal.
inline constexpr const char* kWedgeEchoFileName = "zebecho.txt";

// <user configuration folder>/zebecho.txt
std::string WedgeEchoFilePath();

// Deletes the trace when it exists. A trace that cannot be deleted is left
// alone: it is no reason to keep the program from starting.
void RemoveWedgeEchoFile(platform::FileSystem& files, const std::string& path);

}  // namespace magtune::shell
