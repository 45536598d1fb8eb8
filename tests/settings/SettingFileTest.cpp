#include "settings/SettingFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/SystemError.h"
#include "platform/TempFolder.h"
#include "support/FakePrompter.h"
#include "support/MemoryFileSystem.h"

namespace magtune::settings {
namespace {

using test::FakePrompter;
using test::MemoryFileSystem;

std::vector<std::uint8_t> ImageWithBaudRate(std::int32_t baudRate) {
    SettingStore source;
    source.settings.BaudRate.current = baudRate;
    source.PackImage();
    return {source.image.begin(), source.image.end()};
}

TEST(ReadSettingFile, RefusesAnyLengthButExactly256AndChangesNothing) {
    for (std::size_t size : {0u, 255u, 257u, 512u}) {
        MemoryFileSystem files;
        std::vector<std::uint8_t> bytes = ImageWithBaudRate(0);
        bytes.resize(size, 0x00);
        files.files["/a.cfg"] = bytes;
        SettingStore store;
        ConfigurationImage before = store.image;
        FakePrompter prompter;
        EXPECT_EQ(ReadSettingFile(files, "/a.cfg", store, prompter), SettingFileRead::WrongLength)
            << size;
        EXPECT_EQ(store.settings.BaudRate.current, 5);
        EXPECT_EQ(store.image, before);
    }
}

TEST(ReadSettingFile, MissingFileCannotBeOpened) {
    MemoryFileSystem files;
    SettingStore store;
    FakePrompter prompter;
    EXPECT_EQ(ReadSettingFile(files, "/none.cfg", store, prompter), SettingFileRead::CannotOpen);
}

TEST(ReadSettingFile, ReadsTheImageAndIgnoresTheLastTwoBytes) {
    MemoryFileSystem files;
    std::vector<std::uint8_t> bytes = ImageWithBaudRate(2);
    bytes[254] = 0x12;
    bytes[255] = 0x34;
    files.files["/a.cfg"] = bytes;
    SettingStore store;
    FakePrompter prompter;
    ASSERT_EQ(ReadSettingFile(files, "/a.cfg", store, prompter), SettingFileRead::Ok);
    EXPECT_EQ(store.settings.BaudRate.current, 2);
    EXPECT_EQ(store.image[254], 0xFF);
    EXPECT_EQ(store.image[255], 0xFF);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(WriteSettingFile, WritesThePackedImageOverALongerFile) {
    MemoryFileSystem files;
    files.files["/a.cfg"] = std::vector<std::uint8_t>(1000, 0x00);
    SettingStore store;
    store.settings.BaudRate.current = 3;
    store.image.fill(0);  // stale: the write packs first
    FakePrompter prompter;
    ASSERT_TRUE(WriteSettingFile(files, "/a.cfg", store, prompter));
    const auto& written = files.files["/a.cfg"];
    ASSERT_EQ(written.size(), 256u);
    EXPECT_EQ(written[4], 0x63);
    EXPECT_EQ(written[254], 0xFF);
    EXPECT_EQ(written[255], 0xFF);
    EXPECT_EQ(written, std::vector<std::uint8_t>(store.image.begin(), store.image.end()));
}

TEST(WriteSettingFile, FailureShowsTheSystemErrorAndKeepsTheOldFile) {
    MemoryFileSystem files;
    files.files["/a.cfg"] = {1, 2, 3};
    files.failingWrites["/a.cfg"] = ENOSPC;
    SettingStore store;
    FakePrompter prompter;
    EXPECT_FALSE(WriteSettingFile(files, "/a.cfg", store, prompter));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "Failed to save /a.cfg: " + platform::SystemMessageText(ENOSPC));
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);
    EXPECT_EQ(files.files["/a.cfg"], (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(WriteSettingFile, FailureWithoutSystemTextIsStillReported) {
    MemoryFileSystem files;
    files.failingWrites["/a.cfg"] = 0;
    SettingStore store;
    FakePrompter prompter;
    EXPECT_FALSE(WriteSettingFile(files, "/a.cfg", store, prompter));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Failed to save /a.cfg."});
}

// The system's text for a write it refuses.
#ifdef _WIN32
const std::string kAccessDeniedText = platform::SystemMessageText(5);  // ERROR_ACCESS_DENIED
#else
const std::string kAccessDeniedText = platform::SystemMessageText(EACCES);
#endif

TEST(WriteSettingFile, AReadOnlyFileOnDiskIsRefusedByName) {
    const test::TempFolder folder("magtune-ro-");
    ASSERT_FALSE(folder.path.empty());
    const std::string path = folder / "a.cfg";
    std::ofstream(path) << "old";
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    SettingStore store;
    FakePrompter prompter;
    EXPECT_FALSE(WriteSettingFile(platform::RealFileSystem(), path, store, prompter));
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Failed to save " + path + ": " + kAccessDeniedText});
    std::ifstream in(path);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "old");
    // Writable again, so that the folder can go.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace magtune::settings
