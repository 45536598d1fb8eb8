#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace magtune::readersim {

// What the keyboard port carries when the reader types `typed`: for every
// character the set-1 make code of its key and then the break code (make
// code + 0x80). Digits and letters are their own keys; any other character
// (the noise of a misbehaving reader) is typed on a punctuation key that is
// neither an answer nor a digit.
std::vector<std::uint8_t> WedgeScanCodes(std::string_view typed);

}  // namespace magtune::readersim
