#include "settings/SettingCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataedit/FormulaCommands.h"
#include "support/FakePrompter.h"

namespace magtune::settings {
namespace {

std::vector<std::string> Labels(const std::vector<PropertyRow>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) {
        out.push_back(row.label);
    }
    return out;
}

std::vector<std::string> Values(const std::vector<PropertyRow>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) {
        out.push_back(row.value);
    }
    return out;
}

TEST(SettingCatalogue, GroupsInTreeOrder) {
    std::vector<std::string> groups;
    for (const auto& group : SettingCatalogue) {
        groups.push_back(group.text);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Beeps and Delays", "Keyboard Wedge", "RS232",
                                                "Magnetic Reader", "Data Editing"}));
}

TEST(SettingCatalogue, RowsAfterResetForEveryGroup) {
    struct Case {
        const char* group;
        std::vector<std::string> labels;
        std::vector<std::string> values;
    };
    const Case cases[] = {
        {"Beeps and Delays",
         {"Beep Tone", "InterBlock Delay", "InterCharacter Delay"},
         {"Medium", "10 ms", "1 ms"}},
        {"Keyboard Wedge",
         {"Function Code", "Caps-Lock", "Language", "Wand Emulation Output",
          "Level Duration of Minimum Width", "Polarity of Idle Condition", "Use Numeric Keypad"},
         {"Yes", "Auto Trace", "U.S.", "Bar with High / Space with Low", "200 µs", "Low", "No"}},
        {"RS232",
         {"Baud Rate", "Parity", "Data Bit", "Handshaking", "ACK/NAK", "BCC Character", "Time Out",
          "Data Direction", "Receive Terminator"},
         {"9600", "None", "8", "Ignore", "No", "No", "1 second", "Send to Host", "None"}},
        {"Magnetic Reader",
         {"Terminator", "Send Start/Stop Sentinel", "Track Selection",
          "Track 2 Account Number Only", "Output Only When All Tracks Have Correct Data",
          "Separator Character", "Track 1 Output Sequence", "Track 2 Output Sequence"},
         {"Enter", "Yes", "All Tracks", "No", "No", "None", "None", "None"}},
        {"Data Editing", {"(no formula defined)"}, {""}},
        {"Current Settings", {}, {}},
        {"Scanner Port", {}, {}},
        {"rs232", {}, {}},
    };
    DeviceSettings settings;
    for (const auto& c : cases) {
        auto rows = PropertyRows(c.group, settings);
        EXPECT_EQ(Labels(rows), c.labels) << c.group;
        EXPECT_EQ(Values(rows), c.values) << c.group;
    }
}

TEST(SettingCatalogue, EditorsOfTheRows) {
    struct Case {
        const char* group;
        const char* label;
        EditorKind editor;
    };
    const Case cases[] = {
        {"RS232", "Baud Rate", EditorKind::ValueEditor},
        {"RS232", "Receive Terminator", EditorKind::StringInput},
        {"Magnetic Reader", "Separator Character", EditorKind::StringInput},
        {"Magnetic Reader", "Track 2 Output Sequence", EditorKind::TrackSequenceDialog},
    };
    for (const auto& c : cases) {
        const CatalogueRow* row = FindRow(c.group, c.label);
        ASSERT_NE(row, nullptr) << c.label;
        EXPECT_EQ(row->editor, c.editor) << c.label;
    }
}

TEST(SettingCatalogue, LastValueTextOfEveryList) {
    struct Case {
        const char* group;
        const char* label;
        std::size_t count;
        const char* last;
    };
    const Case cases[] = {
        {"Beeps and Delays", "Beep Tone", 6, "High to Low"},
        {"Beeps and Delays", "InterBlock Delay", 6, "3 seconds"},
        {"Beeps and Delays", "InterCharacter Delay", 6, "100 ms"},
        {"Keyboard Wedge", "Function Code", 2, "Yes"},
        {"Keyboard Wedge", "Caps-Lock", 3, "Upper Case"},
        {"Keyboard Wedge", "Language", 13, "Japanese"},
        {"Keyboard Wedge", "Wand Emulation Output", 2, "Bar with Low / Space with High"},
        {"Keyboard Wedge", "Level Duration of Minimum Width", 2, "600 µs"},
        {"Keyboard Wedge", "Polarity of Idle Condition", 2, "High"},
        {"Keyboard Wedge", "Use Numeric Keypad", 2, "Yes"},
        {"RS232", "Baud Rate", 8, "38400"},
        {"RS232", "Parity", 5, "None"},
        {"RS232", "Data Bit", 2, "8"},
        {"RS232", "Handshaking", 3, "RTS Enabled in Communication"},
        {"RS232", "ACK/NAK", 2, "Yes"},
        {"RS232", "BCC Character", 2, "Yes"},
        {"RS232", "Time Out", 4, "Unlimited"},
        {"RS232", "Data Direction", 3, "Send to Terminal"},
        {"Magnetic Reader", "Terminator", 4, "None"},
        {"Magnetic Reader", "Send Start/Stop Sentinel", 2, "Yes"},
        {"Magnetic Reader", "Track Selection", 7, "Track 3 Output"},
        {"Magnetic Reader", "Track 2 Account Number Only", 2, "Yes"},
        {"Magnetic Reader", "Output Only When All Tracks Have Correct Data", 2, "No"},
    };
    SettingStore store;
    for (const auto& c : cases) {
        const CatalogueRow* row = FindRow(c.group, c.label);
        ASSERT_NE(row, nullptr) << c.label;
        ASSERT_EQ(row->valueTexts.size(), c.count) << c.label;
        ASSERT_TRUE(SetChoice(store, *row, static_cast<std::int32_t>(c.count - 1)));
        EXPECT_EQ(ValueText(*row, store.settings), c.last) << c.label;
    }
}

