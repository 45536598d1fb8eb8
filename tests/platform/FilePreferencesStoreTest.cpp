#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/FilePreferencesStore.h"
#include "support/FakePrompter.h"
#include "support/MemoryFileSystem.h"

namespace magtune::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::MemoryFileSystem;

const std::string kFile = "/home/tech/.config/magtune/registry.reg";
const std::string kAppKey = "Software\\Tarvik Veviriz Inc.\\Magtune";
const std::string kSettings = kAppKey + "\\Settings";
const std::string kRecent = kAppKey + "\\RecentFileList\\File1";

class FilePreferencesStoreTest : public ::testing::Test {
  protected:
    MemoryFileSystem files;
    SystemError error;
};

TEST_F(FilePreferencesStoreTest, ValuesOfAllThreeTypesSurviveSaveAndLoad) {
    const Bytes dcb = {0x1C, 0, 0, 0, 0x80, 0x25, 0, 0,    0x11, 0x10, 0, 0, 0, 0,
                       0,    8, 0, 2, 8,    0,    0, 0x11, 0x13, 0,    0, 0, 0, 0};
    {
        FilePreferencesStore store(kFile, files);
        EXPECT_EQ(store.load(), "");
        ASSERT_TRUE(store.createKey(kSettings, error));
        ASSERT_TRUE(store.createKey(kRecent, error));
        ASSERT_TRUE(store.setValue(kSettings, "Driver Delay", RegValue::dword(2000), error));
        ASSERT_TRUE(store.setValue(kSettings, "MainLeft", RegValue::dword(0xFFFFFC18), error));
        ASSERT_TRUE(store.setValue(kRecent, "Name", RegValue::string("C:\\a\\\"x\".cfg"), error));
        ASSERT_TRUE(store.setValue(kRecent, "DCB", RegValue::binary(dcb), error));
        ASSERT_TRUE(store.save(error));
    }
    FilePreferencesStore store(kFile, files);
    EXPECT_EQ(store.load(), "");
    RegValue value;
    ASSERT_TRUE(store.queryValue(kSettings, "Driver Delay", value, error));
    EXPECT_EQ(value.type, RegType::Dword);
    EXPECT_EQ(value.data, (Bytes{0xD0, 0x07, 0x00, 0x00}));
    ASSERT_TRUE(store.queryValue(kSettings, "MainLeft", value, error));
    EXPECT_EQ(static_cast<std::int32_t>(*value.asDword()), -1000);
    ASSERT_TRUE(store.queryValue(kRecent, "Name", value, error));
    EXPECT_EQ(value.type, RegType::String);
    EXPECT_EQ(value.data.size(), 13u);  // the text and its terminating zero
    EXPECT_EQ(value.data.back(), 0);
    EXPECT_EQ(value.asString(), "C:\\a\\\"x\".cfg");
    ASSERT_TRUE(store.queryValue(kRecent, "DCB", value, error));
    EXPECT_EQ(value, RegValue::binary(dcb));
}

TEST_F(FilePreferencesStoreTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    FilePreferencesStore store(kFile, files);
    ASSERT_TRUE(store.createKey(kSettings, error));
    ASSERT_TRUE(store.createKey("SOFTWARE\\tarvik veviriz inc.\\MAGTUNE\\settings", error));
    ASSERT_TRUE(store.setValue(kSettings, "Current Com", RegValue::dword(1), error));
    ASSERT_TRUE(store.setValue(kSettings, "CURRENT COM", RegValue::dword(2), error));
    EXPECT_TRUE(store.keyExists("software\\TARVIK VEVIRIZ INC.\\magtune\\SETTINGS"));

    std::vector<std::string> names;
    ASSERT_TRUE(store.enumValues(kSettings, 128, names, error));
    EXPECT_EQ(names, std::vector<std::string>{"Current Com"});
    RegValue value;
    ASSERT_TRUE(store.queryValue(kSettings, "current com", value, error));
    EXPECT_EQ(value.asDword(), 2u);
    ASSERT_TRUE(store.enumKeys(kAppKey, names, error));
    EXPECT_EQ(names, std::vector<std::string>{"Settings"});
}

