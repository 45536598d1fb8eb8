// The user's private runtime folder and the objects in it: locks, shared
// memory blocks and events that no other user may plant or open.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "TempFolder.h"
#include "platform/FileLock.h"
#include "platform/InstanceLock.h"
#include "platform/NamedSemaphore.h"
#include "platform/RuntimeFolder.h"
#include "platform/SharedMemoryBlock.h"

namespace magtune::platform {
namespace {

using test::ScopedEnv;
using test::TempFolder;

// The user id that stands in for another local user where root can make
// files of it.
constexpr uid_t kOtherUser = 65534;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(RuntimeFolder, TheFirstFolderThatIsTheUsersAloneIsChosen) {
    TempFolder temp;
    ::mkdir((temp / "private").c_str(), 0700);
    ::mkdir((temp / "open").c_str(), 0755);
    ::mkdir((temp / "run").c_str(), 0700);
    ::mkdir((temp / "home").c_str(), 0755);
    ASSERT_EQ(::symlink((temp / "private").c_str(), (temp / "link").c_str()), 0);
    const std::string below = temp / "home/.cache/magtune/run-box";
    struct Case {
        const char* name;
        std::string xdg;
        std::string runUser;
        std::string chosen;
    };
    const Case cases[] = {
        {"runtime folder of the session", temp / "private", temp / "run", temp / "private"},
        {"others may open it", temp / "open", temp / "run", temp / "run"},
        {"the shared /tmp", "/tmp", "", below},
        {"a relative value", "private", temp / "run", temp / "run"},
        {"a symbolic link", temp / "link", "", below},
        {"missing", temp / "missing", temp / "missing-too", below},
    };
    for (const Case& c : cases) {
        std::string problem;
        const auto folder =
            ChoosePrivateRuntimeFolder({c.xdg, c.runUser, temp / "home", "box"}, problem);
        ASSERT_TRUE(folder) << c.name << ": " << problem;
        EXPECT_EQ(*folder, c.chosen) << c.name;
    }
    EXPECT_EQ(ModeOf(below), 0700u);
}

TEST(RuntimeFolder, TheFolderBelowTheHomeIsMadePrivateOrRefused) {
    TempFolder temp;
    ::mkdir((temp / "home").c_str(), 0755);
    const std::string below = temp / "home/.cache/magtune/run-box";
    std::string problem;
    ASSERT_TRUE(ChoosePrivateRuntimeFolder({"", "", temp / "home", "box"}, problem));
    ::chmod(below.c_str(), 0755);  // opened up by hand
    ASSERT_TRUE(ChoosePrivateRuntimeFolder({"", "", temp / "home", "box"}, problem));
    EXPECT_EQ(ModeOf(below), 0700u);

    // A home that others may write to is no place for it, and nothing else
    // is left: refused, with the reasons.
    ::mkdir((temp / "shared").c_str(), 0777);
    ::chmod((temp / "shared").c_str(), 0777);
    const auto none =
        ChoosePrivateRuntimeFolder({"/tmp", temp / "missing", temp / "shared", "box"}, problem);
    EXPECT_FALSE(none);
    EXPECT_NE(problem.find("/tmp: others may open it"), std::string::npos) << problem;
    EXPECT_NE(problem.find("home folder"), std::string::npos) << problem;
    struct stat info {};
    EXPECT_NE(::lstat((temp / "shared/.cache").c_str(), &info), 0);
}

// What another user may have left where this user's objects go.
struct Planted {
    const char* name;
    std::function<void(const std::string&)> plant;
    bool needsRoot;
};

std::vector<Planted> Plantings() {
    return {
        {"a file others may write",
         [](const std::string& path) {
             ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0666));
             ::chmod(path.c_str(), 0666);
             ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
         },
         false},
        {"a symbolic link to the user's own file",
         [](const std::string& path) {
             const std::string target = path + ".target";
             ::close(::open(target.c_str(), O_CREAT | O_WRONLY, 0600));
             ASSERT_EQ(::truncate(target.c_str(), 4096), 0);
             ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
         },
         false},
        {"a file of another user",
         [](const std::string& path) {
             ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
             ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
             ASSERT_EQ(::chown(path.c_str(), kOtherUser, kOtherUser), 0);
         },
         true},
    };
}

