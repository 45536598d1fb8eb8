#include "comm/WedgeHookKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace magtune {
namespace {

struct X11Case {
    std::uint32_t keyCode;
    std::optional<KeyStroke> stroke;
};

TEST(WedgeHookKeysTest, X11KeyCodesOfTheMainBlockAreSetOneCodesPlusEight) {
    const std::vector<X11Case> cases = {
        {9, KeyStroke{0x1B, 0x01}},                        // Esc
        {10, KeyStroke{'1', 0x02}},                        // 1
        {19, KeyStroke{'0', 0x0B}},                        // 0
        {32, KeyStroke{'O', 0x18}},                        // O: the reader's ready answer
        {38, KeyStroke{'A', 0x1E}},                        // A
        {29, KeyStroke{'Y', 0x15}},                        // Y
        {57, KeyStroke{'N', 0x31}},                        // N
        {36, KeyStroke{0x0D, 0x1C}},                       // Return
        {50, KeyStroke{0x10, 0x2A}},                       // left Shift
        {62, KeyStroke{0x10, 0x36}},                       // right Shift
        {65, KeyStroke{0x20, 0x39}},                       // Space
        {67, KeyStroke{0x00, 0x3B}},                       // F1: known by its code only
        {96, KeyStroke{0x00, 0x58}},                       // F12, the last key of the block
        {97, std::nullopt},          {111, std::nullopt},  // Up: a prefixed code
        {8, std::nullopt},           {0, std::nullopt},   {0xFFFFFFFF, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(KeyStrokeForX11KeyCode(c.keyCode), c.stroke);
    }
}

TEST(WedgeHookKeysTest, DigitsAndLettersMeanTheSameKeyOnEveryPath) {
    // What the reader types must reach the hook with the codes the upload
    // decoder and the answer tests expect, whichever way the key came.
    const std::string characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char c : characters) {
        SCOPED_TRACE(c);
        const auto typed = KeyStrokeForCharacter(c);
        ASSERT_TRUE(typed.has_value());
        EXPECT_EQ(KeyStrokeForX11KeyCode(typed->scanCode + 8u), typed);
    }
}

TEST(WedgeHookKeysTest, NamedKeysHaveTheirPortCodes) {
    const std::vector<std::pair<NamedKey, KeyStroke>> cases = {
        {NamedKey::Escape, {0x1B, 0x01}},   {NamedKey::Backspace, {0x08, 0x0E}},
        {NamedKey::Tab, {0x09, 0x0F}},      {NamedKey::Return, {0x0D, 0x1C}},
        {NamedKey::Control, {0x11, 0x1D}},  {NamedKey::Shift, {0x10, 0x2A}},
        {NamedKey::Alt, {0x12, 0x38}},      {NamedKey::Space, {0x20, 0x39}},
        {NamedKey::CapsLock, {0x14, 0x3A}},
    };
    for (const auto& [key, stroke] : cases) {
        SCOPED_TRACE(static_cast<int>(key));
        EXPECT_EQ(KeyStrokeForNamedKey(key), stroke);
        // And an X11 key event of the same key agrees.
        EXPECT_EQ(KeyStrokeForX11KeyCode(stroke.scanCode + 8u), stroke);
    }
}

}  // namespace
}  // namespace magtune
