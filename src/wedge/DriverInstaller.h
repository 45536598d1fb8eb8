#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/SystemError.h"

namespace magtune::wedge {

// Runs a helper program with arguments (the driver installer) and watches
// it end; tests hand the library a fake.
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;

    // Starts argv[0], looked up on the search path, with the rest as its
    // arguments and this process's environment. Failures are reported under
    // "posix_spawnp".
    virtual bool start(const std::vector<std::string>& argv, platform::SystemError& error) = 0;
    // Whether the program last started still runs; reaps it once it ended.
    virtual bool running() = 0;
};

// Starts programs as Process does, looked up on the search path. A program
// still running when the runner goes away is left to finish.
std::unique_ptr<ProcessRunner> CreateProcessRunner();

// How long the library waits for the driver installer.
inline constexpr std::uint32_t kInstallerLimitMs = 30000;

enum class InstallOutcome { Finished, StartFailed, TimedOut };

struct InstallResult {
    InstallOutcome outcome = InstallOutcome::Finished;
    int error = 0;  // with StartFailed: the system's error number
};

// Runs the installer and waits for it to end, at most `limitMs` by the
// clock. An installer still running then is left to finish on its own.
InstallResult RunDriverInstaller(ProcessRunner& runner, platform::Clock& clock,
                                 const std::vector<std::string>& argv,
                                 std::uint32_t limitMs = kInstallerLimitMs);

}  // namespace magtune::wedge
