#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/FileSystem.h"

namespace magtune::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::size_t EntriesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Runs `body` without the right to create files in `folder` (an ordinary
// user's view of an installed program's folder): the folder is made
// read-only and, for an administrator whom that would not stop, the body
// runs in a child process as the unprivileged user "nobody". Returns the
// body's result.
bool WithoutFolderWrite(const std::string& folder, const std::vector<std::string>& files,
                        const std::function<bool()>& body) {
    if (::geteuid() != 0) {
        ::chmod(folder.c_str(), 0555);
        bool result = body();
        ::chmod(folder.c_str(), 0755);
        return result;
    }
    constexpr uid_t kNobody = 65534;
    for (const auto& file : files) {
        EXPECT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    EXPECT_EQ(::chown(folder.c_str(), 0, 0), 0);
    ::chmod(folder.c_str(), 0755);
    pid_t child = ::fork();
    if (child == 0) {
        bool ok = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && body();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileSystemTest, SavingThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, what it holds
        std::string saved;                                       // path handed to the save
        std::string target;                                      // file that must change
    };
    const std::vector<Case> cases = {
        {"absolute", {{"link.cfg", "@/real/a.cfg"}}, "link.cfg", "real/a.cfg"},
        {"relative", {{"link.cfg", "real/a.cfg"}}, "link.cfg", "real/a.cfg"},
        {"chain", {{"one.cfg", "two.cfg"}, {"two.cfg", "real/a.cfg"}}, "one.cfg", "real/a.cfg"},
        {"pointing nowhere", {{"link.cfg", "real/new.cfg"}}, "link.cfg", "real/new.cfg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder temp;
        std::filesystem::create_directory(temp / "real");
        Put(temp / "real/a.cfg", Bytes(300, 0x11));
        for (const auto& [link, holds] : c.links) {
            std::string value = holds.starts_with('@') ? temp.path + holds.substr(1) : holds;
            ASSERT_EQ(::symlink(value.c_str(), (temp / link).c_str()), 0);
        }
        SystemError error;
        Bytes fresh(256, 0x22);
        ASSERT_TRUE(RealFileSystem().writeFileAtomically(temp / c.saved, fresh, error))
            << error.function << " " << error.code;
        for (const auto& [link, holds] : c.links) {
            EXPECT_TRUE(IsLink(temp / link)) << link;
        }
        EXPECT_EQ(Contents(temp / c.target), fresh);
        EXPECT_EQ(EntriesIn(temp / "real"), c.target.ends_with("new.cfg") ? 2U : 1U);
    }
}

TEST(FileSystemTest, AFileWithoutWritePermissionIsRefusedAndKept) {
    test::TempFolder temp;
    std::string path = temp / "a.cfg";
    Put(path, Bytes(256, 0x11));
    ::chmod(path.c_str(), 0444);
    SystemError error;
    EXPECT_FALSE(RealFileSystem().writeFileAtomically(path, Bytes(256, 0x22), error));
    EXPECT_EQ(error.function, "CreateFile");
    EXPECT_EQ(error.code, EACCES);
    EXPECT_EQ(Contents(path), Bytes(256, 0x11));
    EXPECT_EQ(EntriesIn(temp.path), 1U);
}

TEST(FileSystemTest, AWritableFileInAFolderThatIsNotIsRewrittenInPlace) {
    struct Case {
        const char* name;
        std::size_t oldSize;
        std::size_t newSize;
    };
    const Case cases[] = {{"longer old file", 300, 256}, {"shorter old file", 10, 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder temp;
        std::string path = temp / "a.cfg";
        Put(path, Bytes(c.oldSize, 0x11));
        ::chmod(path.c_str(), 0644);
        Bytes fresh(c.newSize, 0x22);
        EXPECT_TRUE(WithoutFolderWrite(temp.path, {path}, [&] {
            SystemError error;
            return RealFileSystem().writeFileAtomically(path, fresh, error);
        }));
        EXPECT_EQ(Contents(path), fresh);
        EXPECT_EQ(EntriesIn(temp.path), 1U);
    }
}

TEST(FileSystemTest, ANewFileInAFolderThatIsNotWritableFails) {
    test::TempFolder temp;
    std::string path = temp / "new.cfg";
    EXPECT_TRUE(WithoutFolderWrite(temp.path, {}, [&] {
        SystemError error;
        return !RealFileSystem().writeFileAtomically(path, Bytes(256, 0x22), error) &&
               error.code == EACCES;
    }));
    EXPECT_EQ(EntriesIn(temp.path), 0U);
}

TEST(FileSystemTest, LogsDoNotFollowAPlantedLink) {
    test::TempFolder temp;
    Put(temp / "victim", Bytes{'k', 'e', 'e', 'p'});
    ASSERT_EQ(::symlink((temp / "victim").c_str(), (temp / "USBLog.txt").c_str()), 0);
    SystemError error;
    const Bytes line{'x', '\n'};
    EXPECT_FALSE(RealFileSystem().appendToFile(temp / "USBLog.txt", line, error));
    EXPECT_EQ(error.code, ELOOP);
    EXPECT_FALSE(RealFileSystem().truncateFile(temp / "USBLog.txt", error));
    EXPECT_EQ(Contents(temp / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
}

}  // namespace
}  // namespace magtune::platform
