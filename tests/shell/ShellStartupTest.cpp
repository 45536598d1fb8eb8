#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "platform/InstanceLock.h"
#include "platform/TempFolder.h"
#include "shell/AboutText.h"
#include "shell/AppState.h"
#include "shell/FileDialogFilter.h"
#include "shell/StartupFiles.h"
#include "support/MemoryFileSystem.h"

namespace magtune::shell {
namespace {

TEST(InstanceLock, SecondHolderOfTheSameFileIsRefusedUntilTheFirstEnds) {
    test::TempFolder folder;
    const std::string path = folder / "magtune.lock";
    {
        platform::InstanceLock first(path);
        EXPECT_EQ(first.state(), platform::InstanceLock::State::Held);
        platform::InstanceLock second(path);
        EXPECT_EQ(second.state(), platform::InstanceLock::State::OtherInstance);
    }
    platform::InstanceLock again(path);
    EXPECT_EQ(again.state(), platform::InstanceLock::State::Held);
}

TEST(InstanceLock, LockFileIsTheOwnersAloneAndNeverFollowsALink) {
    test::TempFolder folder;
    const std::string path = folder / "magtune.lock";
    {
        platform::InstanceLock lock(path);
        ASSERT_EQ(lock.state(), platform::InstanceLock::State::Held);
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::string link = folder / "link.lock";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    platform::InstanceLock viaLink(link);
    EXPECT_EQ(viaLink.state(), platform::InstanceLock::State::Unavailable);
    EXPECT_NE(viaLink.error().code, 0);
}

TEST(InstanceLock, MissingFolderIsReportedNotMistakenForAnotherInstance) {
    test::TempFolder folder;
    platform::InstanceLock lock(folder / "no-such-folder/magtune.lock");
    EXPECT_EQ(lock.state(), platform::InstanceLock::State::Unavailable);
}

TEST(InstanceLock, DefaultPathIsPerUserInTheRuntimeFolder) {
    test::TempFolder folder;
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path.c_str());
    const std::string path = platform::InstanceLock::DefaultPath();
    EXPECT_EQ(path, folder / ("magtune-" + std::to_string(::getuid()) + ".lock"));
}

TEST(StartupFiles, WedgeEchoFileIsRemovedWhenPresent) {
    test::MemoryFileSystem files;
    const std::string path = "/home/u/.config/magtune/zebecho.txt";
    files.files[path] = {'x'};
    files.files["/home/u/.config/magtune/registry.reg"] = {'r'};
    RemoveWedgeEchoFile(files, path);
    EXPECT_EQ(files.files.count(path), 0u);
    EXPECT_EQ(files.files.size(), 1u);
    // Nothing to remove is no failure.
    RemoveWedgeEchoFile(files, path);
    EXPECT_EQ(files.files.size(), 1u);
}

TEST(StartupFiles, WedgeEchoFileLivesInTheUserConfigurationFolder) {
    test::TempFolder folder;
    test::ScopedEnv config("XDG_CONFIG_HOME", folder.path.c_str());
    EXPECT_EQ(WedgeEchoFilePath(), folder / "magtune/zebecho.txt");

    std::ofstream(folder.path + "/zebecho.txt") << "trace";
    RemoveWedgeEchoFile(platform::RealFileSystem(), folder / "zebecho.txt");
    struct stat info {};
    EXPECT_NE(::stat((folder / "zebecho.txt").c_str(), &info), 0);
}

TEST(AppState, StartsWithNothingOpenAndTheLogsInTheProgramFolder) {
    test::TempFolder program;
    AppState state(program.path, "/home/u/Documents");
    EXPECT_FALSE(state.store.Modified);
    EXPECT_FALSE(state.serial.isPortOpen());
    EXPECT_EQ(state.serial.PortSettings.DCBlength, 0u);
    EXPECT_TRUE(state.SelectedUsbName.empty());
    EXPECT_EQ(state.TransferLogPath, program / "USBLog.txt");
    EXPECT_EQ(state.TransferDumpPath, program / "USBDump.txt");
    EXPECT_EQ(state.settingFolder, "/home/u/Documents");
}

TEST(AppState, PreferencesComeBackAsTheyWereRead) {
    Preferences read;
    read.CurrentCom = 31;
    read.CurrentInterface = 1;
    read.GroupChars = 16;
    read.Reduction = 10;
    read.options.UsbDelay = 20;
    read.options.UsbLogEnable = true;
    read.options.ReadTotalTimeoutConstant = 0;

    AppState state("/p", "/p");
    ApplyPreferences(read, state);
    EXPECT_EQ(state.serial.CurrentComIndex, 31);
    EXPECT_EQ(state.store.CurrentInterface, 1);
    EXPECT_EQ(state.options, read.options);

    Preferences written;
    CollectPreferences(state, written);
    EXPECT_EQ(written.CurrentCom, 31);
    EXPECT_EQ(written.CurrentInterface, 1);
    EXPECT_EQ(written.GroupChars, 16);
    EXPECT_EQ(written.Reduction, 10);
    EXPECT_EQ(written.options, read.options);
}

TEST(AppState, SettingFilesGoWhereTheUserMayWrite) {
    EXPECT_EQ(ChooseSettingFolder("/build/bin", true, "/home/u/Documents"), "/build/bin");
    EXPECT_EQ(ChooseSettingFolder("/usr/bin", false, "/home/u/Documents"), "/home/u/Documents");
    EXPECT_EQ(ChooseSettingFolder("/usr/bin", false, ""), "/usr/bin");
}

TEST(FileDialogFilter, PairsBecomeNamedFilters) {
    const struct {
        const char* filter;
        std::vector<std::string> expected;
    } cases[] = {
        {"Setting Files (*.cfg)|*.cfg", {"Setting Files (*.cfg)"}},
        {"Setting File(*.cfg) | *.cfg", {"Setting File(*.cfg)"}},
        {"Setting Files|*.cfg", {"Setting Files (*.cfg)"}},
        {"Images|*.png;*.bmp|All Files (*.*)|*.*", {"Images (*.png *.bmp)", "All Files (*.*)"}},
        {"|*.cfg", {"(*.cfg)"}},
        {"Nothing|", {}},
        {"No pattern at all", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameFilters(c.filter), c.expected) << c.filter;
    }
}

TEST(AboutText, VersionPartsArePlainNumbers) {
    EXPECT_EQ(VersionText(1, 10, 1), "Version 1.10.1");
    EXPECT_EQ(VersionText(2, 0, 10), "Version 2.0.10");
}

}  // namespace
}  // namespace magtune::shell
