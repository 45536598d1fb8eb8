#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/Cli.h"
#include "support/ChildProcess.h"

namespace magtune::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliResult Cli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.status = cli::RunCli(args, out, err, app::ReadRuntimeConfig());
    result.out = out.str();
    result.err = err.str();
    return result;
}

// What the transfers tell when they fail.
inline constexpr const char* kDownloadFailed =
    "Download failed. Please check your device and connection.";
inline constexpr const char* kUploadFailed =
    "Upload failed. Please check your device and connection.";
inline constexpr const char* kDataError = "Data or checksum error. Retry?";

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A program run as a child to its end: the status is empty when it did not
// end within the limit.
struct ProgramRun {
    std::optional<int> status;
    std::string out;
    std::string err;
};

// Runs argv (argv[0] the program's path) with `env` added to this process's
// environment.
inline ProgramRun RunProgram(const std::vector<std::string>& argv,
                             const std::vector<std::pair<std::string, std::string>>& env,
                             std::chrono::milliseconds limit) {
    ChildProcess process(argv, env);
    ProgramRun run;
    run.status = process.waitForExit(limit);
    run.out = process.out();
    run.err = process.err();
    return run;
}

// A fresh folder for one test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "magtune-cli-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace magtune::test
