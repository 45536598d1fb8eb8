#include "shell/DesktopProvision.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "app/UsbProvisionReader.h"
#include "platform/LibraryMessageRoute.h"

namespace magtune::shell {

namespace {

// The keys typed into the window, handed from the user interface thread to
// the USB worker. Each transfer starts with an empty queue.
class TypedKeyQueue {
  public:
    void push(const std::string& keys) {
        std::lock_guard lock(mutex_);
        if (listening_) {
            keys_ += keys;
            cv_.notify_all();
        }
    }
    std::string wait(std::uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !keys_.empty(); });
        return std::exchange(keys_, std::string());
    }
    void listen(bool on) {
        std::lock_guard lock(mutex_);
        listening_ = on;
        keys_.clear();
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::string keys_;
    bool listening_ = false;
};

class QueueKeys : public comm::KeySource {
  public:
    explicit QueueKeys(std::shared_ptr<TypedKeyQueue> queue) : queue_(std::move(queue)) {
        queue_->listen(true);
    }
    ~QueueKeys() override { queue_->listen(false); }
    std::string waitForKeys(std::uint32_t timeoutMs) override { return queue_->wait(timeoutMs); }

  private:
    std::shared_ptr<TypedKeyQueue> queue_;
};

// A USB reader whose library calls tell its row, on the worker thread that
// made it (the run makes, uses and drops a reader on one thread).
class RoutedUsbReader : public app::ProvisionReader {
  public:
    RoutedUsbReader(const app::ProvisionTarget& target, const comm::CommOptions& options,
                    const app::RuntimeConfig& config, common::Prompter& prompter,
                    comm::TransferView& view, app::UsbReaderSession::TypedKeys keys)
        : route_(prompter), reader_(target, options, config, prompter, view, std::move(keys)) {}

    bool chooseDevice() override { return reader_.chooseDevice(); }
    bool prepare() override { return reader_.prepare(); }
    bool download(const settings::ConfigurationImage& image) override {
        return reader_.download(image);
    }
    bool upload(settings::ConfigurationImage& image) override { return reader_.upload(image); }
    void endTransfers() override { reader_.endTransfers(); }
    void releaseDevices() override { reader_.releaseDevices(); }
    std::string devicePath() const override { return reader_.devicePath(); }

  private:
    platform::ThreadLibraryMessageRoute route_;
    app::UsbProvisionReader reader_;
};

// Keeps the first thing that is said.
class FirstMessage : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        if (text.empty()) {
            text = message.text;
        }
        return message.buttons == common::MessageButtons::Ok ? common::Answer::Ok
                                                             : common::Answer::No;
    }
    void beep() override {}

    std::string text;
};

}  // namespace

app::ProvisionSession::Machine DesktopProvisionMachine(const comm::CommOptions& options,
                                                       const app::RuntimeConfig& config,
                                                       std::function<void()> releaseUsb) {
    app::ProvisionSession::Machine machine =
        app::SerialProvisionMachine(options, config.portsFolder);
    auto queue = std::make_shared<TypedKeyQueue>();
    auto serial = machine.readers;
    machine.readers = [serial, &options, config, queue](
                          const app::ProvisionTarget& target, common::Prompter& prompter,
                          comm::TransferView& view) -> std::unique_ptr<app::ProvisionReader> {
        if (!target.usb()) {
            return serial(target, prompter, view);
        }
        return std::make_unique<RoutedUsbReader>(target, options, config, prompter, view,
                                                 [queue]() -> std::unique_ptr<comm::KeySource> {
                                                     return std::make_unique<QueueKeys>(queue);
                                                 });
    };
    machine.usbReaderCount = [&options, config](std::string& problem) {
        FirstMessage messages;
        std::size_t count = 0;
        {
            const platform::ThreadLibraryMessageRoute route(messages);
            count = app::CountUsbReaders(messages, options, config);
        }
        problem = count == 0 ? messages.text : std::string();
        return count;
    };
    machine.typed = [queue](const std::string& keys) { queue->push(keys); };
    machine.beforeUsb = std::move(releaseUsb);
    return machine;
}

}  // namespace magtune::shell
