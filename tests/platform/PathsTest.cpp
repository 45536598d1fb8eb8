#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempFolder.h"
#include "platform/Paths.h"

namespace magtune {
namespace {

using test::ScopedEnv;

TEST(PathsTest, ProgramFolderHoldsTheRunningProgram) {
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    struct stat st {};
    EXPECT_EQ(::stat((folder + "/platform_tests").c_str(), &st), 0) << folder;
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
}  // namespace magtune
