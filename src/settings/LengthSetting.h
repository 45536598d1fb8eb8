#pragma once

#include <cstdint>

namespace magtune::settings {

// Minimum and maximum label length of a symbology. The limits are constants
// of the reader kept beside the values; nothing in this program edits them.
struct LengthSetting {
    std::uint8_t lowerLimit = 0;
    std::uint8_t upperLimit = 0;
    std::uint8_t defaultMinimum = 0;
    std::uint8_t defaultMaximum = 0;
    std::uint8_t currentMinimum = 0;
    std::uint8_t currentMaximum = 0;
};

}  // namespace magtune::settings