TEST_F(FilePreferencesStoreTest, KeysAndSubKeys) {
    FilePreferencesStore store(kFile, files);
    ASSERT_TRUE(store.createKey(kAppKey + "\\RecentFileList\\File2", error));
    ASSERT_TRUE(store.createKey(kAppKey + "\\RecentFileList\\File1", error));
    ASSERT_TRUE(store.createKey(kSettings, error));
    std::vector<std::string> names;
    ASSERT_TRUE(store.enumKeys(kAppKey, names, error));
    EXPECT_EQ(names, (std::vector<std::string>{"RecentFileList", "Settings"}));
    ASSERT_TRUE(store.enumKeys(kAppKey + "\\RecentFileList", names, error));
    EXPECT_EQ(names, (std::vector<std::string>{"File1", "File2"}));

    ASSERT_TRUE(store.openKey("", error));  // the user's root always exists
    ASSERT_TRUE(store.deleteKey(kAppKey + "\\RecentFileList", error));
    EXPECT_FALSE(store.keyExists(kAppKey + "\\RecentFileList\\File1"));
    EXPECT_TRUE(store.keyExists(kSettings));

    struct Case {
        const char* what;
        bool ok;
        const char* function;
        int code;
    };
    RegValue value;
    SystemError e[8];
    const Case cases[] = {
        {"open missing", store.openKey(kAppKey + "\\Nope", e[0]), "RegOpenKeyEx", ENOENT},
        {"set in missing key", store.setValue(kAppKey + "\\Nope", "x", RegValue::dword(1), e[1]),
         "RegSetValueEx", ENOENT},
        {"query missing value", store.queryValue(kSettings, "Nope", value, e[2]), "RegQueryValueEx",
         ENOENT},
        {"delete missing value", store.deleteValue(kSettings, "Nope", e[3]), "RegDeleteValue",
         ENOENT},
        {"delete missing key", store.deleteKey(kAppKey + "\\Nope", e[4]), "RegDeleteKey", ENOENT},
        {"delete the root", store.deleteKey("", e[5]), "RegDeleteKey", EACCES},
        {"empty key name", store.createKey("Software\\\\Magtune", e[6]), "RegCreateKeyEx", EINVAL},
        {"line break in a value name", store.setValue(kSettings, "a\nb", RegValue::dword(1), e[7]),
         "RegSetValueEx", EINVAL},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_FALSE(cases[i].ok);
        EXPECT_EQ(e[i].function, cases[i].function);
        EXPECT_EQ(e[i].code, cases[i].code);
    }
}

TEST_F(FilePreferencesStoreTest, LongValueNamesFailTheEnumerationButCanStillBeDeleted) {
    FilePreferencesStore store(kFile, files);
    ASSERT_TRUE(store.createKey(kAppKey, error));
    const std::string fits(127, 'a');
    const std::string tooLong(128, 'b');
    const std::string muchTooLong(300, 'c');
    for (const auto& name : {fits, tooLong, muchTooLong}) {
        ASSERT_TRUE(store.setValue(kAppKey, name, RegValue::dword(1), error));
    }
    ASSERT_TRUE(store.save(error));

    FilePreferencesStore again(kFile, files);
    ASSERT_EQ(again.load(), "");
    std::vector<std::string> names;
    EXPECT_FALSE(again.enumValues(kAppKey, 128, names, error));
    EXPECT_EQ(error.function, "RegEnumValue");
    EXPECT_TRUE(IsNameTooLong(error));
    EXPECT_EQ(SystemErrorText(error.function, error.code),
              "RegEnumValue():\n" + SystemMessageText(kRegNameTooLong));
    EXPECT_EQ(names, (std::vector<std::string>{fits, tooLong, muchTooLong}));

    ASSERT_TRUE(again.enumValues(kAppKey, 0, names, error));  // no limit
    EXPECT_EQ(names.size(), 3u);
    for (const auto& name : names) {
        ASSERT_TRUE(again.deleteValue(kAppKey, name, error));
    }
    ASSERT_TRUE(again.enumValues(kAppKey, 128, names, error));
    EXPECT_TRUE(names.empty());
}

TEST_F(FilePreferencesStoreTest, FailedSaveLeavesTheFileWholeAndKeepsTheChanges) {
    FilePreferencesStore store(kFile, files);
    ASSERT_TRUE(store.createKey(kSettings, error));
    ASSERT_TRUE(store.setValue(kSettings, "USB Delay", RegValue::dword(5), error));
    ASSERT_TRUE(store.save(error));
    const std::string before = files.text(kFile);

    ASSERT_TRUE(store.setValue(kSettings, "USB Delay", RegValue::dword(9), error));
    files.failWrites = ENOSPC;
    EXPECT_FALSE(store.save(error));
    EXPECT_EQ(error.function, "WriteFile");
    EXPECT_EQ(error.code, ENOSPC);
    EXPECT_EQ(files.text(kFile), before);

    files.failWrites = 0;
    ASSERT_TRUE(store.save(error));
    FilePreferencesStore again(kFile, files);
    ASSERT_EQ(again.load(), "");
    RegValue value;
    ASSERT_TRUE(again.queryValue(kSettings, "USB Delay", value, error));
    EXPECT_EQ(value.asDword(), 9u);
}

