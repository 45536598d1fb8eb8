#include "app/ProvisionRun.h"

#include <utility>

#include "app/TransferService.h"
#include "settings/InterfaceCode.h"
#include "settings/SettingDifferences.h"

namespace magtune::app {

const char* ProvisionStateName(ProvisionState state) {
    switch (state) {
        case ProvisionState::Waiting:
            return "waiting";
        case ProvisionState::Downloading:
            return "downloading";
        case ProvisionState::Verifying:
            return "verifying";
        case ProvisionState::Downloaded:
            return "downloaded";
        case ProvisionState::Verified:
            return "verified";
        case ProvisionState::Failed:
            return "failed";
    }
    return "failed";
}

bool IsFinal(ProvisionState state) {
    return state == ProvisionState::Downloaded || state == ProvisionState::Verified ||
           state == ProvisionState::Failed;
}

// A row's status label: the transfer's texts as they change.
class ProvisionRun::RowView : public comm::TransferView {
  public:
    RowView(ProvisionRun& run, std::size_t index) : run_(run), index_(index) {}
    void setStatus(const std::string& text) override {
        run_.update(index_, [&](ProvisionResult& row) { row.status = text; });
    }
    void setProgress(int) override {}
    void setBusy(bool) override {}

  private:
    ProvisionRun& run_;
    std::size_t index_;
};

// Keeps what a reader's transfers tell the user, so that the row fails with
// the very message the single transfer shows. Nobody is there to answer a
// retry question: it is answered No.
class ProvisionRun::RowPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        if (message.icon == common::MessageIcon::Warning ||
            message.icon == common::MessageIcon::Error) {
            std::string text = message.text;
            for (char& c : text) {
                if (c == '\n' || c == '\r') {
                    c = ' ';
                }
            }
            text_ += text_.empty() ? "" : " ";
            text_ += text;
        }
        return message.buttons == common::MessageButtons::Ok ? common::Answer::Ok
                                                             : common::Answer::No;
    }
    void beep() override {}

    // What was told so far, or `fallback` when nothing was.
    std::string text(const std::string& fallback) const { return text_.empty() ? fallback : text_; }

  private:
    std::string text_;
};

ProvisionRun::ProvisionRun(const settings::SettingStore& setting, ProvisionReaderFactory factory,
                           platform::Clock& clock, bool verify)
    : settings_(setting.settings), factory_(std::move(factory)), clock_(clock), verify_(verify) {}

ProvisionRun::~ProvisionRun() {
    wait();
    for (auto& thread : threads_) {
        thread.join();
    }
}

void ProvisionRun::setObserver(Observer observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

std::size_t ProvisionRun::add(const ProvisionTarget& target) {
    std::size_t index = 0;
    {
        std::lock_guard lock(mutex_);
        index = rows_.size();
        rows_.push_back({target, {}, 0, 0, ProvisionState::Waiting, {}, {}});
        ++unfinished_;
        if (target.usb()) {
            usbQueue_.push_back(index);
            if (!usbWorkerRunning_) {
                usbWorkerRunning_ = true;
                threads_.emplace_back([this] { usbWorker(); });
            }
        } else {
            threads_.emplace_back([this, index] { provision(index); });
        }
    }
    update(index, [](ProvisionResult&) {});
    return index;
}

void ProvisionRun::usbWorker() {
    for (;;) {
        std::size_t index = 0;
        bool stopped = false;
        {
            std::lock_guard lock(mutex_);
            if (usbQueue_.empty()) {
                usbWorkerRunning_ = false;
                return;
            }
            index = usbQueue_.front();
            usbQueue_.pop_front();
            stopped = stopped_;
        }
        if (stopped) {
            failUnstarted(index);
        } else {
            provision(index);
        }
    }
}

void ProvisionRun::stop() {
    std::deque<std::size_t> waiting;
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        waiting.swap(usbQueue_);
    }
    // At once, so that the rows say so while the readers under way finish.
    for (std::size_t index : waiting) {
        failUnstarted(index);
    }
}

