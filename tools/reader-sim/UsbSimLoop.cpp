#include "UsbSimLoop.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "Complain.h"
#include "comm/SimulatorKeySource.h"
#include "platform/FileSystem.h"

namespace magtune {

namespace {

// A peer that takes longer than this to take a reply or a key is dropped.
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

UsbSimLoop::UsbSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                       UsbSimBus& bus, KeyboardReaderSim::LogSink log)
    : options_(options),
      signalFd_(signalFd),
      reader_(reader),
      bus_(bus),
      log_(std::move(log)),
      keysPath_(SimulatorKeysPath(options.usbPath)) {}

UsbSimLoop::~UsbSimLoop() {
    if (busListener_.isOpen()) {
        ::unlink(options_.usbPath.c_str());
    }
    if (keysListener_.isOpen()) {
        ::unlink(keysPath_.c_str());
    }
}

bool UsbSimLoop::listen(std::string& error) {
    SystemError failure;
    auto bus = UnixSocket::listenAt(options_.usbPath, failure);
    if (!bus) {
        error = "cannot listen at " + options_.usbPath + ": " + SystemMessageText(failure.code);
        return false;
    }
    busListener_ = std::move(*bus);
    auto keys = UnixSocket::listenAt(keysPath_, failure);
    if (!keys) {
        error = "cannot listen at " + keysPath_ + ": " + SystemMessageText(failure.code);
        return false;
    }
    keysListener_ = std::move(*keys);
    std::printf("%s\n", options_.usbPath.c_str());
    std::fflush(stdout);
    return true;
}

int UsbSimLoop::run() {
    for (;;) {
        std::vector<pollfd> fds{{signalFd_, POLLIN, 0},
                                {busListener_.fd(), POLLIN, 0},
                                {keysListener_.fd(), POLLIN, 0}};
        for (const DeviceClient& client : devices_) {
            fds.push_back({client.socket.fd(), POLLIN, 0});
        }
        for (const UnixSocket& keyboard : keyboards_) {
            fds.push_back({keyboard.fd(), POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Complain("poll: " + SystemMessageText(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t n = ::read(signalFd_, &info, sizeof info);
            return 0;
        }
        const std::size_t deviceCount = devices_.size();
        const std::size_t keyboardCount = keyboards_.size();

        // Key sources only listen; anything else from them is the end.
        for (std::size_t i = keyboardCount; i-- > 0;) {
            if (fds[3 + deviceCount + i].revents != 0) {
                std::uint8_t ignored[64];
                if (keyboards_[i].readSome(ignored, 0).status == UnixSocket::ReadStatus::Closed) {
                    keyboards_.erase(keyboards_.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
        }
        // New key sources first: a program connects its key source before
        // it asks for anything, and must not miss the answer.
        acceptAll();
        for (std::size_t i = deviceCount; i-- > 0;) {
            if (fds[3 + i].revents != 0 && !serve(devices_[i])) {
                devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (finished()) {
                return 0;
            }
        }
    }
}

void UsbSimLoop::acceptAll() {
    while (auto keyboard = keysListener_.accept()) {
        log("key source connected");
        keyboards_.push_back(std::move(*keyboard));
    }
    while (auto device = busListener_.accept()) {
        log("control server connected");
        devices_.push_back({std::move(*device), {}});
    }
}

// Answers every whole request that arrived; false when the peer is gone.
bool UsbSimLoop::serve(DeviceClient& client) {
    std::uint8_t buffer[4096];
    const auto got = client.socket.readSome(buffer, 0);
    if (got.status == UnixSocket::ReadStatus::Closed) {
        log("control server disconnected");
        return false;
    }
    client.received.insert(client.received.end(), buffer, buffer + got.count);
    while (auto request = TakeSimUsbMessage(client.received)) {
        const std::uint64_t acceptedBefore = reader_.acceptedImages();
        std::string typed;
        const std::vector<std::uint8_t> reply = bus_.handle(*request, typed);
        // The keys go out before the reply, as a reader types while the
        // control request still returns.
        typeKeys(typed);
        if (reader_.acceptedImages() != acceptedBefore) {
            saveImage();
        }
        if (reader_.hangupDue()) {
            return false;
        }
        if (!client.socket.writeAll(reply, kWriteTimeoutMs)) {
            return false;
        }
    }
    return true;
}

void UsbSimLoop::typeKeys(const std::string& typed) {
    if (typed.empty()) {
        return;
    }
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(typed.data()), typed.size());
    for (std::size_t i = keyboards_.size(); i-- > 0;) {
        if (!keyboards_[i].writeAll(bytes, kWriteTimeoutMs)) {
            log("key source dropped");
            keyboards_.erase(keyboards_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void UsbSimLoop::saveImage() {
    if (options_.savePath.empty()) {
        return;
    }
    SystemError error;
    if (!RealFileSystem().writeFileAtomically(options_.savePath, reader_.image(), error)) {
        Complain("cannot save the image to " + options_.savePath + ": " +
                 SystemMessageText(error.code));
    }
}

// The reader drops off the bus when it hangs up.
bool UsbSimLoop::finished() const {
    return reader_.hangupDue() || (options_.exitAfterTransfers &&
                                   reader_.completedTransfers() >= *options_.exitAfterTransfers);
}

int RunUsbReader(const SimOptions& options, const ConfigurationImage& image, int signalFd,
                 KeyboardReaderSim::LogSink log) {
    KeyboardReaderSim reader(image, KeyboardFaults::From(options.faults, options.lowercaseDigits),
                             log);
    const std::vector<std::string> names = options.usbDevices.empty()
                                               ? std::vector<std::string>{kDefaultUsbReaderName}
                                               : options.usbDevices;
    UsbSimBus bus(names, reader, log);
    UsbSimLoop loop(options, signalFd, reader, bus, log);
    std::string error;
    if (!loop.listen(error)) {
        Complain(error);
        return 1;
    }
    return loop.run();
}

void UsbSimLoop::log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

}  // namespace magtune
