#include "comm/WedgeHookKeys.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <string_view>
#include <vector>

#include "comm/CommFakes.h"

namespace magtune::comm {
namespace {

struct X11Case {
    std::uint32_t keyCode;
    std::optional<wedge::KeyStroke> stroke;
};

TEST(WedgeHookKeysTest, X11KeyCodesOfTheMainBlockAreSetOneCodesPlusEight) {
    const std::vector<X11Case> cases = {
        {9, wedge::KeyStroke{0x1B, 0x01}},   // Esc
        {10, wedge::KeyStroke{'1', 0x02}},   // 1
        {19, wedge::KeyStroke{'0', 0x0B}},   // 0
        {32, wedge::KeyStroke{'O', 0x18}},   // O: the reader's ready answer
        {38, wedge::KeyStroke{'A', 0x1E}},   // A
        {29, wedge::KeyStroke{'Y', 0x15}},   // Y
        {57, wedge::KeyStroke{'N', 0x31}},   // N
        {36, wedge::KeyStroke{0x0D, 0x1C}},  // Return
        {50, wedge::KeyStroke{0x10, 0x2A}},  // left Shift
        {62, wedge::KeyStroke{0x10, 0x36}},  // right Shift
        {65, wedge::KeyStroke{0x20, 0x39}},  // Space
        {67, wedge::KeyStroke{0x00, 0x3B}},  // F1: known by its code only
        {96, wedge::KeyStroke{0x00, 0x58}},  // F12, the last key of the block
        {97, std::nullopt},
        {111, std::nullopt},  // Up: a prefixed code
        {8, std::nullopt},
        {0, std::nullopt},
        {0xFFFFFFFF, std::nullopt},
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
        const auto typed = wedge::KeyStrokeForCharacter(c);
        ASSERT_TRUE(typed.has_value());
        EXPECT_EQ(KeyStrokeForX11KeyCode(typed->scanCode + 8u), typed);
    }
}

TEST(WedgeHookKeysTest, NamedKeysHaveTheirPortCodes) {
    const std::vector<std::pair<NamedKey, wedge::KeyStroke>> cases = {
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

TEST(WedgeHookKeysTest, NativeScanCodesFollowTheirPlatformsConvention) {
    struct Case {
        std::string_view platform;
        std::uint32_t nativeScanCode;
        std::optional<wedge::KeyStroke> stroke;
    };
    const std::vector<Case> cases = {
        {"xcb", 10, wedge::KeyStroke{'1', 0x02}},
        {"wayland", 29, wedge::KeyStroke{'Y', 0x15}},
        {"wayland-egl", 32, wedge::KeyStroke{'O', 0x18}},
        {"offscreen", 57, wedge::KeyStroke{'N', 0x31}},
        {"windows", 0x02, wedge::KeyStroke{'1', 0x02}},
        {"windows", 0x15, wedge::KeyStroke{'Y', 0x15}},
        {"windows", 0x11D, std::nullopt},  // right Control: a prefixed key
        {"xcb", 0, std::nullopt},
        {"windows", 0, std::nullopt},
        {"windows", 0xFFFFFFFF, std::nullopt},
        {"cocoa", 18, std::nullopt},  // no physical codes: the layout's key decides
        {"", 10, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.platform) + " " + std::to_string(c.nativeScanCode));
        EXPECT_EQ(
            KeyStrokeForNativeScanCode(c.nativeScanCode, NativeKeyCodesOfPlatform(c.platform)),
            c.stroke);
    }
}

TEST(WedgeHookKeysTest, ReaderCharactersComeFromTheKeyNotTheLayout) {
    struct Case {
        std::uint8_t scanCode;
        bool lowerCase;
        std::optional<char> character;
    };
    const std::vector<Case> cases = {
        {0x02, false, '1'},          {0x02, true, '1'},   // "&" on a French desk
        {0x0B, true, '0'},           {0x15, false, 'Y'},  // "Z" on a German desk
        {0x15, true, 'y'},           {0x2C, true, 'z'},  {0x10, false, 'Q'},  // "A" in France
        {0x18, true, 'o'},           {0x31, false, 'N'}, {0x21, true, 'f'},
        {0x01, false, std::nullopt},  // Esc
        {0x39, true, std::nullopt},   // Space
        {0x0C, false, std::nullopt},  // the key right of 0 ("-", "ß", ")")
        {0x00, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scanCode);
        EXPECT_EQ(ReaderCharacterForScanCode(c.scanCode, c.lowerCase), c.character);
    }
}

// Keys that come in chunks, each after `stepMs`; nothing once the script ran
// out (waiting the whole time, or at once when the source is gone).
class ScriptedKeys : public KeySource {
  public:
    ScriptedKeys(test::FakeClock& clock, std::vector<std::string> chunks, bool gone)
        : clock_(clock), chunks_(std::move(chunks)), gone_(gone) {}
    std::string waitForKeys(std::uint32_t timeoutMs) override {
        if (next_ < chunks_.size()) {
            clock_.now += std::min<std::uint32_t>(timeoutMs, 5);
            return chunks_[next_++];
        }
        if (!gone_) {
            clock_.now += timeoutMs;
        }
        return {};
    }

  private:
    test::FakeClock& clock_;
    std::vector<std::string> chunks_;
    std::size_t next_ = 0;
    bool gone_;
};

TEST(WedgeHookKeysTest, TypedCharactersReachTheHookAsKeyDownAndUp) {
    struct Call {
        std::uint8_t virtualKey;
        std::uint8_t scanCode;
        bool down;
        bool operator==(const Call&) const = default;
    };
    for (const bool gone : {false, true}) {
        SCOPED_TRACE(gone);
        test::FakeClock clock;
        clock.now = 1000;
        ScriptedKeys keys(clock, {"O", "&\n", "y1"}, gone);
        std::vector<Call> calls;
        HandTypedKeysToHook(
            keys, 200,
            [&calls](std::uint8_t vk, std::uint8_t scan, bool down) {
                calls.push_back({vk, scan, down});
                return true;
            },
            clock);
        EXPECT_EQ(calls, (std::vector<Call>{{'O', 0x18, true},
                                            {'O', 0x18, false},
                                            {'Y', 0x15, true},
                                            {'Y', 0x15, false},
                                            {'1', 0x02, true},
                                            {'1', 0x02, false}}));
        // The tick's whole time, not less and not much more.
        EXPECT_GE(clock.now, 1200u);
        EXPECT_LE(clock.now, 1210u);
    }
}

}  // namespace
}  // namespace magtune::comm
