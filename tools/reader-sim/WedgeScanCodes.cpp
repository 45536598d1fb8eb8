#include "WedgeScanCodes.h"

#include <array>

#include "comm/WedgeEcho.h"

namespace magtune::readersim {

namespace {

// "-", "=", "[", "]", ";", "'", "`", "\", ",", ".": no digit, no O, Y or N.
constexpr std::array<std::uint8_t, 10> kPunctuationKeys = {0x0C, 0x0D, 0x1A, 0x1B, 0x27,
                                                           0x28, 0x29, 0x2B, 0x33, 0x34};

}  // namespace

std::vector<std::uint8_t> WedgeScanCodes(std::string_view typed) {
    std::vector<std::uint8_t> codes;
    codes.reserve(2 * typed.size());
    for (char c : typed) {
        const auto key = wedge::KeyStrokeForCharacter(c);
        const std::uint8_t make =
            key ? key->scanCode
                : kPunctuationKeys[static_cast<unsigned char>(c) % kPunctuationKeys.size()];
        codes.push_back(make);
        codes.push_back(static_cast<std::uint8_t>(make | wedge::kScanCodeBreakBit));
    }
    return codes;
}

}  // namespace magtune::readersim
