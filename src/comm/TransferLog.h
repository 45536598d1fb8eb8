#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace magtune::comm {

// The optional transfer log ("USBLog.txt" in the log folder, see
// TransferLogFolder): what the reader sent, for diagnosing a transfer in the field. A failure to
// write it never disturbs the transfer, so the results are only informative.
class TransferLog {
  public:
    TransferLog(platform::FileSystem& fileSystem, std::string path);

    const std::string& path() const { return path_; }

    // Empties the file (creating it when missing).
    bool clear();
    // One line of each byte as two upper-case hexadecimal digits, no separator.
    bool appendHexLine(std::span<const std::uint8_t> bytes);
    // One line holding the text as it is.
    bool appendLine(std::string_view text);

  private:
    platform::FileSystem& fileSystem_;
    std::string path_;
};

// folder + "/USBLog.txt"
std::string TransferLogPath(const std::string& logFolder);
// folder + "/USBDump.txt"
std::string TransferDumpPath(const std::string& logFolder);

// Where the transfer logs go: the program folder when the user may write
// there (a build tree, a portable copy), else the user's state folder,
// created for its owner. An installed program's folder (/usr/bin) is not
// the user's to write, and a log that silently goes nowhere helps no one;
// nor is it root's: an `installed` program logs to the state folder even
// when its folder is writable, so nothing lands among the package's files.
std::string ChooseTransferLogFolder(platform::FileSystem& files, const std::string& programFolder,
                                    const std::string& stateFolder, bool installed = false);
// The same for the running program and its user.
std::string TransferLogFolder();

// The preferences key that holds the switch of the logs, "USB Log Enable"
// (a 32-bit number, not 0 for on), as the preferences file names it.
inline constexpr const char* kTransferLogSwitchKey =
    "HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings";

// What the user is told about the logs (the options dialog, magtune-cli).
// With the preferences file it also says how a technician turns them on or
// off, as the program itself offers no switch.
std::string TransferLogNotice(bool enabled, const std::string& logFolder,
                              const std::string& preferencesFile = {});

}  // namespace magtune::comm