TEST_F(FilePreferencesStoreTest, NothingChangedWritesNothing) {
    files.put(kFile, "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n");
    FilePreferencesStore store(kFile, files);
    ASSERT_EQ(store.load(), "");
    ASSERT_TRUE(store.createKey("a", error));  // exists already
    ASSERT_TRUE(store.save(error));
    EXPECT_EQ(files.writes, 0);
}

TEST_F(FilePreferencesStoreTest, CorruptFileIsKeptAsideAndReportedOnce) {
    const std::string corrupt =
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:zz\n";
    files.put(kFile, corrupt);
    FilePreferencesStore store(kFile, files);
    std::string report = store.load();
    EXPECT_EQ(report, "The preferences file \"" + kFile +
                          "\" could not be read: the value is not valid "
                          "(line 3).\nIt was kept as \"" +
                          kFile + ".bak\"; the default preferences are used.");
    EXPECT_EQ(files.text(kFile + ".bak"), corrupt);
    EXPECT_FALSE(files.fileExists(kFile));
    EXPECT_FALSE(store.keyExists("A"));

    // The report goes to the user once: the next start finds no bad file.
    FilePreferencesStore next(kFile, files);
    EXPECT_EQ(next.load(), "");

    test::FakePrompter prompter;
    prompter.warning(report);
    ASSERT_EQ(prompter.messages.size(), 1u);
}

TEST_F(FilePreferencesStoreTest, UnreadableFileIsKeptAsideToo) {
    files.put(kFile, "whatever");
    files.failReads = EACCES;
    FilePreferencesStore store(kFile, files);
    std::string report = store.load();
    EXPECT_NE(report.find("could not be read: " + SystemMessageText(EACCES) + "."),
              std::string::npos)
        << report;
    EXPECT_TRUE(files.fileExists(kFile + ".bak"));

    files.put(kFile, "garbage");
    files.failReads = 0;
    files.failMoves = EROFS;
    report = store.load();
    EXPECT_NE(report.find("the file will be replaced when they are saved"), std::string::npos)
        << report;
}

TEST_F(FilePreferencesStoreTest, TwoStoresOnOneFileKeepEachOthersChanges) {
    FilePreferencesStore program(kFile, files);
    FilePreferencesStore wedge(kFile, files);
    program.load();
    wedge.load();
    const std::string wedgeKey =
        "Software\\Tarvik Veviriz Inc.\\Lumo Setting DLL Library\\Settings";
    ASSERT_TRUE(wedge.createKey(wedgeKey, error));
    ASSERT_TRUE(wedge.setValue(wedgeKey, "EchoBufferSize", RegValue::dword(2048), error));
    ASSERT_TRUE(wedge.save(error));

    ASSERT_TRUE(program.createKey(kSettings, error));
    ASSERT_TRUE(program.setValue(kSettings, "Current Interface", RegValue::dword(1), error));
    ASSERT_TRUE(program.save(error));

    FilePreferencesStore later(kFile, files);
    ASSERT_EQ(later.load(), "");
    RegValue value;
    EXPECT_TRUE(later.queryValue(wedgeKey, "EchoBufferSize", value, error));
    EXPECT_TRUE(later.queryValue(kSettings, "Current Interface", value, error));
    EXPECT_TRUE(program.keyExists(wedgeKey));  // the save brought the other's changes in
}

TEST(FilePreferencesStoreRealFileTest, SavesIntoAFolderItCreates) {
    test::TempFolder folder;
    std::string path = folder / "config/magtune/registry.reg";
    SystemError error;
    {
        FilePreferencesStore store(path);
        EXPECT_EQ(store.load(), "");
        ASSERT_TRUE(store.createKey(kSettings, error));
        ASSERT_TRUE(store.setValue(kSettings, "Reduction", RegValue::dword(3), error));
        ASSERT_TRUE(store.save(error)) << error.function << " " << error.code;
    }
    FilePreferencesStore store(path);
    EXPECT_EQ(store.load(), "");
    RegValue value;
    ASSERT_TRUE(store.queryValue(kSettings, "Reduction", value, error));
    EXPECT_EQ(value.asDword(), 3u);
}

TEST(FilePreferencesStoreRealFileTest, DefaultPathFollowsTheEnvironment) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the preferences in the registry; no XDG folders";
#endif
    {
        test::ScopedEnv own("MAGTUNE_REGISTRY_FILE", "/tmp/test.reg");
        EXPECT_EQ(FilePreferencesStore::DefaultPath(), "/tmp/test.reg");
    }
    test::ScopedEnv own("MAGTUNE_REGISTRY_FILE", nullptr);
    test::ScopedEnv config("XDG_CONFIG_HOME", "/home/tech/.cfg");
    EXPECT_EQ(FilePreferencesStore::DefaultPath(), "/home/tech/.cfg/magtune/registry.reg");
}

}  // namespace
}  // namespace magtune::platform
