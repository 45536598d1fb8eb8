#include "shell/Preferences.h"

#include <gtest/gtest.h>

#include <functional>

#include "comm/TransferLog.h"
#include "platform/SystemError.h"
#include "shell/MemoryPreferencesStore.h"
#include "support/FakePrompter.h"

namespace magtune::shell {
namespace {

const std::string kApp = "Software\\Tarvik Veviriz Inc.\\Magtune";
const std::string kSettings = kApp + "\\Settings";
std::string File(int k) {
    return kApp + "\\RecentFileList\\File" + std::to_string(k);
}

class PreferencesTest : public ::testing::Test {
  protected:
    test::MemoryPreferencesStore store;
    test::FakePrompter prompter;
    // 1280 x 960 pixels at 15 twips a pixel, and a 120-twip window frame.
    DisplayMetrics display{19200.4, 14399.6, 120};
    Preferences prefs;

    PreferencesLoadOutcome load() { return LoadPreferences(store, prompter, display, prefs); }
    bool save(bool minimized = false) { return SavePreferences(store, prompter, prefs, minimized); }
    std::vector<std::string> valueNames(const std::string& key) {
        std::vector<std::string> names;
        for (const auto& [name, value] : store.keys[key]) {
            names.push_back(name);
        }
        return names;
    }
};

TEST_F(PreferencesTest, FirstStartCreatesTheKeysAndFirstExitFillsThem) {
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(store.saves, 1);  // the new keys are saved at once
    for (const auto& key : {kApp, kSettings, File(1), File(2), File(3), File(4)}) {
        EXPECT_TRUE(store.keyExists(key)) << key;
    }
    // (15360 - 120 - 40) \ 3 = 5066
    EXPECT_EQ(prefs.window, (WindowLayout{1920, 1440, 15360, 11520, 5066, 5066, 5066}));
    EXPECT_EQ(prefs.CurrentCom, 0);
    EXPECT_EQ(prefs.CurrentInterface, 2);
    EXPECT_EQ(prefs.GroupChars, 12);
    EXPECT_EQ(prefs.Reduction, 0);
    EXPECT_EQ(prefs.options, comm::CommOptions{});
    for (const auto& entry : prefs.recent.entries) {
        EXPECT_EQ(entry, settings::RecentEntry{});
    }

    ASSERT_TRUE(save());
    EXPECT_EQ(store.saves, 2);
    EXPECT_EQ(valueNames(kSettings),
              (std::vector<std::string>{"MainLeft", "MainTop", "MainWidth", "MainHeight",
                                        "Splitter", "Column1Width", "Column2Width", "Current Com",
                                        "Current Interface", "GroupChars", "Reduction", "USB Delay",
                                        "Protocol Delay", "Driver Delay", "USB Log Enable",
                                        "Read Interval Timeout", "Read Total Timeout Constant"}));
    EXPECT_EQ(*store.find(kSettings, "MainWidth"), platform::RegValue::dword(15360));
    EXPECT_EQ(*store.find(kSettings, "USB Log Enable"), platform::RegValue::dword(0));
    EXPECT_EQ(*store.find(kSettings, "Driver Delay"), platform::RegValue::dword(2000));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(valueNames(File(k)),
                  (std::vector<std::string>{"Name", "Interface", "Com", "DCB"}));
        EXPECT_EQ(store.find(File(k), "Name")->data, std::vector<std::uint8_t>{0});
        EXPECT_EQ(store.find(File(k), "Name")->type, platform::RegType::String);
        EXPECT_EQ(*store.find(File(k), "DCB"),
                  platform::RegValue::binary(std::vector<std::uint8_t>(28)));
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PreferencesTest, StoredValuesAreCheckedAgainstTheirRanges) {
    struct Case {
        const char* name;
        platform::RegValue stored;
        std::function<std::int64_t(const Preferences&)> field;
        std::int64_t expected;
    };
    auto num = [](std::int32_t v) {
        return platform::RegValue::dword(static_cast<std::uint32_t>(v));
    };
    const auto com = [](const Preferences& p) { return p.CurrentCom; };
    const auto iface = [](const Preferences& p) { return p.CurrentInterface; };
    const Case cases[] = {
        {"Current Interface", num(0), iface, 2},
        {"Current Interface", num(4), iface, 2},
        {"Current Interface", num(1), iface, 1},
        {"Current Interface", num(3), iface, 3},
        {"Current Com", num(32), com, 0},
        {"Current Com", num(-1), com, 0},
        {"Current Com", num(31), com, 31},
        {"Protocol Delay", num(3), [](auto& p) { return p.options.ProtocolDelay; }, 5},
        {"Protocol Delay", num(20), [](auto& p) { return p.options.ProtocolDelay; }, 20},
        {"Driver Delay", num(6000), [](auto& p) { return p.options.DriverDelay; }, 2000},
        {"Driver Delay", num(0), [](auto& p) { return p.options.DriverDelay; }, 0},
        {"USB Delay", num(21), [](auto& p) { return p.options.UsbDelay; }, 5},
        {"USB Delay", num(20), [](auto& p) { return p.options.UsbDelay; }, 20},
        {"Read Interval Timeout", num(5001), [](auto& p) { return p.options.ReadIntervalTimeout; },
         1000},
        {"Read Total Timeout Constant", num(-1),
         [](auto& p) { return p.options.ReadTotalTimeoutConstant; }, 1000},
        {"Read Total Timeout Constant", num(5000),
         [](auto& p) { return p.options.ReadTotalTimeoutConstant; }, 5000},
        {"GroupChars", num(7), [](auto& p) { return p.GroupChars; }, 12},
        {"GroupChars", num(16), [](auto& p) { return p.GroupChars; }, 16},
        {"Reduction", num(11), [](auto& p) { return p.Reduction; }, 0},
        {"Reduction", num(10), [](auto& p) { return p.Reduction; }, 10},
        {"USB Log Enable", num(7), [](auto& p) { return p.options.UsbLogEnable; }, 1},
        {"USB Log Enable", num(0), [](auto& p) { return p.options.UsbLogEnable; }, 0},
        {"MainLeft", num(-3000), [](auto& p) { return p.window.MainLeft; }, -3000},
        // Read as 4 raw bytes whatever the type; longer data counts as missing.
        {"Current Com", platform::RegValue{platform::RegType::String, {5, 0, 0, 0}}, com, 5},
        {"Current Com", platform::RegValue::binary(std::vector<std::uint8_t>{5, 0, 0, 0, 0}), com,
         0},
        {"MainTop", platform::RegValue::binary(std::vector<std::uint8_t>{1, 2}),
         [](auto& p) { return p.window.MainTop; }, 1440},
    };
    for (const auto& c : cases) {
        store.keys.clear();
        store.put(kSettings, c.name, c.stored);
        prefs = {};
        ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
        EXPECT_EQ(c.field(prefs), c.expected) << c.name;
    }
}

TEST_F(PreferencesTest, SplitterDefaultsFollowTheStoredWidth) {
    store.put(kSettings, "MainWidth", platform::RegValue::dword(9000));
    store.put(kSettings, "Column2Width", platform::RegValue::dword(777));
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    // (9000 - 120 - 40) \ 3 = 2946
    EXPECT_EQ(prefs.window, (WindowLayout{1920, 1440, 9000, 11520, 2946, 2946, 777}));
}

TEST_F(PreferencesTest, StrayValuesUnderTheAppKeyAreDeleted) {
    store.put(kApp, "Stray", platform::RegValue::dword(1));
    store.put(kApp, "", platform::RegValue::string("default value"));
    store.put(kApp, std::string(127, 'a'), platform::RegValue::dword(2));
    // Such a name once made every start fail; now it goes like the others.
    store.put(kApp, std::string(128, 'b'), platform::RegValue::dword(3));
    store.put(kApp, std::string(300, 'c'), platform::RegValue::dword(4));
    store.put(kSettings, "Current Com", platform::RegValue::dword(3));
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_TRUE(store.keys[kApp].empty());
    EXPECT_EQ(prefs.CurrentCom, 3);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PreferencesTest, LoadFailuresEndTheProgram) {
    struct Case {
        std::function<void(test::MemoryPreferencesStore&)> inject;
        std::string message;
    };
    const Case cases[] = {
        {[](auto& s) { s.failCreate.insert(kApp); },
         platform::SystemErrorText("RegCreateKeyEx", EACCES)},
        {[](auto& s) { s.failCreate.insert(kSettings); },
         platform::SystemErrorText("RegCreateKeyEx", EACCES)},
        {[](auto& s) { s.failCreate.insert(File(3)); },
         platform::SystemErrorText("RegCreateKeyEx", EACCES)},
        {[](auto& s) { s.failEnum = true; }, platform::SystemErrorText("RegEnumValue", EACCES)},
        {[](auto& s) {
             s.put(kApp, "Stray", platform::RegValue::dword(1));
             s.failDelete.insert("Stray");
         },
         platform::SystemErrorText("RegDeleteValue", EACCES)},
    };
    for (const auto& c : cases) {
        store = {};
        prompter.clear();
        c.inject(store);
        EXPECT_EQ(load(), PreferencesLoadOutcome::EndProgram) << c.message;
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].text, c.message);
        EXPECT_EQ(prompter.messages[0].caption, "Error");
        EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);
    }
}

