#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/SystemError.h"

namespace magtune {

// Runs a helper program with arguments (the keyboard wedge's driver
// installer) and watches it end; tests hand the caller a fake.
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;

    // Starts argv[0], looked up on the search path, with the rest as its
    // arguments and this process's environment. Failures are reported under
    // "posix_spawnp".
    virtual bool start(const std::vector<std::string>& argv, SystemError& error) = 0;
    // Whether the program last started still runs; reaps it once it ended.
    virtual bool running() = 0;
};

// Starts programs with posix_spawnp, standard input and output on
// /dev/null, standard error shared, no other descriptor inherited, in a
// session of their own. A program still running when the runner goes away
// is left to finish.
std::unique_ptr<ProcessRunner> CreateProcessRunner();

}  // namespace magtune
