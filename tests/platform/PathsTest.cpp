#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "TempFolder.h"
#include "platform/Paths.h"

namespace magtune::platform {
namespace {

using test::ScopedEnv;

TEST(PathsTest, ProgramFolderHoldsTheRunningProgram) {
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    struct stat st {};
    EXPECT_EQ(::stat((folder + "/platform_tests").c_str(), &st), 0) << folder;
}

TEST(PathsTest, HelperFoldersStartBesideTheProgram) {
    const std::vector<std::string> folders = HelperFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), ProgramFolder());
    for (const std::string& folder : folders) {
        EXPECT_EQ(folder.find("/../"), std::string::npos) << folder;
    }
}

TEST(PathsTest, IsExecutableFileTakesOnlyFilesThatMayRun) {
    test::TempFolder temp;
    const auto write = [](const std::string& path, mode_t mode) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, mode);
        ASSERT_GE(fd, 0) << path;
        ::close(fd);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    };
    write(temp / "server", 0755);
    write(temp / "library.so", 0644);
    ASSERT_EQ(::mkdir((temp / "folder").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((temp / "server").c_str(), (temp / "link").c_str()), 0);

    const struct {
        const char* name;
        bool executable;
    } cases[] = {
        {"server", true},  {"link", true},     {"library.so", false},
        {"folder", false}, {"missing", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsExecutableFile(temp / c.name), c.executable) << c.name;
    }
}

TEST(PathsTest, UserFoldersFollowTheXdgRules) {
    ScopedEnv home("HOME", "/home/tech");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/etc/tech");
        EXPECT_EQ(UserConfigFolder(), "/etc/tech/magtune");
    }
    // Relative values do not count.
    ScopedEnv config("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(UserConfigFolder(), "/home/tech/.config/magtune");
}

TEST(PathsTest, StateFolderFollowsTheXdgRules) {
    ScopedEnv home("HOME", "/home/tech");
    {
        ScopedEnv state("XDG_STATE_HOME", "/var/tech");
        EXPECT_EQ(UserStateFolder(), "/var/tech/magtune");
    }
    ScopedEnv state("XDG_STATE_HOME", "relative");
    EXPECT_EQ(UserStateFolder(), "/home/tech/.local/state/magtune");
    EXPECT_EQ(UserFilePath(UserStateFolder(), "USBLog.txt"),
              "/home/tech/.local/state/magtune/USBLog.txt");
    EXPECT_EQ(UserFilePath("", "USBLog.txt"), "");
}

TEST(PathsTest, WithoutHomeTheAccountsHomeIsUsedAndNeverASharedFolder) {
    ScopedEnv home("HOME", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        EXPECT_EQ(UserConfigFolder(), std::string(found->pw_dir) + "/.config/magtune");
    }
    if (::geteuid() != 0) {
        GTEST_SKIP() << "an account without a home needs an administrator to switch to it";
    }
    // An account the password database does not know (a container's
    // made-up user) has no home: nothing is kept, and never below /tmp.
    pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kUnknown = 54321;
        bool ok = ::setgid(kUnknown) == 0 && ::setuid(kUnknown) == 0 &&
                  UserConfigFolder().empty() && UserStateFolder().empty();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(PathsTest, MakeFoldersCreatesTheMissingParts) {
    test::TempFolder temp;
    int code = 0;
    std::string deep = temp / "a/b/c";
    ASSERT_TRUE(MakeFolders(deep, code)) << code;
    EXPECT_TRUE(MakeFolders(deep, code));  // already there
    ASSERT_TRUE(MakeFolders(temp / "file", code));
    ::rmdir((temp / "file").c_str());
    ::close(::creat((temp / "file").c_str(), 0600));
    EXPECT_FALSE(MakeFolders(temp / "file/below", code));
    EXPECT_NE(code, 0);
}

}  // namespace
}  // namespace magtune::platform
