#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace magtune {

// The optional transfer log ("USBLog.txt" in the program folder): what the
// reader sent, for diagnosing a transfer in the field. A failure to write it
// never disturbs the transfer, so the results are only informative.
class TransferLog {
  public:
    TransferLog(FileSystem& fileSystem, std::string path);

    const std::string& path() const { return path_; }

    // Empties the file (creating it when missing).
    bool clear();
    // One line of each byte as two upper-case hexadecimal digits, no separator.
    bool appendHexLine(std::span<const std::uint8_t> bytes);
    // One line holding the text as it is.
    bool appendLine(std::string_view text);

  private:
    FileSystem& fileSystem_;
    std::string path_;
};

// folder + "/USBLog.txt"
std::string TransferLogPath(const std::string& programFolder);
// folder + "/USBDump.txt"
std::string TransferDumpPath(const std::string& programFolder);

}  // namespace magtune
