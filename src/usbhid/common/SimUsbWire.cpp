#include "usbhid/common/SimUsbWire.h"

#include <algorithm>

namespace magtune::usbhid {

namespace {

// Room for 16 readers and a few other devices with long names.
constexpr std::size_t kMaxListedText = 1024;

void AppendText(std::vector<std::uint8_t>& out, const std::string& text) {
    const std::size_t size = std::min(text.size(), kMaxListedText);
    out.push_back(static_cast<std::uint8_t>(size & 0xFF));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

std::optional<std::string> TakeText(std::span<const std::uint8_t>& in) {
    if (in.size() < 2) {
        return std::nullopt;
    }
    const std::size_t size = in[0] | (std::size_t{in[1]} << 8);
    if (in.size() - 2 < size) {
        return std::nullopt;
    }
    std::string text(in.begin() + 2, in.begin() + 2 + static_cast<std::ptrdiff_t>(size));
    in = in.subspan(2 + size);
    return text;
}

}  // namespace

std::vector<std::uint8_t> EncodeSimUsbMessage(std::uint8_t op,
                                              std::span<const std::uint8_t> payload) {
    const std::size_t size = std::min(payload.size(), kMaxSimUsbPayload);
    std::vector<std::uint8_t> out(kSimUsbHeaderSize + size);
    out[0] = op;
    out[1] = static_cast<std::uint8_t>(size & 0xFF);
    out[2] = static_cast<std::uint8_t>(size >> 8);
    std::copy_n(payload.begin(), size, out.begin() + kSimUsbHeaderSize);
    return out;
}

std::optional<SimUsbMessage> TakeSimUsbMessage(std::vector<std::uint8_t>& buffer) {
    if (buffer.size() < kSimUsbHeaderSize) {
        return std::nullopt;
    }
    const std::size_t size = buffer[1] | (std::size_t{buffer[2]} << 8);
    if (buffer.size() < kSimUsbHeaderSize + size) {
        return std::nullopt;
    }
    const auto payloadStart = buffer.begin() + kSimUsbHeaderSize;
    const auto payloadEnd = payloadStart + static_cast<std::ptrdiff_t>(size);
    SimUsbMessage message{buffer[0], std::vector<std::uint8_t>(payloadStart, payloadEnd)};
    buffer.erase(buffer.begin(), payloadEnd);
    return message;
}

std::vector<std::uint8_t> EncodeDeviceList(const std::vector<UsbDeviceInfo>& devices) {
    std::vector<std::uint8_t> out;
    for (const UsbDeviceInfo& device : devices) {
        std::vector<std::uint8_t> entry;
        AppendText(entry, device.productName);
        AppendText(entry, device.driverKey);
        if (out.size() + entry.size() > kMaxSimUsbPayload) {
            break;
        }
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

std::optional<std::vector<UsbDeviceInfo>> DecodeDeviceList(std::span<const std::uint8_t> payload) {
    std::vector<UsbDeviceInfo> devices;
    while (!payload.empty()) {
        auto name = TakeText(payload);
        auto key = name ? TakeText(payload) : std::nullopt;
        if (!key) {
            return std::nullopt;
        }
        devices.push_back({std::move(*name), std::move(*key)});
    }
    return devices;
}

}  // namespace magtune::usbhid
