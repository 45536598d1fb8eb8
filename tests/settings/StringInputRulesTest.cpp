#include "settings/StringInputRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakePrompter.h"

namespace magtune::settings {
namespace {

using test::FakePrompter;

constexpr const char* kBadInput = "Bad input. Please check length and syntax.";

TEST(StringInputRules, ChecksByGroupAndLabel) {
    struct Case {
        const char* group;
        const char* label;
        const char* text;
        bool accepted;
        std::string message;  // empty: none
    };
    const Case cases[] = {
        {"Data Editing", "Match String", "<d><a>1", true, ""},
        {"Data Editing", "Match String", "", false, ""},
        {"Data Editing", "Match String", "<*>", false, kBadInput},
        {"Data Editing", "New Modifier", "<*>ID", true, ""},
        {"Data Editing", "New Modifier", "<d>", false, kBadInput},
        {"Data Editing", "New Modifier", "", false, ""},
        {"RS232", "Receive Terminator", "<r>", true, ""},
        {"RS232", "Receive Terminator", "", true, ""},
        {"RS232", "Receive Terminator", "<*>", false, kBadInput},
        {"Magnetic Reader", "Separator Character", "<*>", true, ""},
        {"Magnetic Reader", "Separator Character", "ab", false, kBadInput},
        {"Magnetic Reader", "Separator Character", "<", false, kBadInput},
        {"Magnetic Reader", "Track 2 Output Sequence", "12345678", true, ""},
        {"Magnetic Reader", "Track 2 Output Sequence", "123456789", false,
         "Input too long. The maximum allowed size for this input is 8 characters (bytes)."},
        {"Magnetic Reader", "Track 1 Output Sequence", "0123456789abcdef", true, ""},
        {"Magnetic Reader", "Track 1 Output Sequence", "0123456789abcdefg", false,
         "Input too long. The maximum allowed size for this input is 16 characters (bytes)."},
        {"Magnetic Reader", "Track 1 Output Sequence", "", false, ""},
        {"Magnetic Reader", "Track 1 Output Sequence", "a<b", false, kBadInput},
        {"RS232", "Separator Character", "x", false, ""},
        {"Data Editing", "match string", "x", false, ""},
    };
    for (const auto& c : cases) {
        SettingStore store;
        store.EditGroup = c.group;
        FakePrompter prompter;
        EXPECT_EQ(AcceptStringInput(store, c.label, c.text, prompter), c.accepted)
            << c.label << " " << c.text;
        std::vector<std::string> expected;
        if (!c.message.empty()) {
            expected.push_back(c.message);
        }
        EXPECT_EQ(prompter.texts(), expected) << c.label << " " << c.text;
        for (const auto& message : prompter.messages) {
            EXPECT_EQ(message.caption, "Error");
            EXPECT_EQ(message.icon, common::MessageIcon::Warning);
        }
    }
}

TEST(StringInputRules, DelimitersTakeTheRuleOfTheTrackBeingEdited) {
    struct Case {
        const char* item;  // EditItem while the track output sequence dialog is open
        const char* text;
        bool accepted;
        std::string message;
    };
    const Case cases[] = {
        {"Track 1 Output Sequence", "0123456789abcdef", true, ""},
        {"Track 1 Output Sequence", "0123456789abcdefg", false,
         "Input too long. The maximum allowed size for this input is 16 characters (bytes)."},
        {"Track 2 Output Sequence", "12345678", true, ""},
        {"Track 2 Output Sequence", "123456789", false,
         "Input too long. The maximum allowed size for this input is 8 characters (bytes)."},
        {"Track 2 Output Sequence", "<*>", true, ""},
        {"Track 2 Output Sequence", "<d>", false, kBadInput},
        {"Track 2 Output Sequence", "", false, ""},
        // No other row lends its rule to a delimiter.
        {"Separator Character", "x", false, ""},
        {"Terminator", "x", false, ""},
    };
    for (const auto& c : cases) {
        SettingStore store;
        store.EditGroup = "Magnetic Reader";
        store.EditItem = c.item;
        FakePrompter prompter;
        EXPECT_EQ(AcceptStringInput(store, "Delimiter/Text", c.text, prompter), c.accepted)
            << c.item << " " << c.text;
        std::vector<std::string> expected;
        if (!c.message.empty()) {
            expected.push_back(c.message);
        }
        EXPECT_EQ(prompter.texts(), expected) << c.item << " " << c.text;
        EXPECT_FALSE(store.Modified);
        EXPECT_EQ(store.settings.SeparatorCharacter.currentText, "");
    }
    SettingStore elsewhere;
    elsewhere.EditGroup = "Data Editing";
    elsewhere.EditItem = "Track 2 Output Sequence";
    FakePrompter prompter;
    EXPECT_FALSE(AcceptStringInput(elsewhere, "Delimiter/Text", "x", prompter));
}

TEST(StringInputRules, MatchStringsMayUseTheWholeCapacity) {
    SettingStore store;
    store.EditGroup = "Data Editing";
    FakePrompter prompter;
    EXPECT_TRUE(AcceptStringInput(store, "Match String", std::string(158, 'x'), prompter));
    EXPECT_FALSE(AcceptStringInput(store, "Match String", std::string(159, 'x'), prompter));
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Input too long. The maximum allowed size for this input "
                                       "is 158 characters (bytes)."});
}

TEST(StringInputRules, KeyBytesAreStoredAndMarkModifiedOnlyWhenTheByteChanges) {
    SettingStore store;
    store.EditGroup = "RS232";
    FakePrompter prompter;
    ASSERT_TRUE(AcceptStringInput(store, "Receive Terminator", "<r>", prompter));
    EXPECT_EQ(store.settings.ReceiveTerminator.currentText, "<r>");
    EXPECT_EQ(store.settings.ReceiveTerminator.byte, 0x0D);
    EXPECT_TRUE(store.Modified);

    store.Modified = false;
    ASSERT_TRUE(AcceptStringInput(store, "Receive Terminator", "<0D>", prompter));
    EXPECT_EQ(store.settings.ReceiveTerminator.currentText, "<0D>");
    EXPECT_FALSE(store.Modified);

    ASSERT_TRUE(AcceptStringInput(store, "Receive Terminator", "", prompter));
    EXPECT_EQ(store.settings.ReceiveTerminator.byte, 0xFF);
    EXPECT_TRUE(store.Modified);

    store.Modified = false;
    EXPECT_FALSE(AcceptStringInput(store, "Receive Terminator", "<*>", prompter));
    EXPECT_EQ(store.settings.ReceiveTerminator.currentText, "");
    EXPECT_FALSE(store.Modified);

    store.EditGroup = "Magnetic Reader";
    ASSERT_TRUE(AcceptStringInput(store, "Separator Character", "<*>", prompter));
    EXPECT_EQ(store.settings.SeparatorCharacter.byte, 0xC6);
    EXPECT_TRUE(store.Modified);
}

TEST(StringInputRules, DefaultTexts) {
    DeviceSettings settings;
    settings.ReceiveTerminator.currentText = "<r>";
    EXPECT_EQ(StringInputDefault(settings, "Receive Terminator"), "");
    EXPECT_EQ(StringInputDefault(settings, "Separator Character"), "");
    settings.SeparatorCharacter.defaultText = "x";  // defaults are whatever the reset gave
    EXPECT_EQ(StringInputDefault(settings, "Separator Character"), "x");
    EXPECT_EQ(StringInputDefault(settings, "Match String"), std::nullopt);
    EXPECT_EQ(StringInputDefault(settings, "Track 1 Output Sequence"), std::nullopt);
}

}  // namespace
}  // namespace magtune::settings
