#include "wedge/common/WedgeKeyCodes.h"

#include <array>
#include <cstddef>

namespace magtune::wedge {

namespace {

// Set-1 make codes of the letter keys A-Z.
constexpr std::array<std::uint8_t, 26> kLetterScanCodes = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

// Set-1 make codes of the digit keys 0-9 (the top row: 1 is 0x02, 0 is 0x0B).
constexpr std::array<std::uint8_t, 10> kDigitScanCodes = {
    0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
};

}  // namespace

std::optional<KeyStroke> KeyStrokeForCharacter(char character) {
    if (character >= '0' && character <= '9') {
        const auto digit = static_cast<std::size_t>(character - '0');
        return KeyStroke{static_cast<std::uint8_t>(character), kDigitScanCodes[digit]};
    }
    if (character >= 'a' && character <= 'z') {
        character = static_cast<char>(character - 'a' + 'A');
    }
    if (character >= 'A' && character <= 'Z') {
        const auto letter = static_cast<std::size_t>(character - 'A');
        return KeyStroke{static_cast<std::uint8_t>(character), kLetterScanCodes[letter]};
    }
    return std::nullopt;
}

std::uint8_t VirtualKeyForScanCode(std::uint8_t scanCode) {
    for (std::size_t i = 0; i < kDigitScanCodes.size(); ++i) {
        if (kDigitScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>('0' + i);
        }
    }
    for (std::size_t i = 0; i < kLetterScanCodes.size(); ++i) {
        if (kLetterScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>('A' + i);
        }
    }
    return 0;
}

}  // namespace magtune::wedge
