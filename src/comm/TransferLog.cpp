#include "comm/TransferLog.h"

#include <utility>
#include <vector>

#include "comm/ProtocolFrames.h"
#include "platform/Paths.h"

namespace magtune::comm {

namespace {
constexpr char kLineEnd[] = "\n";
}

TransferLog::TransferLog(platform::FileSystem& fileSystem, std::string path)
    : fileSystem_(fileSystem), path_(std::move(path)) {}

bool TransferLog::clear() {
    platform::SystemError error;
    return fileSystem_.truncateFile(path_, error);
}

bool TransferLog::appendHexLine(std::span<const std::uint8_t> bytes) {
    std::string line;
    line.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        line += HexDigitChar(b >> 4);
        line += HexDigitChar(b & 0x0F);
    }
    return appendLine(line);
}

bool TransferLog::appendLine(std::string_view text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.insert(data.end(), std::begin(kLineEnd), std::end(kLineEnd) - 1);
    platform::SystemError error;
    return fileSystem_.appendToFile(path_, data, error);
}

std::string TransferLogPath(const std::string& logFolder) {
    return logFolder + "/USBLog.txt";
}

std::string TransferDumpPath(const std::string& logFolder) {
    return logFolder + "/USBDump.txt";
}

std::string ChooseTransferLogFolder(platform::FileSystem& files, const std::string& programFolder,
                                    const std::string& stateFolder, bool installed) {
    if ((!installed && files.folderWritable(programFolder)) || stateFolder.empty()) {
        return programFolder;
    }
    // A failure shows up when the log is written; the transfer goes on.
    platform::SystemError ignored;
    files.createFolders(stateFolder, ignored);
    return stateFolder;
}

std::string TransferLogFolder() {
    return ChooseTransferLogFolder(platform::RealFileSystem(), platform::ProgramFolder(),
                                   platform::UserStateFolder(), platform::ProgramIsInstalled());
}

std::string TransferLogNotice(bool enabled, const std::string& logFolder,
                              const std::string& preferencesFile) {
    const std::string files = TransferLogPath(logFolder) + " and " + TransferDumpPath(logFolder);
    if (preferencesFile.empty()) {
        return enabled ? "Transfer logs are written to " + files + "."
                       : "Transfer logs are off; with \"USB Log Enable\" set in the preferences "
                         "they are written to " +
                             files + ".";
    }
    // The program writes its preferences when it ends: an edit made while
    // it runs would be overwritten.
    const std::string where = " under [" + std::string(kTransferLogSwitchKey) + "] in " +
                              preferencesFile + " and start Magtune again.";
    return enabled
               ? "Transfer logs are written to " + files +
                     ". To turn them off, close Magtune, set \"USB Log Enable\"=dword:00000000" +
                     where
               : "Transfer logs are off. To have them written to " + files +
                     ", close Magtune, set \"USB Log Enable\"=dword:00000001" + where;
}

}  // namespace magtune::comm
