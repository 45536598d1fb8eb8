#include "comm/WedgeHookKeys.h"

#include <array>

namespace magtune {

namespace {

constexpr std::uint32_t kX11KeyCodeOffset = 8;
constexpr std::uint8_t kLastMainBlockCode = 0x58;  // F12

// Indexed by NamedKey; the left-hand key where a keyboard has two.
constexpr std::array<KeyStroke, 9> kNamedKeys = {{
    {0x1B, 0x01},  // Escape
    {0x08, 0x0E},  // Backspace
    {0x09, 0x0F},  // Tab
    {0x0D, 0x1C},  // Return
    {0x11, 0x1D},  // Control
    {0x10, 0x2A},  // Shift
    {0x12, 0x38},  // Alt
    {0x20, 0x39},  // Space
    {0x14, 0x3A},  // CapsLock
}};

// The right Shift key has a make code of its own.
constexpr KeyStroke kRightShift{0x10, 0x36};

std::uint8_t VirtualKeyForMainBlockCode(std::uint8_t scanCode) {
    if (const std::uint8_t key = VirtualKeyForScanCode(scanCode); key != 0) {
        return key;
    }
    for (const KeyStroke& named : kNamedKeys) {
        if (named.scanCode == scanCode) {
            return named.virtualKey;
        }
    }
    return scanCode == kRightShift.scanCode ? kRightShift.virtualKey : 0;
}

}  // namespace

KeyStroke KeyStrokeForNamedKey(NamedKey key) {
    return kNamedKeys[static_cast<std::size_t>(key)];
}

std::optional<KeyStroke> KeyStrokeForX11KeyCode(std::uint32_t keyCode) {
    if (keyCode <= kX11KeyCodeOffset || keyCode > kX11KeyCodeOffset + kLastMainBlockCode) {
        return std::nullopt;
    }
    const auto scanCode = static_cast<std::uint8_t>(keyCode - kX11KeyCodeOffset);
    return KeyStroke{VirtualKeyForMainBlockCode(scanCode), scanCode};
}

}  // namespace magtune