TEST(SettingCatalogue, ValuesBeyondTheListShowAnEmptyCell) {
    DeviceSettings settings;
    settings.CapsLock.current = 3;
    settings.Handshaking.current = 3;
    settings.DataDirection.current = 3;
    settings.TrackSelection.current = 7;
    settings.Language.current = 13;
    settings.BeepTone.current = -1;
    const std::pair<const char*, const char*> rows[] = {
        {"Keyboard Wedge", "Caps-Lock"}, {"RS232", "Handshaking"},
        {"RS232", "Data Direction"},     {"Magnetic Reader", "Track Selection"},
        {"Keyboard Wedge", "Language"},  {"Beeps and Delays", "Beep Tone"},
    };
    for (const auto& [group, label] : rows) {
        EXPECT_EQ(ValueText(*FindRow(group, label), settings), "") << label;
    }
    settings.Language.current = 15;
    EXPECT_EQ(ValueText(*FindRow("Keyboard Wedge", "Language"), settings), "");
}

TEST(SettingCatalogue, KeyAndTrackTexts) {
    DeviceSettings settings;
    settings.ReceiveTerminator = {"", "<r>", 0x0D};
    settings.SeparatorCharacter = {"", "<*>", 0xC6};
    settings.Track1OutputSequence.current = {{0x31, ""}, {0, "^"}, {0x32, ""}};
    auto rows = PropertyRows("RS232", settings);
    EXPECT_EQ(rows.back().value, "\"<r>\"");
    rows = PropertyRows("Magnetic Reader", settings);
    EXPECT_EQ(rows[5].value, "\"<*>\"");
    EXPECT_EQ(rows[6].value, "<Account>\"^\"<LastName>");
    EXPECT_EQ(rows[7].value, "None");
}

TEST(SettingCatalogue, FormulaRows) {
    DeviceSettings settings;
    auto rows = PropertyRows("Data Editing", settings);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].placeholder);
    EXPECT_EQ(rows[0].editor, EditorKind::None);

    test::FakePrompter prompter;
    dataedit::Formula first;
    first.empty = false;
    first.inputIds[20] = 1;
    dataedit::Formula second;
    second.empty = false;
    ASSERT_TRUE(dataedit::AddFormula(settings.dataEditing, first, prompter).applied);
    ASSERT_TRUE(dataedit::AddFormula(settings.dataEditing, second, prompter).applied);
    rows = PropertyRows("Data Editing", settings);
    EXPECT_EQ(Labels(rows), (std::vector<std::string>{"Formula1", "Formula2"}));
    EXPECT_EQ(Values(rows), (std::vector<std::string>{"IN_ID,20,ENTER", "ENTER"}));
    EXPECT_FALSE(rows[1].placeholder);
    EXPECT_EQ(rows[1].editor, EditorKind::FormulaDialog);
    EXPECT_EQ(rows[1].formulaRow, 2u);
}

TEST(SettingCatalogue, RowsAreFoundByExactTexts) {
    EXPECT_NE(FindRow("RS232", "Baud Rate"), nullptr);
    EXPECT_EQ(FindRow("rs232", "Baud Rate"), nullptr);
    EXPECT_EQ(FindRow("RS232", "baud rate"), nullptr);
    EXPECT_EQ(FindRow("RS232", "Baud Rate "), nullptr);
    EXPECT_EQ(FindRow("Keyboard Wedge", "Baud Rate"), nullptr);
    EXPECT_EQ(FindRow("Data Editing", "Formula1"), nullptr);
}

TEST(SettingCatalogue, NodePathsAndFormulaCommands) {
    EXPECT_EQ(NodePath("Current Settings"), "Current Settings");
    EXPECT_EQ(NodePath("RS232"), "Current Settings\\RS232");
    EXPECT_TRUE(FormulaCommandsEnabled("Data Editing"));
    EXPECT_FALSE(FormulaCommandsEnabled("Current Settings"));
    EXPECT_FALSE(FormulaCommandsEnabled("RS232"));
}

TEST(SettingCatalogue, SetChoiceMarksModifiedOnlyOnAChange) {
    SettingStore store;
    const CatalogueRow& baud = *FindRow("RS232", "Baud Rate");
    EXPECT_TRUE(SetChoice(store, baud, 5));
    EXPECT_FALSE(store.Modified);
    EXPECT_TRUE(SetChoice(store, baud, 6));
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(store.settings.BaudRate.current, 6);
    EXPECT_EQ(CurrentChoice(baud, store.settings), 6);
    EXPECT_EQ(DefaultChoice(baud, store.settings), 5);

    store.Modified = false;
    EXPECT_FALSE(SetChoice(store, baud, 8));
    EXPECT_FALSE(SetChoice(store, baud, -1));
    EXPECT_FALSE(SetChoice(store, *FindRow("RS232", "Receive Terminator"), 0));
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(store.settings.BaudRate.current, 6);

    // The inverted item: "Yes" is stored as 0.
    const CatalogueRow& allCorrect =
        *FindRow("Magnetic Reader", "Output Only When All Tracks Have Correct Data");
    EXPECT_EQ(DefaultChoice(allCorrect, store.settings), 1);
    EXPECT_TRUE(SetChoice(store, allCorrect, 0));
    EXPECT_EQ(ValueText(allCorrect, store.settings), "Yes");
    EXPECT_EQ(store.settings.OutputOnlyWhenAllCorrect.current, 0);
}

}  // namespace
}  // namespace magtune::settings
