#include "app/ProvisionSession.h"

#include <utility>

#include "app/ProvisionReport.h"
#include "app/SerialProvisionReader.h"

namespace magtune::app {

ProvisionSession::ProvisionSession(Machine machine, platform::Clock& clock)
    : machine_(std::move(machine)), clock_(clock) {}

ProvisionSession::~ProvisionSession() {
    stop();
    joinFinder();
    run_.reset();
}

void ProvisionSession::joinFinder() {
    if (finder_.joinable()) {
        finder_.join();
    }
}

bool ProvisionSession::start(const settings::SettingStore& setting,
                             const ProvisionTargetList& targets, bool verify) {
    const Phase now = phase();
    if (now == Phase::Running || now == Phase::Stopping) {
        return false;
    }
    joinFinder();
    run_.reset();
    {
        std::lock_guard lock(mutex_);
        changed_.clear();
    }
    stopped_ = false;
    usbProblem_.clear();
    run_ = std::make_unique<ProvisionRun>(setting, machine_.readers, clock_, verify);
    // Called from the workers, inside the run's own locks: only the set of
    // changed rows is touched here.
    run_->setObserver([this](std::size_t index, const ProvisionResult&) {
        std::lock_guard lock(mutex_);
        changed_.insert(index);
    });
    finding_ = true;
    finder_ = std::thread([this, targets] { find(targets); });
    return true;
}

void ProvisionSession::find(ProvisionTargetList targets) {
    auto add = [this](const ProvisionTarget& target) {
        std::lock_guard lock(adding_);
        if (!stopped_) {
            run_->add(target);
        }
    };
    for (const ProvisionTarget& target : targets.serial) {
        if (stopped_) {
            break;
        }
        if (!targets.onlyPortsThatOpen || !target.comIndex || machine_.opens(target)) {
            add(target);
        }
    }
    if (targets.usb && !stopped_) {
        std::string problem;
        const std::size_t count = machine_.usbReaderCount ? machine_.usbReaderCount(problem) : 0;
        usbProblem_ = count == 0 ? problem : std::string();
        for (std::size_t number = 1; number <= count; ++number) {
            add(UsbTarget(number));
        }
    }
    finding_ = false;
}

void ProvisionSession::stop() {
    std::lock_guard lock(adding_);
    stopped_ = true;
    if (run_) {
        run_->stop();
    }
}

ProvisionSession::Phase ProvisionSession::phase() const {
    if (!run_) {
        return Phase::Idle;
    }
    if (finding_ || run_->unfinished() != 0) {
        return stopped_ ? Phase::Stopping : Phase::Running;
    }
    return Phase::Finished;
}

std::size_t ProvisionSession::unfinished() const {
    return run_ ? run_->unfinished() : 0;
}

std::vector<std::size_t> ProvisionSession::takeChanged() {
    std::lock_guard lock(mutex_);
    std::vector<std::size_t> rows(changed_.begin(), changed_.end());
    changed_.clear();
    return rows;
}

std::vector<ProvisionResult> ProvisionSession::results() const {
    return run_ ? run_->results() : std::vector<ProvisionResult>{};
}

std::string ProvisionSession::summary() const {
    const Phase now = phase();
    const auto rows = results();
    switch (now) {
        case Phase::Idle:
            return {};
        case Phase::Running:
            return rows.empty() ? "Looking for readers ..." : ProvisionSummary(rows);
        case Phase::Stopping: {
            const std::size_t left = unfinished();
            return "Stopping: waiting for " + std::to_string(left) +
                   (left == 1 ? " reader" : " readers") + " under way ...";
        }
        case Phase::Finished:
            break;
    }
    std::string text;
    if (rows.empty()) {
        text = stopped_ ? "Stopped before any reader was found." : "No reader found.";
    } else {
        text = (stopped_ ? "Stopped. " : "") + ProvisionSummary(rows);
    }
    // Why the USB readers are missing, as the library told it.
    if (!usbProblem_.empty()) {
        text += " USB: " + usbProblem_;
    }
    return text;
}

ProvisionSession::Machine SerialProvisionMachine(const comm::CommOptions& options,
                                                 std::string portsFolder) {
    ProvisionSession::Machine machine;
    machine.readers = [&options, portsFolder](
                          const ProvisionTarget& target, common::Prompter& prompter,
                          comm::TransferView& view) -> std::unique_ptr<ProvisionReader> {
        if (target.usb()) {
            return nullptr;
        }
        return std::make_unique<SerialProvisionReader>(target, options, portsFolder,
                                                       platform::RealFileSystem(),
                                                       platform::SystemClock(), prompter, view);
    };
    machine.opens = [portsFolder](const ProvisionTarget& target) {
        return TargetOpens(target, portsFolder);
    };
    return machine;
}

}  // namespace magtune::app
