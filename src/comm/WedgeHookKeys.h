#pragma once

#include <cstdint>
#include <optional>

#include "comm/WedgeEcho.h"

namespace magtune {

// What the program hands the wedge library's keyboard hook for a key event
// of its own windows: the virtual-key code and the set-1 make code that the
// keyboard port would have reported for that key. Digits and letters come
// from KeyStrokeForCharacter; these are the other keys a user may press
// while a transfer captures the keyboard.
enum class NamedKey { Escape, Backspace, Tab, Return, Control, Shift, Alt, Space, CapsLock };

KeyStroke KeyStrokeForNamedKey(NamedKey key);

// X11 key codes are the Linux input codes plus 8, and the Linux codes of the
// main keyboard block (1 Esc to 88 F12) are the set-1 make codes. nullopt
// for the keys outside that block, whose set-1 codes need a prefix byte.
// The virtual-key code is that of a digit, letter or named key, else 0.
std::optional<KeyStroke> KeyStrokeForX11KeyCode(std::uint32_t keyCode);

}  // namespace magtune
