#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ProcessRunner.h"

namespace magtune {

// How long the library waits for the driver installer.
inline constexpr std::uint32_t kInstallerLimitMs = 30000;

enum class InstallOutcome { Finished, StartFailed, TimedOut };

struct InstallResult {
    InstallOutcome outcome = InstallOutcome::Finished;
    int error = 0;  // with StartFailed: the system's error number
};

// Runs the installer and waits for it to end, at most `limitMs` by the
// clock. An installer still running then is left to finish on its own.
InstallResult RunDriverInstaller(ProcessRunner& runner, Clock& clock,
                                 const std::vector<std::string>& argv,
                                 std::uint32_t limitMs = kInstallerLimitMs);

}  // namespace magtune
