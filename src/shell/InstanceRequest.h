#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace magtune::shell {

// What a second start of the desktop program hands to the instance that
// runs, over the user's private local socket: the setting file to open, or
// none to bring the running window to the front. The request is the line
// "MAGTUNE OPEN", then the file's absolute path (empty for none) ended by a
// NUL byte, since a path may hold any other byte; the running instance
// answers one receipt byte once it has the whole request.
inline constexpr const char* kInstanceRequestHeader = "MAGTUNE OPEN\n";
inline constexpr std::uint8_t kInstanceRequestTaken = 0x06;
// A path of the system's longest (4096 bytes) with room to spare.
inline constexpr std::size_t kInstanceRequestMaxSize = 8192;

std::vector<std::uint8_t> EncodeInstanceRequest(const std::string& absoluteFile);

// Collects a request as its bytes arrive.
class InstanceRequestReader {
  public:
    enum class Status { Incomplete, Complete, Invalid };

    // Takes the next bytes; once Complete or Invalid, further bytes make it
    // Invalid (a request is one path, nothing after it).
    Status feed(std::span<const std::uint8_t> bytes);
    Status status() const { return status_; }
    // The file asked for, empty for none; meaningful once Complete.
    const std::string& file() const { return file_; }

  private:
    std::string received_;
    std::string file_;
    Status status_ = Status::Incomplete;
};

// The setting file named on the command line (the arguments after the
// program's name): the first argument that is not an option, passing over
// the toolkit's options and the values they take ("-platform offscreen").
// "--" ends the options.
std::optional<std::string> SettingFileArgument(const std::vector<std::string>& arguments);

// `path` made absolute against `workingFolder` (itself absolute), with "."
// and ".." steps and doubled slashes taken out as the toolkit does.
std::string AbsoluteFilePath(const std::string& path, const std::string& workingFolder);

// Hands `file` (absolute, empty for none) to the instance that listens at
// `socketPath` and waits for its receipt, for at most `timeoutMs` in all.
// The connection is tried again meanwhile, since the running instance may be
// starting. False, with what went wrong, when it was not taken.
bool HandOverToRunningInstance(const std::string& socketPath, const std::string& file,
                               int timeoutMs, std::string& problem);

}  // namespace magtune::shell
