#pragma once

#include <cstdint>
#include <optional>

namespace magtune::comm {

// Accepted range and default of one transfer option (milliseconds).
struct OptionRange {
    std::int32_t minimum;
    std::int32_t maximum;
    std::int32_t defaultValue;

    bool contains(std::int64_t value) const { return value >= minimum && value <= maximum; }
};

inline constexpr OptionRange kUsbDelayRange{0, 20, 5};
inline constexpr OptionRange kProtocolDelayRange{5, 20, 5};
inline constexpr OptionRange kDriverDelayRange{0, 5000, 2000};
inline constexpr OptionRange kReadIntervalTimeoutRange{0, 5000, 1000};
inline constexpr OptionRange kReadTotalTimeoutConstantRange{0, 5000, 1000};

// The six numbers that tune the transfers; loaded with the preferences at
// start-up and stored at program end.
struct CommOptions {
    std::int32_t UsbDelay = kUsbDelayRange.defaultValue;
    std::int32_t ProtocolDelay = kProtocolDelayRange.defaultValue;
    std::int32_t DriverDelay = kDriverDelayRange.defaultValue;
    bool UsbLogEnable = false;
    std::int32_t ReadIntervalTimeout = kReadIntervalTimeoutRange.defaultValue;
    std::int32_t ReadTotalTimeoutConstant = kReadTotalTimeoutConstantRange.defaultValue;

    friend bool operator==(const CommOptions&, const CommOptions&) = default;
};

// A stored value that is missing or outside the range takes the default.
std::int32_t LoadOptionValue(std::optional<std::int32_t> stored, const OptionRange& range);

}  // namespace magtune::comm
