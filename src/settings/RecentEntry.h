#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace magtune::settings {

// The serial port control block in the platform's 28-byte DCB layout.
inline constexpr std::size_t kDcbSize = 28;
using DcbBytes = std::array<std::uint8_t, kDcbSize>;

// A recently used setting file (Interface 0) or device (1 RS232, 2 keyboard
// wedge, 3 USB). Com and Dcb mean something for RS232 only.
struct RecentEntry {
    std::string Name;  // empty: free slot
    std::int32_t Interface = 0;
    std::int32_t Com = 0;
    DcbBytes Dcb{};

    bool operator==(const RecentEntry&) const = default;
};

}  // namespace magtune::settings
