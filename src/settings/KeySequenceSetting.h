#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace magtune::settings {

inline constexpr std::size_t kKeySequenceSize = 8;

// A short key sequence (preamble, postamble); bytes after its end hold 0xFF.
struct KeySequenceSetting {
    std::string defaultText;
    std::string currentText;
    std::array<std::uint8_t, kKeySequenceSize> bytes{};
};

}  // namespace magtune::settings
