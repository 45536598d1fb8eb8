#include "UsbSimLoop.h"

#include <cstdio>
#include <utility>

#include "Complain.h"
#include "comm/SimulatorKeySource.h"

namespace magtune::readersim {

namespace {

// A peer that takes longer than this to take a reply or a key is dropped.
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

UsbSimLoop::UsbSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                       UsbSimBus& bus, KeyboardReaderSim::LogSink log)
    : options_(options),
      reader_(reader),
      bus_(bus),
      server_(options, signalFd, reader, std::move(log)),
      keysPath_(comm::SimulatorKeysPath(options.usbPath)) {}

bool UsbSimLoop::listen(std::string& error) {
    auto bus = server_.listenAt(options_.usbPath, error);
    if (!bus) {
        return false;
    }
    busListener_ = std::move(*bus);
    auto keys = server_.listenAt(keysPath_, error);
    if (!keys) {
        return false;
    }
    keysListener_ = std::move(*keys);
    std::printf("%s\n", options_.usbPath.c_str());
    std::fflush(stdout);
    return true;
}

int UsbSimLoop::run() {
    for (;;) {
        std::vector<pollfd> fds = server_.pollSet();
        fds.push_back({busListener_.fd(), POLLIN, 0});
        fds.push_back({keysListener_.fd(), POLLIN, 0});
        for (const DeviceClient& client : devices_) {
            fds.push_back({client.socket.fd(), POLLIN, 0});
        }
        for (const platform::UnixSocket& keyboard : keyboards_) {
            fds.push_back({keyboard.fd(), POLLIN, 0});
        }
        switch (server_.wait(fds)) {
            case SimSocketServer::Wait::Failed:
                return 1;
            case SimSocketServer::Wait::Signalled:
                return 0;
            case SimSocketServer::Wait::Ready:
                break;
        }
        const std::size_t deviceCount = devices_.size();
        const std::size_t keyboardCount = keyboards_.size();

        // Key sources only listen; anything else from them is the end.
        for (std::size_t i = keyboardCount; i-- > 0;) {
            if (fds[3 + deviceCount + i].revents != 0) {
                std::uint8_t ignored[64];
                if (keyboards_[i].readSome(ignored, 0).status ==
                    platform::UnixSocket::ReadStatus::Closed) {
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
            if (server_.finished()) {
                return 0;
            }
        }
    }
}

void UsbSimLoop::acceptAll() {
    while (auto keyboard = keysListener_.accept()) {
        server_.log("key source connected");
        keyboards_.push_back(std::move(*keyboard));
    }
    while (auto device = busListener_.accept()) {
        server_.log("control server connected");
        devices_.push_back({std::move(*device), {}});
    }
}

// Answers every whole request that arrived; false when the peer is gone.
bool UsbSimLoop::serve(DeviceClient& client) {
    std::uint8_t buffer[4096];
    const auto got = client.socket.readSome(buffer, 0);
    if (got.status == platform::UnixSocket::ReadStatus::Closed) {
        server_.log("control server disconnected");
        return false;
    }
    client.received.insert(client.received.end(), buffer, buffer + got.count);
    while (auto request = usbhid::TakeSimUsbMessage(client.received)) {
        const std::uint64_t acceptedBefore = reader_.acceptedImages();
        std::string typed;
        const std::vector<std::uint8_t> reply = bus_.handle(*request, typed);
        // The keys go out before the reply, as a reader types while the
        // control request still returns.
        typeKeys(typed);
        server_.saveIfAccepted(acceptedBefore);
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
            server_.log("key source dropped");
            keyboards_.erase(keyboards_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

int RunUsbReader(const SimOptions& options, const settings::ConfigurationImage& image, int signalFd,
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

}  // namespace magtune::readersim
