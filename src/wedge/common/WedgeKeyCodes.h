#pragma once

#include <cstdint>
#include <optional>

namespace magtune::wedge {

// The keys of the keyboard wedge, shared by zebapi and the program's wedge
// transfers. The wedge library captures each key event as the Windows virtual-key code
// and the set-1 make code of the key (bits 16-23 of the key message flags).
// The reader types only digits and letters, so that is all the tables hold.

// One key as the keyboard port reports it.
struct KeyStroke {
    std::uint8_t virtualKey = 0;
    std::uint8_t scanCode = 0;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The key that types a digit or a letter (either case); nullopt for any other
// character.
std::optional<KeyStroke> KeyStrokeForCharacter(char character);

// The virtual-key code of a set-1 make code of a digit or letter key; 0 for
// any other code.
std::uint8_t VirtualKeyForScanCode(std::uint8_t scanCode);

// Set-1 codes: a key going up is reported with its make code plus 0x80.
inline constexpr std::uint8_t kScanCodeBreakBit = 0x80;

}  // namespace magtune::wedge
