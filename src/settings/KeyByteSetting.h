#pragma once

#include <cstdint>
#include <string>

namespace magtune::settings {

// One key in the key notation and the byte it stands for (0xFF for the empty
// text). The text is kept as typed, so two spellings of one byte may differ.
struct KeyByteSetting {
    std::string defaultText;
    std::string currentText;
    std::uint8_t byte = 0xFF;
};

}  // namespace magtune::settings
