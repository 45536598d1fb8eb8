#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "usbhid/common/UsbDevice.h"

namespace magtune::usbhid {

// The wire between the control server's simulator backend and the simulated
// USB bus of magtune-reader-sim, a local stream socket. Every message, in
// both directions, is one byte (the operation, or in a reply its status), a
// 16-bit little-endian payload length and the payload. Each request gets
// exactly one reply.
//
//   request                               reply
//   'E'  (none)                           1, the device list (EncodeDeviceList)
//   'F'  mode byte, driver key            1, the result byte
//   'O'  (none)                           1 when the control device opens, else 0
//   'C'  32-bit LE request code, byte in  1 and the byte out, or 0 when refused
//
// The environment variable that points the server at the simulated bus.
inline constexpr const char* kUsbSimEnvironmentVariable = "MAGTUNE_USB_SIM";

enum class SimUsbOp : std::uint8_t {
    Enumerate = 'E',
    Filter = 'F',
    OpenControl = 'O',
    Control = 'C',
};

inline constexpr std::size_t kSimUsbHeaderSize = 3;
inline constexpr std::size_t kMaxSimUsbPayload = 0xFFFF;

struct SimUsbMessage {
    std::uint8_t op = 0;
    std::vector<std::uint8_t> payload;
};

// Header and payload; a payload above kMaxSimUsbPayload is cut there.
std::vector<std::uint8_t> EncodeSimUsbMessage(std::uint8_t op,
                                              std::span<const std::uint8_t> payload);
// Takes the first whole message off the front of `buffer`; nullopt while it
// is incomplete.
std::optional<SimUsbMessage> TakeSimUsbMessage(std::vector<std::uint8_t>& buffer);

// Each device as a 16-bit LE length and the product name, then a length and
// the driver key; each text is cut at 1024 bytes, and devices that would
// overflow one message are left out.
std::vector<std::uint8_t> EncodeDeviceList(const std::vector<UsbDeviceInfo>& devices);
// nullopt when a length runs past the end.
std::optional<std::vector<UsbDeviceInfo>> DecodeDeviceList(std::span<const std::uint8_t> payload);

}  // namespace magtune::usbhid
