#include "usbhid/server/SimulatorBackend.h"

#include <array>

namespace magtune::usbhid {

namespace {

class SimulatorControlDevice : public ControlDevice {
  public:
    explicit SimulatorControlDevice(SimulatorBackend& backend) : backend_(backend) {}

    std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) override {
        const std::array<std::uint8_t, 5> payload{
            static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8),
            static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 24), input};
        const auto reply = backend_.exchange(SimUsbOp::Control, payload);
        if (!reply || reply->op != 1 || reply->payload.size() != 1) {
            return std::nullopt;
        }
        return reply->payload[0];
    }

  private:
    SimulatorBackend& backend_;
};

}  // namespace

SimulatorBackend::SimulatorBackend(std::string socketPath) : socketPath_(std::move(socketPath)) {}

std::optional<SimUsbMessage> SimulatorBackend::exchange(SimUsbOp op,
                                                        std::span<const std::uint8_t> payload) {
    if (!socket_.isOpen()) {
        platform::SystemError error;
        auto socket = platform::UnixSocket::connectTo(socketPath_, error);
        if (!socket) {
            return std::nullopt;
        }
        socket_ = std::move(*socket);
    }
    const auto request = EncodeSimUsbMessage(static_cast<std::uint8_t>(op), payload);
    std::vector<std::uint8_t> reply(kSimUsbHeaderSize);
    if (socket_.writeAll(request, kReplyTimeoutMs) && socket_.readExact(reply, kReplyTimeoutMs)) {
        const std::size_t size = reply[1] | (std::size_t{reply[2]} << 8);
        reply.resize(kSimUsbHeaderSize + size);
        if (socket_.readExact(std::span(reply).subspan(kSimUsbHeaderSize), kReplyTimeoutMs)) {
            return TakeSimUsbMessage(reply);
        }
    }
    // A reply cut short leaves the stream out of step: start over next time.
    socket_.close();
    return std::nullopt;
}

std::vector<UsbDeviceInfo> SimulatorBackend::enumerateDevices() {
    const auto reply = exchange(SimUsbOp::Enumerate, {});
    if (!reply || reply->op != 1) {
        return {};
    }
    return DecodeDeviceList(reply->payload).value_or(std::vector<UsbDeviceInfo>{});
}

FilterChange SimulatorBackend::changeFilter(FilterMode mode, const std::string& driverKey) {
    std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(mode)};
    payload.insert(payload.end(), driverKey.begin(), driverKey.end());
    const auto reply = exchange(SimUsbOp::Filter, payload);
    if (!reply || reply->op != 1 || reply->payload.size() != 1) {
        return {0, 0};
    }
    return {reply->payload[0], 0};
}

std::unique_ptr<ControlDevice> SimulatorBackend::openControlDevice() {
    const auto reply = exchange(SimUsbOp::OpenControl, {});
    if (!reply || reply->op != 1) {
        return nullptr;
    }
    return std::make_unique<SimulatorControlDevice>(*this);
}

}  // namespace magtune::usbhid
