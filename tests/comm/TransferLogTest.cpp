#include "comm/TransferLog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/MemoryFileSystem.h"

namespace magtune {
namespace {

// A file system whose folders may refuse new files, as an installed
// program's folder does.
class LockedFolders : public test::MemoryFileSystem {
  public:
    std::vector<std::string> locked;
    std::vector<std::string> created;

    bool folderWritable(const std::string& path) override {
        return std::find(locked.begin(), locked.end(), path) == locked.end();
    }
    bool createFolders(const std::string& path, SystemError&) override {
        created.push_back(path);
        return true;
    }
};

TEST(TransferLogTest, LogsGoWhereTheUserMayWrite) {
    struct Case {
        const char* name;
        bool programFolderLocked;
        bool installed;
        std::string stateFolder;
        std::string expected;
    };
    const Case cases[] = {
        {"portable copy", false, false, "/home/u/.local/state/magtune", "/opt/magtune"},
        {"locked", true, false, "/home/u/.local/state/magtune", "/home/u/.local/state/magtune"},
        {"locked, no home", true, false, "", "/opt/magtune"},
        {"installed", true, true, "/home/u/.local/state/magtune", "/home/u/.local/state/magtune"},
        // Root may write /usr/bin; the logs still stay out of the package's files.
        {"installed, run by root", false, true, "/root/.local/state/magtune",
         "/root/.local/state/magtune"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LockedFolders files;
        if (c.programFolderLocked) {
            files.locked.push_back("/opt/magtune");
        }
        EXPECT_EQ(ChooseTransferLogFolder(files, "/opt/magtune", c.stateFolder, c.installed),
                  c.expected);
        const bool usesState = c.expected == c.stateFolder;
        EXPECT_EQ(files.created,
                  usesState ? std::vector<std::string>{c.stateFolder} : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace magtune
