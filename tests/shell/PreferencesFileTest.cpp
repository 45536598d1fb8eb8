// The preferences on the real file store: what a user finds in, or puts
// into, ~/.config/magtune/registry.reg.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/FilePreferencesStore.h"
#include "shell/Preferences.h"
#include "support/FakePrompter.h"

namespace magtune::shell {
namespace {

class PreferencesFile : public ::testing::Test {
  protected:
    std::filesystem::path folder;
    std::string path;
    test::FakePrompter prompter;
    DisplayMetrics display{19200, 14400, 120};

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "magtune-prefs-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        path = (folder / "registry.reg").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void write(const std::string& text) { std::ofstream(path, std::ios::trunc) << text; }
    std::string read() const {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // One start: load, then (as at program end) save.
    Preferences startAndExit(bool save = true) {
        platform::FilePreferencesStore store(path);
        std::string problem = store.load();
        if (!problem.empty()) {
            prompter.warning(problem);
        }
        Preferences preferences;
        EXPECT_EQ(LoadPreferences(store, prompter, display, preferences),
                  PreferencesLoadOutcome::Loaded);
        if (save) {
            EXPECT_TRUE(SavePreferences(store, prompter, preferences, false));
        }
        return preferences;
    }
};

const char* const kHeader = "Windows Registry Editor Version 5.00\n\n";
const char* const kSettingsKey =
    "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings]\n";

TEST_F(PreferencesFile, OutOfRangeAndMissingValuesTakeTheirDefaults) {
    write(std::string(kHeader) + kSettingsKey +
          "\"Current Interface\"=dword:00000004\n"
          "\"Current Com\"=dword:00000020\n"
          "\"Protocol Delay\"=dword:00000003\n"
          "\"Driver Delay\"=dword:00001770\n"
          "\"USB Delay\"=dword:00000014\n"
          "\"Read Interval Timeout\"=\"4500\"\n");
    Preferences p = startAndExit(false);
    EXPECT_EQ(p.CurrentInterface, 2);
    EXPECT_EQ(p.CurrentCom, 0);
    EXPECT_EQ(p.options.ProtocolDelay, 5);
    EXPECT_EQ(p.options.DriverDelay, 2000);
    EXPECT_EQ(p.options.UsbDelay, 20);
    // A text is no number (five bytes with its closing zero): the default stands.
    EXPECT_EQ(p.options.ReadIntervalTimeout, 1000);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PreferencesFile, StrayValuesAreDeletedAndTheFirstExitFillsTheKeys) {
    write(std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune]\n" +
          "\"Stray\"=dword:00000001\n\"" + std::string(130, 'x') + "\"=\"long name\"\n");
    startAndExit();
    std::string text = read();
    EXPECT_EQ(text.find("Stray"), std::string::npos) << text;
    EXPECT_EQ(text.find(std::string(130, 'x')), std::string::npos) << text;
    for (const char* name : {"\"MainLeft\"", "\"Current Interface\"=dword:00000002",
                             "\"USB Log Enable\"=dword:00000000", "RecentFileList\\File4"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
    }
}

TEST_F(PreferencesFile, AUsbLogEnablePutThereByHandStays) {
    write(std::string(kHeader) + kSettingsKey + "\"USB Log Enable\"=dword:00000007\n");
    Preferences p = startAndExit();
    EXPECT_TRUE(p.options.UsbLogEnable);
    EXPECT_NE(read().find("\"USB Log Enable\"=dword:00000007"), std::string::npos) << read();
}

TEST_F(PreferencesFile, ARecentNameOf200CharactersReadsBackEmpty) {
    write(std::string(kHeader) +
          "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1]\n"
          "\"Name\"=\"" +
          std::string(200, 'n') + "\"\n\"Interface\"=dword:00000000\n" +
          "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File2]\n"
          "\"Name\"=\"" +
          std::string(127, 'k') + "\"\n\"Interface\"=dword:00000000\n");
    Preferences p = startAndExit(false);
    EXPECT_EQ(p.recent.entries[0].Name, "");
    EXPECT_EQ(p.recent.entries[1].Name, std::string(127, 'k'));
}

TEST_F(PreferencesFile, ARecentNameIsLimitedInCharactersNotBytes) {
    std::string accents;
    for (int i = 0; i < 127; ++i) {
        accents += "\xC3\xA9";
    }
    write(std::string(kHeader) +
          "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1]\n"
          "\"Name\"=\"" +
          accents + "\"\n" +
          "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File2]\n"
          "\"Name\"=\"" +
          accents + "\xC3\xA9\"\n");
    Preferences p = startAndExit(false);
    EXPECT_EQ(p.recent.entries[0].Name, accents);
    EXPECT_EQ(p.recent.entries[1].Name, "");
}

TEST_F(PreferencesFile, WhatTheLoadCleansUpOrCreatesIsOnDiskAtOnce) {
    startAndExit(false);
    std::string first = read();
    for (const char* key :
         {"Magtune\\Settings]", "RecentFileList\\File1]", "RecentFileList\\File4]"}) {
        EXPECT_NE(first.find(key), std::string::npos) << key << "\n" << first;
    }

    write(std::string(kHeader) + "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune]\n" +
          "\"Stray\"=dword:00000001\n" + kSettingsKey + "\"Protocol Delay\"=dword:00000003\n" +
          "\"USB Delay\"=dword:00000014\n" +
          "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1]\n"
          "\"Name\"=\"" +
          std::string(200, 'n') + "\"\n\"Com\"=dword:00000020\n");
    startAndExit(false);  // as if the program then crashed
    std::string text = read();
    for (const std::string& gone : {std::string("Stray"), std::string("Protocol Delay"),
                                    std::string(200, 'n'), std::string("\"Com\"")}) {
        EXPECT_EQ(text.find(gone), std::string::npos) << gone << "\n" << text;
    }
    EXPECT_NE(text.find("\"USB Delay\"=dword:00000014"), std::string::npos) << text;
}

TEST_F(PreferencesFile, RecentEntriesAndOptionsSurviveARestart) {
    {
        platform::FilePreferencesStore store(path);
        store.load();
        Preferences p;
        ASSERT_EQ(LoadPreferences(store, prompter, display, p), PreferencesLoadOutcome::Loaded);
        p.options.ReadTotalTimeoutConstant = 250;
        p.CurrentInterface = 1;
        p.recent.AddRecent("/home/tech/a.cfg", 0);
        settings::DcbBytes dcb{};
        dcb[0] = 28;
        p.recent.AddRecent("Desk reader", 1, 2, dcb);
        ASSERT_TRUE(SavePreferences(store, prompter, p, false));
    }
    Preferences again = startAndExit(false);
    EXPECT_EQ(again.options.ReadTotalTimeoutConstant, 250);
    EXPECT_EQ(again.CurrentInterface, 1);
    EXPECT_EQ(again.recent.entries[0].Name, "Desk reader");
    EXPECT_EQ(again.recent.entries[0].Com, 2);
    EXPECT_EQ(again.recent.entries[0].Dcb[0], 28);
    EXPECT_EQ(again.recent.entries[1].Name, "/home/tech/a.cfg");
}

TEST_F(PreferencesFile, ACorruptFileIsReportedOnceKeptAsideAndReplaced) {
    write("this is not a registry file\n\x01\x02");
    Preferences p = startAndExit();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("could not be read"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(path + ".bak"));
    EXPECT_EQ(p.options, comm::CommOptions{});
    // The next start finds a good file and says nothing.
    prompter.clear();
    startAndExit(false);
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace magtune::shell
