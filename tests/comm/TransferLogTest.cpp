#include "comm/TransferLog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/MemoryFileSystem.h"

namespace magtune::comm {
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
    bool createFolders(const std::string& path, platform::SystemError&) override {
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

TEST(TransferLogTest, NoticeSaysHowATechnicianSwitchesTheLogs) {
    const std::string files = "/s/USBLog.txt and /s/USBDump.txt";
    const std::string where =
        " under [HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings] in "
        "/home/u/.config/magtune/registry.reg and start Magtune again.";
    struct Case {
        bool enabled;
        std::string preferencesFile;
        std::string notice;
    };
    const Case cases[] = {
        {false, "/home/u/.config/magtune/registry.reg",
         "Transfer logs are off. To have them written to " + files +
             ", close Magtune, set \"USB Log Enable\"=dword:00000001" + where},
        {true, "/home/u/.config/magtune/registry.reg",
         "Transfer logs are written to " + files +
             ". To turn them off, close Magtune, set \"USB Log Enable\"=dword:00000000" + where},
        {true, "", "Transfer logs are written to " + files + "."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TransferLogNotice(c.enabled, "/s", c.preferencesFile), c.notice);
    }
}

}  // namespace
}  // namespace magtune::comm
