#include "shell/DesktopProvision.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "app/UsbProvisionReader.h"
#include "platform/LibraryMessageRoute.h"

namespace magtune {

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

class QueueKeys : public KeySource {
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
class RoutedUsbReader : public ProvisionReader {
  public:
    RoutedUsbReader(const ProvisionTarget& target, const CommOptions& options,
                    const RuntimeConfig& config, Prompter& prompter, TransferView& view,
                    UsbReaderSession::TypedKeys keys)
        : route_(prompter), reader_(target, options, config, prompter, view, std::move(keys)) {}

    bool chooseDevice() override { return reader_.chooseDevice(); }
    bool prepare() override { return reader_.prepare(); }
    bool download(const ConfigurationImage& image) override { return reader_.download(image); }
    bool upload(ConfigurationImage& image) override { return reader_.upload(image); }
    void endTransfers() override { reader_.endTransfers(); }
    void releaseDevices() override { reader_.releaseDevices(); }
    std::string devicePath() const override { return reader_.devicePath(); }

  private:
    ThreadLibraryMessageRoute route_;
    UsbProvisionReader reader_;
};

// Keeps the first thing that is said.
class FirstMessage : public Prompter {
  public:
    Answer show(const Message& message) override {
        if (text.empty()) {
            text = message.text;
        }
        return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::No;
    }
    void beep() override {}

    std::string text;
};

}  // namespace

ProvisionSession::Machine DesktopProvisionMachine(const CommOptions& options,
                                                  const RuntimeConfig& config,
                                                  std::function<void()> releaseUsb) {
    ProvisionSession::Machine machine = SerialProvisionMachine(options, config.portsFolder);
    auto queue = std::make_shared<TypedKeyQueue>();
    auto serial = machine.readers;
    machine.readers = [serial, &options, config, queue](
                          const ProvisionTarget& target, Prompter& prompter,
                          TransferView& view) -> std::unique_ptr<ProvisionReader> {
        if (!target.usb()) {
            return serial(target, prompter, view);
        }
        return std::make_unique<RoutedUsbReader>(
            target, options, config, prompter, view,
            [queue]() -> std::unique_ptr<KeySource> { return std::make_unique<QueueKeys>(queue); });
    };
    machine.usbReaderCount = [&options, config](std::string& problem) {
        FirstMessage messages;
        std::size_t count = 0;
        {
            const ThreadLibraryMessageRoute route(messages);
            count = CountUsbReaders(messages, options, config);
        }
        problem = count == 0 ? messages.text : std::string();
        return count;
    };
    machine.typed = [queue](const std::string& keys) { queue->push(keys); };
    machine.beforeUsb = std::move(releaseUsb);
    return machine;
}

}  // namespace magtune
