#include "UsbSimBus.h"

#include <algorithm>
#include <array>
#include <utility>

namespace magtune::readersim {

namespace {

std::vector<std::uint8_t> Reply(std::uint8_t status, std::vector<std::uint8_t> payload = {}) {
    return usbhid::EncodeSimUsbMessage(status, payload);
}

}  // namespace

UsbSimBus::UsbSimBus(const std::vector<std::string>& productNames, KeyboardReaderSim& reader,
                     KeyboardReaderSim::LogSink log)
    : reader_(reader), log_(std::move(log)) {
    for (const std::string& name : productNames) {
        devices_.push_back({{name, "sim-" + std::to_string(devices_.size() + 1)}, false});
    }
}

std::vector<std::uint8_t> UsbSimBus::handle(const usbhid::SimUsbMessage& request,
                                            std::string& typed) {
    switch (static_cast<usbhid::SimUsbOp>(request.op)) {
        case usbhid::SimUsbOp::Enumerate: {
            std::vector<usbhid::UsbDeviceInfo> list;
            for (const Device& device : devices_) {
                list.push_back(device.info);
            }
            return Reply(1, usbhid::EncodeDeviceList(list));
        }
        case usbhid::SimUsbOp::Filter:
            return changeFilter(request.payload);
        case usbhid::SimUsbOp::OpenControl:
            return Reply(anyFilter() ? 1 : 0);
        case usbhid::SimUsbOp::Control:
            return control(request.payload, typed);
    }
    log("unknown request " + std::to_string(request.op));
    return Reply(0);
}

std::vector<std::uint8_t> UsbSimBus::changeFilter(const std::vector<std::uint8_t>& payload) {
    if (payload.empty() || payload[0] > static_cast<std::uint8_t>(usbhid::FilterMode::Remove)) {
        return Reply(0);
    }
    const auto mode = static_cast<usbhid::FilterMode>(payload[0]);
    const std::string key(payload.begin() + 1, payload.end());
    const auto device = std::find_if(devices_.begin(), devices_.end(),
                                     [&](const Device& d) { return d.info.driverKey == key; });
    if (device == devices_.end()) {
        return Reply(1, {0});
    }
    if (mode == usbhid::FilterMode::Query) {
        return Reply(1, {static_cast<std::uint8_t>(device->filter ? 1 : 0)});
    }
    const bool add = mode == usbhid::FilterMode::Add;
    if (device->filter != add) {
        device->filter = add;
        log(std::string("filter ") + (add ? "added to " : "removed from ") +
            device->info.productName);
        if (!anyFilter()) {
            // The reader left the filtered stack: what it was in the middle
            // of is gone.
            programming_ = false;
            reader_.reset();
        }
    }
    return Reply(1, {1});
}

std::vector<std::uint8_t> UsbSimBus::control(const std::vector<std::uint8_t>& payload,
                                             std::string& typed) {
    if (payload.size() != 5 || !anyFilter()) {
        return Reply(0);
    }
    const std::uint32_t code = payload[0] | (std::uint32_t{payload[1]} << 8) |
                               (std::uint32_t{payload[2]} << 16) |
                               (std::uint32_t{payload[3]} << 24);
    const std::uint8_t input = payload[4];
    switch (code) {
        case usbhid::kWriteControlCodeRequest:
            if (programming_) {
                typed += reader_.receive(std::span(&input, 1));
            } else {
                log("control code " + std::to_string(input) + " outside programming ignored");
            }
            return Reply(1, {0});
        case usbhid::kSetDownloadChannelRequest:
            if (input == usbhid::kEnterProgrammingChannel ||
                input == usbhid::kLeaveProgrammingChannel) {
                programming_ = input == usbhid::kEnterProgrammingChannel;
                reader_.reset();
                log(programming_ ? "programming entered" : "programming left");
            } else {
                log("download channel " + std::to_string(input) + " ignored");
            }
            return Reply(1, {0});
        case usbhid::kReadControlCodeRequest:
            // The reader has nothing to report through this path.
            return Reply(1, {0});
        default:
            log("control request " + std::to_string(code) + " refused");
            return Reply(0);
    }
}

bool UsbSimBus::anyFilter() const {
    return std::any_of(devices_.begin(), devices_.end(),
                       [](const Device& device) { return device.filter; });
}

void UsbSimBus::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

}  // namespace magtune::readersim
