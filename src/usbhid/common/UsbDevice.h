#pragma once

#include <cstdint>
#include <string>

namespace magtune::usbhid {

// A device found on the USB buses: its product string and the key that
// names it to the system when its filter list changes.
struct UsbDeviceInfo {
    std::string productName;
    std::string driverKey;

    bool operator==(const UsbDeviceInfo&) const = default;
};

enum class FilterMode : std::uint8_t { Query = 0, Add = 1, Remove = 2 };

// The one-byte control requests of the filter driver's control device.
inline constexpr std::uint32_t kReadControlCodeRequest = 0x220004;   // byte from the reader
inline constexpr std::uint32_t kWriteControlCodeRequest = 0x220008;  // byte to the reader
inline constexpr std::uint32_t kSetDownloadChannelRequest = 0x22000C;

// Download channel numbers.
inline constexpr std::uint8_t kEnterProgrammingChannel = 253;
inline constexpr std::uint8_t kLeaveProgrammingChannel = 254;

// The filter driver's name in a device's filter list.
inline constexpr const char* kFilterDriverName = "oruusbhf";

}  // namespace magtune::usbhid