TEST_F(PreferencesTest, UsbLogEnableIsOnlyEverWrittenAsZero) {
    store.put(kSettings, "USB Log Enable", platform::RegValue::dword(5));
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_TRUE(prefs.options.UsbLogEnable);
    ASSERT_TRUE(save());
    EXPECT_EQ(store.dword(kSettings, "USB Log Enable"), 5u);

    prefs.options.UsbLogEnable = false;
    ASSERT_TRUE(save());
    EXPECT_EQ(store.dword(kSettings, "USB Log Enable"), 0u);
}

TEST_F(PreferencesTest, MinimizedExitKeepsTheStoredLayout) {
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    const WindowLayout stored{100, 200, 8000, 6000, 2000, 1500, 2500};
    prefs.window = stored;
    ASSERT_TRUE(save());

    prefs.window = {-32000, -32000, 2400, 400, 0, 0, 0};
    prefs.CurrentCom = 4;
    ASSERT_TRUE(save(/*minimized=*/true));
    Preferences reloaded;
    ASSERT_EQ(LoadPreferences(store, prompter, display, reloaded), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(reloaded.window, stored);
    EXPECT_EQ(reloaded.CurrentCom, 4);
}

TEST_F(PreferencesTest, RecentEntries) {
    settings::DcbBytes dcb{};
    for (std::size_t i = 0; i < dcb.size(); ++i) {
        dcb[i] = static_cast<std::uint8_t>(i + 1);
    }
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    prefs.recent.entries[0] = {"C:\\SETTINGS\\A.CFG", 0, 0, {}};
    prefs.recent.entries[1] = {"Front desk reader", 1, 31, dcb};
    prefs.recent.entries[2] = {std::string(127, 'n'), 3, 0, {}};
    prefs.recent.entries[3] = {std::string(200, 'x'), 2, 0, {}};
    ASSERT_TRUE(save());
    EXPECT_EQ(store.find(File(2), "Name")->data.size(), 18u);  // the text and its zero byte
    EXPECT_EQ(*store.find(File(2), "DCB"), platform::RegValue::binary(dcb));

    Preferences reloaded;
    ASSERT_EQ(LoadPreferences(store, prompter, display, reloaded), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(reloaded.recent.entries[0], prefs.recent.entries[0]);
    EXPECT_EQ(reloaded.recent.entries[1], prefs.recent.entries[1]);
    EXPECT_EQ(reloaded.recent.entries[2], prefs.recent.entries[2]);
    // A name of 200 characters does not fit and reads back empty.
    EXPECT_EQ(reloaded.recent.entries[3], (settings::RecentEntry{"", 2, 0, {}}));
}

TEST_F(PreferencesTest, RecentValuesOutOfRangeOrMalformed) {
    store.put(File(1), "Name", platform::RegValue::string("COM reader"));
    store.put(File(1), "Interface", platform::RegValue::dword(4));
    store.put(File(1), "Com", platform::RegValue::dword(32));
    store.put(File(1), "DCB", platform::RegValue::binary(std::vector<std::uint8_t>(27, 0xAA)));
    store.put(File(2), "Interface", platform::RegValue::dword(0xFFFFFFFF));
    store.put(File(2), "DCB", platform::RegValue::binary(std::vector<std::uint8_t>(29, 0xAA)));
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(prefs.recent.entries[0], (settings::RecentEntry{"COM reader", 0, 0, {}}));
    EXPECT_EQ(prefs.recent.entries[1], settings::RecentEntry{});
}

TEST_F(PreferencesTest, SaveFailuresStopTheSaving) {
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    prefs.GroupChars = 9;
    prefs.recent.entries[0].Name = "first";
    prefs.recent.entries[2].Name = "third";

    store.failSet.insert("Current Interface");
    EXPECT_FALSE(save());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("RegSetValueEx", EACCES)});
    EXPECT_TRUE(store.dword(kSettings, "Current Com").has_value());
    EXPECT_FALSE(store.dword(kSettings, "GroupChars").has_value());
    EXPECT_EQ(store.find(File(1), "Name"), nullptr);
    EXPECT_EQ(store.saves, 2);  // the load's own save, then what was written stays written

    store.failSet.clear();
    store.failOpen.insert(File(2));
    prompter.clear();
    EXPECT_FALSE(save());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("RegOpenKeyEx", EACCES)});
    EXPECT_EQ(store.dword(kSettings, "GroupChars"), 9u);
    EXPECT_EQ(store.find(File(1), "Name")->asString(), "first");
    EXPECT_EQ(store.find(File(3), "Name"), nullptr);

    store.failOpen.clear();
    store.failSave = true;
    prompter.clear();
    EXPECT_FALSE(save());
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Preferences were not saved: " +
                                                         platform::SystemMessageText(ENOSPC)});
}

