#include "comm/WedgeHookKeys.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace magtune::comm {

namespace {

constexpr std::uint32_t kX11KeyCodeOffset = 8;
constexpr std::uint8_t kLastMainBlockCode = 0x58;  // F12

// Indexed by NamedKey; the left-hand key where a keyboard has two.
constexpr std::array<wedge::KeyStroke, 9> kNamedKeys = {{
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
constexpr wedge::KeyStroke kRightShift{0x10, 0x36};

std::uint8_t VirtualKeyForMainBlockCode(std::uint8_t scanCode) {
    if (const std::uint8_t key = wedge::VirtualKeyForScanCode(scanCode); key != 0) {
        return key;
    }
    for (const wedge::KeyStroke& named : kNamedKeys) {
        if (named.scanCode == scanCode) {
            return named.virtualKey;
        }
    }
    return scanCode == kRightShift.scanCode ? kRightShift.virtualKey : 0;
}

}  // namespace

wedge::KeyStroke KeyStrokeForNamedKey(NamedKey key) {
    return kNamedKeys[static_cast<std::size_t>(key)];
}

std::optional<wedge::KeyStroke> KeyStrokeForX11KeyCode(std::uint32_t keyCode) {
    if (keyCode <= kX11KeyCodeOffset || keyCode > kX11KeyCodeOffset + kLastMainBlockCode) {
        return std::nullopt;
    }
    const auto scanCode = static_cast<std::uint8_t>(keyCode - kX11KeyCodeOffset);
    return wedge::KeyStroke{VirtualKeyForMainBlockCode(scanCode), scanCode};
}

NativeKeyCodes NativeKeyCodesOfPlatform(std::string_view platformName) {
    if (platformName == "xcb" || platformName.starts_with("wayland") ||
        platformName == "offscreen") {
        return NativeKeyCodes::EvdevPlus8;
    }
    if (platformName == "windows") {
        return NativeKeyCodes::SetOne;
    }
    return NativeKeyCodes::None;
}

std::optional<wedge::KeyStroke> KeyStrokeForNativeScanCode(std::uint32_t nativeScanCode,
                                                           NativeKeyCodes codes) {
    switch (codes) {
        case NativeKeyCodes::EvdevPlus8:
            return KeyStrokeForX11KeyCode(nativeScanCode);
        case NativeKeyCodes::SetOne:
            return KeyStrokeForX11KeyCode(nativeScanCode + kX11KeyCodeOffset);
        case NativeKeyCodes::None:
            break;
    }
    return std::nullopt;
}

void HandTypedKeysToHook(KeySource& keys, std::uint32_t timeoutMs, const WedgeHook& hook,
                         platform::Clock& clock) {
    const std::uint64_t due = clock.nowMs() + timeoutMs;
    for (std::uint64_t now = clock.nowMs(); now < due; now = clock.nowMs()) {
        const std::string typed = keys.waitForKeys(static_cast<std::uint32_t>(due - now));
        for (const char character : typed) {
            if (const auto stroke = wedge::KeyStrokeForCharacter(character)) {
                hook(stroke->virtualKey, stroke->scanCode, true);
                hook(stroke->virtualKey, stroke->scanCode, false);
            }
        }
        // A source that is gone answers at once; the time still has to pass.
        if (typed.empty()) {
            const std::uint64_t later = clock.nowMs();
            if (later < due) {
                clock.sleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(due - later, 10)));
            }
        }
    }
}

std::optional<char> ReaderCharacterForScanCode(std::uint8_t scanCode, bool lowerCase) {
    // The virtual-key codes of the digit and letter keys are their
    // characters.
    const auto key = static_cast<char>(wedge::VirtualKeyForScanCode(scanCode));
    if (key == 0) {
        return std::nullopt;
    }
    return lowerCase && key >= 'A' && key <= 'Z' ? static_cast<char>(key - 'A' + 'a') : key;
}

}  // namespace magtune::comm
