#include "wedge/DriverInstaller.h"

namespace magtune {

namespace {

constexpr std::uint32_t kPollMs = 50;

}  // namespace

InstallResult RunDriverInstaller(ProcessRunner& runner, Clock& clock,
                                 const std::vector<std::string>& argv, std::uint32_t limitMs) {
    SystemError error;
    if (!runner.start(argv, error)) {
        return {InstallOutcome::StartFailed, error.code};
    }
    const std::uint64_t begin = clock.nowMs();
    while (runner.running()) {
        if (clock.nowMs() - begin >= limitMs) {
            return {InstallOutcome::TimedOut, 0};
        }
        clock.sleepMs(kPollMs);
    }
    return {InstallOutcome::Finished, 0};
}

}  // namespace magtune
