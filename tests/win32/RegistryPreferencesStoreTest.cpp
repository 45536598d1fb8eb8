#include "platform/win32/RegistryPreferencesStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/UserPreferences.h"

namespace magtune::platform {
namespace {

// A key of its own below the program's, removed before and after.
class RegistryPreferencesStoreTest : public testing::Test {
  protected:
    void SetUp() override {
        SystemError ignored;
        store.deleteKey(kRoot, ignored);
    }
    void TearDown() override {
        SystemError ignored;
        store.deleteKey(kRoot, ignored);
    }

    static constexpr const char* kRoot = "Software\\Tarvik Veviriz Inc.\\MagtuneTest";
    static std::string key(const std::string& below) { return std::string(kRoot) + "\\" + below; }

    RegistryPreferencesStore store;
    SystemError error;
};

TEST_F(RegistryPreferencesStoreTest, KeysAreCreatedWithTheirParentsAndFoundWithoutRegardToCase) {
    EXPECT_FALSE(store.keyExists(key("Settings")));
    EXPECT_FALSE(store.openKey(key("Settings"), error));
    EXPECT_EQ(error.function, "RegOpenKeyEx");
    EXPECT_EQ(error.code, 2);  // ERROR_FILE_NOT_FOUND

    ASSERT_TRUE(store.createKey(key("RecentFileList\\File1"), error));
    EXPECT_TRUE(store.keyExists(key("recentfilelist\\FILE1")));
    ASSERT_TRUE(store.createKey(key("Settings"), error));
    ASSERT_TRUE(store.createKey(key("Settings"), error));  // opens the existing one

    std::vector<std::string> names;
    ASSERT_TRUE(store.enumKeys(kRoot, names, error));
    EXPECT_EQ(names, (std::vector<std::string>{"RecentFileList", "Settings"}));
}

TEST_F(RegistryPreferencesStoreTest, ValuesKeepTheirTypeAndBytes) {
    ASSERT_TRUE(store.createKey(key("Settings"), error));
    const std::uint8_t dcb[28] = {28, 0, 0, 0, 0x80, 0x25, 0, 0, 1, 0x10};
    struct Case {
        const char* name;
        RegValue value;
    } cases[] = {
        {"Current Com", RegValue::dword(31)},
        {"Name", RegValue::string("C:\\Readers\\desk.cfg")},
        {"DCB", RegValue::binary(dcb)},
        {"Empty", RegValue::string("")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(store.setValue(key("Settings"), c.name, c.value, error));
        RegValue back;
        ASSERT_TRUE(store.queryValue(key("settings"), c.name, back, error));
        EXPECT_EQ(back, c.value);
    }
    RegValue number;
    ASSERT_TRUE(store.queryValue(key("Settings"), "current com", number, error));
    EXPECT_EQ(number.asDword(), 31u);

    RegValue missing;
    EXPECT_FALSE(store.queryValue(key("Settings"), "Nothing", missing, error));
    EXPECT_EQ(error.function, "RegQueryValueEx");
    EXPECT_FALSE(store.setValue(key("Missing"), "x", RegValue::dword(1), error));
    EXPECT_EQ(error.function, "RegSetValueEx");
}

TEST_F(RegistryPreferencesStoreTest, EnumerationReportsALongNameButListsEveryName) {
    ASSERT_TRUE(store.createKey(kRoot, error));
    const std::string fits(127, 'a');
    const std::string tooLong(128, 'b');
    for (const auto& name : {fits, tooLong}) {
        ASSERT_TRUE(store.setValue(kRoot, name, RegValue::dword(1), error));
    }
    std::vector<std::string> names;
    EXPECT_FALSE(store.enumValues(kRoot, 128, names, error));
    EXPECT_EQ(error.function, "RegEnumValue");
    EXPECT_TRUE(IsNameTooLong(error));
    EXPECT_EQ(names.size(), 2u);
    // What the program does with them at start: delete every one.
    for (const auto& name : names) {
        ASSERT_TRUE(store.deleteValue(kRoot, name, error)) << name;
    }
    ASSERT_TRUE(store.enumValues(kRoot, 128, names, error));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(store.deleteValue(kRoot, fits, error));
    EXPECT_EQ(error.function, "RegDeleteValue");
}

TEST_F(RegistryPreferencesStoreTest, DeletingAKeyTakesEverythingBelowIt) {
    ASSERT_TRUE(store.createKey(key("A\\B\\C"), error));
    ASSERT_TRUE(store.setValue(key("A\\B"), "v", RegValue::dword(7), error));
    ASSERT_TRUE(store.deleteKey(key("A"), error));
    EXPECT_FALSE(store.keyExists(key("A")));
    EXPECT_TRUE(store.keyExists(kRoot));
    EXPECT_FALSE(store.deleteKey("", error));
}

TEST_F(RegistryPreferencesStoreTest, TheUsersPreferencesAreTheRegistryAndNoFile) {
    std::string problem = "stale";
    const auto preferences = OpenUserPreferences("C:\\nowhere\\registry.reg", problem);
    EXPECT_EQ(problem, "");
    ASSERT_TRUE(preferences->createKey(key("Settings"), error));
    ASSERT_TRUE(preferences->setValue(key("Settings"), "Reduction", RegValue::dword(3), error));
    ASSERT_TRUE(preferences->save(error));
    RegValue value;
    ASSERT_TRUE(store.queryValue(key("Settings"), "Reduction", value, error));
    EXPECT_EQ(value.asDword(), 3u);
    EXPECT_EQ(preferences->location(), "HKEY_CURRENT_USER");
}

}  // namespace
}  // namespace magtune::platform
