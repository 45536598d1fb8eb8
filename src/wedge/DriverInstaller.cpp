#include "wedge/DriverInstaller.h"

#include <optional>

#include "platform/Process.h"

namespace magtune::wedge {

namespace {

constexpr std::uint32_t kPollMs = 50;

class SpawnProcessRunner : public ProcessRunner {
  public:
    bool start(const std::vector<std::string>& argv, platform::SystemError& error) override {
        process_ = platform::Process::spawn(argv, error, platform::ProgramLookup::SearchPath);
        return process_.has_value();
    }
    bool running() override { return process_ && process_->running(); }

  private:
    std::optional<platform::Process> process_;
};

}  // namespace

std::unique_ptr<ProcessRunner> CreateProcessRunner() {
    return std::make_unique<SpawnProcessRunner>();
}

InstallResult RunDriverInstaller(ProcessRunner& runner, platform::Clock& clock,
                                 const std::vector<std::string>& argv, std::uint32_t limitMs) {
    platform::SystemError error;
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

}  // namespace magtune::wedge
