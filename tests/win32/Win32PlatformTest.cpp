#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ComPorts.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ProcessorPin.h"
#include "platform/SystemError.h"
#include "platform/TempFolder.h"

namespace magtune::platform {
namespace {

using test::TempFolder;

constexpr int kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Win32SystemErrorTest, TheSystemsTextWithoutTheLineEnd) {
    const std::string text = SystemMessageText(kFileNotFound);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_EQ(SystemErrorText("CreateFile", kFileNotFound), "CreateFile():\n" + text);
    EXPECT_EQ(SystemMessageText(0), "");
    // A number the system has no text for shows nothing.
    EXPECT_EQ(SystemErrorText("ReadFile", 0x3FFFFFFF), "");
}

TEST(Win32FileSystemTest, AtomicWritesReplaceTheWholeFileAndLeaveNoTemporaryFile) {
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    FileSystem& files = RealFileSystem();
    SystemError error;
    const std::string path = folder / "a.cfg";
    ASSERT_TRUE(files.writeFileAtomically(path, Bytes("first"), error));
    ASSERT_TRUE(files.writeFileAtomically(path, Bytes("second"), error));
    auto read = files.readFile(path, error);
    ASSERT_TRUE(read);
    EXPECT_EQ(Text(*read), "second");
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        entries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(entries, std::vector<std::string>{"a.cfg"});
}

TEST(Win32FileSystemTest, FailuresNameTheCallAndKeepTheOldFile) {
    TempFolder folder;
    FileSystem& files = RealFileSystem();
    SystemError error;
    const std::string path = folder / "kept.cfg";
    ASSERT_TRUE(files.writeFileAtomically(path, Bytes("old"), error));
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(files.writeFileAtomically(path, Bytes("new"), error));
    EXPECT_EQ(error.function, "CreateFile");
    EXPECT_EQ(error.code, kAccessDenied);
    EXPECT_EQ(Text(*files.readFile(path, error)), "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);

    struct Case {
        const char* name;
        std::function<bool(SystemError&)> call;
        const char* function;
    } cases[] = {
        {"read of a missing file",
         [&](SystemError& e) { return files.readFile(folder / "none", e).has_value(); },
         "CreateFile"},
        {"write into a missing folder",
         [&](SystemError& e) {
             return files.writeFileAtomically(folder / "no\\a.cfg", Bytes("x"), e);
         },
         "CreateFile"},
        {"removal of a missing file",
         [&](SystemError& e) { return files.removeFile(folder / "none", e); }, "DeleteFile"},
        {"append into a missing folder",
         [&](SystemError& e) { return files.appendToFile(folder / "no\\log.txt", Bytes("x"), e); },
         "CreateFile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SystemError failure;
        EXPECT_FALSE(c.call(failure));
        EXPECT_EQ(failure.function, c.function);
        EXPECT_NE(failure.code, 0);
    }
}

TEST(Win32FileSystemTest, LogsAreAppendedAndEmptied) {
    TempFolder folder;
    FileSystem& files = RealFileSystem();
    SystemError error;
    const std::string log = folder / "USBLog.txt";
    ASSERT_TRUE(files.appendToFile(log, Bytes("06\r\n"), error));
    ASSERT_TRUE(files.appendToFile(log, Bytes("15\r\n"), error));
    EXPECT_EQ(Text(*files.readFile(log, error)), "06\r\n15\r\n");
    ASSERT_TRUE(files.truncateFile(log, error));
    EXPECT_EQ(Text(*files.readFile(log, error)), "");
    ASSERT_TRUE(files.moveFile(log, folder / "old.txt", error));
    EXPECT_FALSE(files.fileExists(log));
    EXPECT_TRUE(files.fileExists(folder / "old.txt"));
    EXPECT_TRUE(files.folderWritable(folder.path));
    ASSERT_TRUE(files.createFolders(folder / "a\\b\\c", error));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a\\b\\c"));
}

TEST(Win32PathsTest, FoldersAreWindowsFolders) {
    const std::string program = ProgramFolder();
    EXPECT_TRUE(std::filesystem::exists(program + "\\win32_platform_tests.exe")) << program;
    EXPECT_EQ(HelperFolders(), std::vector<std::string>{program});
    struct Case {
        const char* path;
        const char* parent;
    } parents[] = {
        {"C:\\Magtune\\desk.cfg", "C:\\Magtune"},
        {"C:\\desk.cfg", "C:\\"},
        {"C:/Magtune/desk.cfg", "C:/Magtune"},
        {"desk.cfg", "."},
    };
    for (const Case& c : parents) {
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
    }
    EXPECT_EQ(UserFilePath("C:\\Users\\tech", "a.txt"), "C:\\Users\\tech\\a.txt");
    EXPECT_EQ(UserFilePath("C:\\", "a.txt"), "C:\\a.txt");
    EXPECT_EQ(UserFilePath("", "a.txt"), "");
    EXPECT_TRUE(UserConfigFolder().ends_with("\\Magtune")) << UserConfigFolder();
}

TEST(Win32ComPortsTest, PortsAreTheSystemsOwnDevices) {
    EXPECT_EQ(ComPortDevice(0), "\\\\.\\COM1");
    EXPECT_EQ(ComPortDevice(31), "\\\\.\\COM32");
    EXPECT_EQ(ComPortDevice(32), "");
    EXPECT_EQ(ComPortsFolder(), "");
    // A port with no device behind it fails to open under the system's call.
    SystemError error;
    EXPECT_EQ(OpenComPort(31, error), nullptr);
    EXPECT_EQ(error.function, "CreateFile");
    EXPECT_NE(error.code, 0);
    EXPECT_EQ(OpenComPort(40, error), nullptr);
    EXPECT_EQ(error.code, kFileNotFound);
}

DWORD_PTR ProcessProcessors() {
    DWORD_PTR allowed = 0;
    DWORD_PTR system = 0;
    ::GetProcessAffinityMask(::GetCurrentProcess(), &allowed, &system);
    return allowed;
}

TEST(Win32ProcessorPinTest, TheProgramRunsOnOneOfItsProcessorsUntilReleased) {
    const DWORD_PTR before = ProcessProcessors();
    if ((before & (before - 1)) == 0) {
        GTEST_SKIP() << "this machine lets the test run on one processor only";
    }
    {
        ProcessorPin pin;
        ASSERT_TRUE(pin.pinned());
        const DWORD_PTR during = ProcessProcessors();
        EXPECT_NE(during, 0U);
        EXPECT_EQ(during & (during - 1), 0U) << "more than one processor";
        EXPECT_EQ(during & before, during) << "a processor it was not allowed";
        pin.release();
        EXPECT_EQ(ProcessProcessors(), before);
        ::SetProcessAffinityMask(::GetCurrentProcess(), during);
    }
    // Released again at its end: a pin that was released is left as it is.
    EXPECT_NE(ProcessProcessors(), before);
    ::SetProcessAffinityMask(::GetCurrentProcess(), before);
}

TEST(Win32ProcessTest, StartsAndWatchesAProgram) {
    SystemError error;
    // cmd.exe is on every Windows system and in every wine prefix.
    auto quick = Process::spawn({"cmd.exe", "/c", "exit"}, error, ProgramLookup::SearchPath);
    ASSERT_TRUE(quick) << error.code;
    EXPECT_TRUE(quick->waitEnded(20000));
    EXPECT_FALSE(quick->running());

    auto slow =
        Process::spawn({"ping.exe", "-n", "30", "127.0.0.1"}, error, ProgramLookup::SearchPath);
    ASSERT_TRUE(slow);
    EXPECT_TRUE(slow->running());
    EXPECT_FALSE(slow->waitEnded(50));
    slow->kill();
    EXPECT_FALSE(slow->running());

    EXPECT_FALSE(Process::spawn({"magtune-no-such-program.exe"}, error, ProgramLookup::SearchPath));
    EXPECT_EQ(error.function, "CreateProcess");
    EXPECT_EQ(error.code, kFileNotFound);
    EXPECT_FALSE(Process::spawn({}, error));
}

}  // namespace
}  // namespace magtune::platform
