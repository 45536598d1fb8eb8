#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"

namespace magtune::cli {

// Exit statuses of magtune-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDifferent = 1;  // diff found differences
inline constexpr int kExitFailed = 1;     // a transfer failed
inline constexpr int kExitError = 2;      // bad input; nothing was written

// Runs one command line (without the program name) in the run-time
// configuration that main() read.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const app::RuntimeConfig& config);

}  // namespace magtune::cli
