#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "comm/KeySource.h"
#include "comm/WedgeEcho.h"
#include "platform/Clock.h"

namespace magtune::comm {

// The keys of the program's own windows, known by where they sit on the
// keyboard rather than by what the desktop's layout makes of them: a reader
// types as a US keyboard, so on a French layout its "1" arrives as "&" and on
// a German one its "Y" as "z". Both the wedge library's keyboard hook and the
// USB transfer forms read the reader's keys this way.
//
// What the hook is handed for a key event: the virtual-key code and the set-1
// make code that the keyboard port would have reported for that key. Digits
// and letters come from KeyStrokeForCharacter; these are the other keys a
// user may press while a transfer captures the keyboard.
enum class NamedKey { Escape, Backspace, Tab, Return, Control, Shift, Alt, Space, CapsLock };

wedge::KeyStroke KeyStrokeForNamedKey(NamedKey key);

// X11 key codes are the Linux input codes plus 8, and the Linux codes of the
// main keyboard block (1 Esc to 88 F12) are the set-1 make codes. nullopt
// for the keys outside that block, whose set-1 codes need a prefix byte.
// The virtual-key code is that of a digit, letter or named key, else 0.
std::optional<wedge::KeyStroke> KeyStrokeForX11KeyCode(std::uint32_t keyCode);

// How a windowing system numbers the physical keys in the native scan code
// of its key events.
enum class NativeKeyCodes {
    None,        // no physical codes: only the layout's key is known
    EvdevPlus8,  // X11 and Wayland: the Linux input code plus 8
    SetOne,      // Windows: the set-1 make code, bit 8 set for prefixed keys
};

// By the name of the desktop's platform plug-in ("xcb", "wayland",
// "windows" ...). The offscreen platform of the tests carries the X11
// convention.
NativeKeyCodes NativeKeyCodesOfPlatform(std::string_view platformName);

// The key of a native scan code, as KeyStrokeForX11KeyCode; nullopt for 0,
// for a platform without physical codes and for keys outside the main block.
std::optional<wedge::KeyStroke> KeyStrokeForNativeScanCode(std::uint32_t nativeScanCode,
                                                           NativeKeyCodes codes);

// The character a reader means with the key of a set-1 make code: a digit,
// or a letter in upper case (lower case when `lowerCase`); nullopt for every
// other key.
std::optional<char> ReaderCharacterForScanCode(std::uint8_t scanCode, bool lowerCase);

// The wedge library's keyboard hook procedure: true when it captured the key.
using WedgeHook = std::function<bool(std::uint8_t virtualKey, std::uint8_t scanCode, bool down)>;

// Where keys arrive as characters (a terminal), hands each typed digit and
// letter to the hook as the keyboard port reports its key: down, then up,
// with the codes of the key that types it on a US keyboard. Other
// characters have no key of the reader's and are dropped. Returns when
// `timeoutMs` have passed, however early the keys came.
void HandTypedKeysToHook(KeySource& keys, std::uint32_t timeoutMs, const WedgeHook& hook,
                         platform::Clock& clock);

}  // namespace magtune::comm