TEST(PrivateObjects, ObjectsThatAreNotTheUsersOwnAreNeverTrusted) {
    for (const Planted& planted : Plantings()) {
        if (planted.needsRoot && ::geteuid() != 0) {
            continue;
        }
        TempFolder temp;
        const std::string path = temp / "object";
        planted.plant(path);
        SystemError error;
        EXPECT_FALSE(SharedMemoryBlock::open(path, 64, error)) << planted.name;
        EXPECT_EQ(error.code, EACCES) << planted.name;
        EXPECT_FALSE(NamedSemaphore::open(path, error)) << planted.name;
        EXPECT_FALSE(FileLock::open(path, error)) << planted.name;
        // A fresh object replaces whatever was there.
        auto block = SharedMemoryBlock::createFresh(path, 64, error);
        ASSERT_TRUE(block) << planted.name << ": " << error.function << " " << error.code;
        EXPECT_EQ(ModeOf(path), 0600u);
        EXPECT_EQ(static_cast<const unsigned char*>(block->data())[63], 0);
        EXPECT_TRUE(SharedMemoryBlock::open(path, 64, error)) << planted.name;
    }
}

TEST(PrivateObjects, AnEventIsSharedThroughItsFileAndStartsUnsignalled) {
    TempFolder temp;
    const std::string path = temp / "event";
    SystemError error;
    auto created = NamedSemaphore::createFresh(path, error);
    ASSERT_TRUE(created);
    EXPECT_EQ(ModeOf(path), 0600u);
    auto opened = NamedSemaphore::open(path, error);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->wait(0), NamedSemaphore::WaitResult::TimedOut);
    EXPECT_TRUE(created->post());
    EXPECT_EQ(opened->wait(1000), NamedSemaphore::WaitResult::Signalled);
    EXPECT_FALSE(opened->tryWait());  // consumed: an auto-reset event

    // A stale signal does not survive a fresh start.
    EXPECT_TRUE(created->post());
    auto fresh = NamedSemaphore::createFresh(path, error);
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->tryWait());
    NamedSemaphore moved = std::move(*fresh);
    EXPECT_FALSE(fresh->isOpen());
    EXPECT_TRUE(moved.post());
    EXPECT_TRUE(NamedSemaphore::open(path, error)->tryWait());
}

TEST(PrivateObjects, TheInstanceLockLivesInThePrivateFolderOnly) {
    TempFolder temp;
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", temp.path.c_str());
        const std::string path = InstanceLock::DefaultPath();
        EXPECT_EQ(path, temp / ("magtune-" + std::to_string(::geteuid()) + ".lock"));
        InstanceLock first(path);
        EXPECT_EQ(first.state(), InstanceLock::State::Held);
        EXPECT_EQ(InstanceLock(path).state(), InstanceLock::State::OtherInstance);
    }
    // With only /tmp and no home to fall back on, there is no lock at all
    // rather than one in /tmp that anybody could plant.
    ::chmod(temp.path.c_str(), 0777);
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/tmp");
    ScopedEnv home("HOME", temp.path.c_str());
    if (::access(("/run/user/" + std::to_string(::geteuid())).c_str(), F_OK) == 0) {
        GTEST_SKIP() << "this user has a runtime folder of the login manager";
    }
    EXPECT_EQ(InstanceLock::DefaultPath(), "");
    EXPECT_EQ(InstanceLock("").state(), InstanceLock::State::Unavailable);
    ::chmod(temp.path.c_str(), 0700);
}

}  // namespace
}  // namespace magtune::platform
