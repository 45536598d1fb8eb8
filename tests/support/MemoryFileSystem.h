#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace magtune::test {

// Files kept in memory, with switches for the failures of a real disk. A
// failed write leaves the old file in place, as the atomic write does.
class MemoryFileSystem : public platform::FileSystem {
  public:
    std::map<std::string, std::vector<std::uint8_t>> files;
    int failWrites = 0;                        // the error number of every write, 0: none
    std::map<std::string, int> failingWrites;  // path -> the error number of writes to it
    int failReads = 0;                         // the error number of every read, 0: none
    int failMoves = 0;                         // the error number of every move, 0: none
    int writes = 0;                            // atomic writes that succeeded
    int calls = 0;                             // calls of any kind

    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      platform::SystemError& error) override {
        ++calls;
        if (failReads != 0) {
            error = {"ReadFile", failReads};
            return std::nullopt;
        }
        auto it = files.find(path);
        if (it == files.end()) {
            error = {"CreateFile", ENOENT};
            return std::nullopt;
        }
        return it->second;
    }
    bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                             platform::SystemError& error) override {
        ++calls;
        if (failWrites != 0) {
            error = {"WriteFile", failWrites};
            return false;
        }
        // Listed paths fail even with 0: a failure the system gives no text for.
        if (auto failure = failingWrites.find(path); failure != failingWrites.end()) {
            error = {"WriteFile", failure->second};
            return false;
        }
        ++writes;
        files[path].assign(data.begin(), data.end());
        return true;
    }
    bool appendToFile(const std::string& path, std::span<const std::uint8_t> data,
                      platform::SystemError&) override {
        ++calls;
        files[path].insert(files[path].end(), data.begin(), data.end());
        return true;
    }
    bool truncateFile(const std::string& path, platform::SystemError&) override {
        ++calls;
        files[path].clear();
        return true;
    }
    bool fileExists(const std::string& path) override {
        ++calls;
        return files.count(path) != 0;
    }
    bool removeFile(const std::string& path, platform::SystemError& error) override {
        ++calls;
        if (files.erase(path) == 0) {
            error = {"DeleteFile", ENOENT};
            return false;
        }
        return true;
    }
    bool moveFile(const std::string& from, const std::string& to,
                  platform::SystemError& error) override {
        ++calls;
        if (failMoves != 0 || files.count(from) == 0) {
            error = {"MoveFileEx", failMoves != 0 ? failMoves : ENOENT};
            return false;
        }
        files[to] = files[from];
        files.erase(from);
        return true;
    }

    // The file as text; empty when there is none.
    std::string text(const std::string& path) const {
        auto it = files.find(path);
        return it == files.end() ? std::string()
                                 : std::string(it->second.begin(), it->second.end());
    }
    void put(const std::string& path, const std::string& text) {
        files[path].assign(text.begin(), text.end());
    }
};

}  // namespace magtune::test