void ProvisionRun::failUnstarted(std::size_t index) {
    update(index, [](ProvisionResult& row) {
        row.state = ProvisionState::Failed;
        row.message = "Not started: the run was stopped.";
    });
}

void ProvisionRun::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return unfinished_ == 0; });
}

std::size_t ProvisionRun::unfinished() const {
    std::lock_guard lock(mutex_);
    return unfinished_;
}

std::vector<ProvisionResult> ProvisionRun::results() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

void ProvisionRun::update(std::size_t index, const std::function<void(ProvisionResult&)>& change) {
    // One observer call at a time, in the order of the changes.
    std::lock_guard observing(observerMutex_);
    ProvisionResult copy;
    {
        std::lock_guard lock(mutex_);
        ProvisionResult& row = rows_[index];
        const bool wasFinal = IsFinal(row.state);
        change(row);
        if (!wasFinal && IsFinal(row.state)) {
            --unfinished_;
            changed_.notify_all();
        }
        copy = row;
    }
    if (observer_) {
        observer_(index, copy);
    }
}

void ProvisionRun::provision(std::size_t index) {
    ProvisionTarget target;
    {
        std::lock_guard lock(mutex_);
        target = rows_[index].target;
    }
    if (stopped_) {
        return failUnstarted(index);
    }
    const std::uint64_t start = clock_.nowMs();
    RowPrompter prompter;
    RowView view(*this, index);
    std::unique_ptr<ProvisionReader> reader = factory_(target, prompter, view);
    auto finish = [&](ProvisionState state, std::string message) {
        const std::uint64_t duration = clock_.nowMs() - start;
        const std::string device = reader ? reader->devicePath() : std::string();
        const std::uint32_t baud = reader ? reader->baudRate() : 0;
        if (reader) {
            reader->endTransfers();
            reader->releaseDevices();
        }
        update(index, [&](ProvisionResult& row) {
            row.device = device;
            row.baudRate = baud;
            row.durationMs = duration;
            row.state = state;
            row.message = std::move(message);
        });
    };
    auto setState = [&](ProvisionState state) {
        update(index, [&](ProvisionResult& row) {
            row.state = state;
            row.device = reader->devicePath();
            row.baudRate = reader->baudRate();
        });
    };
    if (!reader) {
        finish(ProvisionState::Failed, target.port + " is not available.");
        return;
    }
    reader->stopRequested = [this] { return stopped_.load(); };

    setState(ProvisionState::Downloading);
    TransferService service(prompter);
    settings::SettingStore setting;
    setting.settings = settings_;
    const std::int32_t interface =
        target.usb() ? settings::InterfaceCode::Usb : settings::InterfaceCode::Rs232;
    if (service.Download(*reader, interface, setting, false) != TransferOutcome::Done) {
        finish(ProvisionState::Failed,
               reader->gaveUpForStop()
                   ? std::string("Stopped while connecting: nothing was written to the reader.")
                   : prompter.text("Download setting failed."));
        return;
    }
    if (!verify_) {
        finish(ProvisionState::Downloaded, {});
        return;
    }
    setState(ProvisionState::Verifying);
    settings::SettingStore held;
    if (service.Upload(*reader, held) != TransferOutcome::Done) {
        if (reader->gaveUpForStop()) {
            finish(ProvisionState::Downloaded, "Stopped before it was read back: not verified.");
        } else {
            finish(ProvisionState::Failed, "Verify failed: the setting could not be read back. " +
                                               prompter.text("The upload failed."));
        }
        return;
    }
    if (auto difference = settings::FirstReadBackDifference(setting.image, held.image)) {
        finish(ProvisionState::Failed, "Verify failed: " + difference->name +
                                           " differs (the setting has \"" + difference->first +
                                           "\", the reader \"" + difference->second + "\").");
        return;
    }
    finish(ProvisionState::Verified, {});
}

}  // namespace magtune::app