TEST_F(PreferencesTest, ALoadThatChangedSomethingSavesAtOnceAndOtherwiseNot) {
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    ASSERT_EQ(store.saves, 1);
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(store.saves, 1);  // nothing to clean up: nothing written

    store.put(kSettings, "Protocol Delay", platform::RegValue::dword(3));
    store.put(kSettings, "Current Com", platform::RegValue::dword(31));
    store.put(kSettings, "MainLeft", platform::RegValue::string("x"));
    store.put(File(2), "DCB", platform::RegValue::binary(std::vector<std::uint8_t>(27, 0xAA)));
    ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(store.saves, 2);
    EXPECT_EQ(valueNames(kSettings), std::vector<std::string>{"Current Com"});
    EXPECT_TRUE(valueNames(File(2)).empty());

    // A failed save at load is told and the program goes on.
    store.put(kApp, "Stray", platform::RegValue::dword(1));
    store.failSave = true;
    prompter.clear();
    EXPECT_EQ(load(), PreferencesLoadOutcome::Loaded);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Preferences were not saved: " +
                                                         platform::SystemMessageText(ENOSPC)});
}

TEST_F(PreferencesTest, SaveWithoutTheKeysWritesNothing) {
    for (const auto& missing : {kApp, kSettings}) {
        store = {};
        prompter.clear();
        ASSERT_EQ(load(), PreferencesLoadOutcome::Loaded);
        store.keys.erase(missing);
        store.saves = 0;
        EXPECT_FALSE(save());
        EXPECT_EQ(prompter.texts(),
                  std::vector<std::string>{platform::SystemErrorText("RegOpenKeyEx", ENOENT)});
        EXPECT_FALSE(store.dword(kSettings, "Current Com").has_value());
        EXPECT_EQ(store.saves, 0);
    }
}

// The options dialog tells a technician where to switch the transfer logs
// on: the key must be the one the switch is read from.
TEST(Preferences, TransferLogSwitchIsReadFromTheKeyTheNoticeNames) {
    EXPECT_EQ(std::string(comm::kTransferLogSwitchKey),
              std::string("HKEY_CURRENT_USER\\") + kSettingsKey);
}

}  // namespace
}  // namespace magtune::shell
