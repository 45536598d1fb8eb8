#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace magtune::test {

// Files kept in memory. A write to a path in failingWrites fails the way a
// full disk does, leaving the old file in place.
class MemoryFileSystem : public FileSystem {
  public:
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::map<std::string, int> failingWrites;  // path -> errno
    int writes = 0;

    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      SystemError& error) override {
        auto it = files.find(path);
        if (it == files.end()) {
            error = {"CreateFile", ENOENT};
            return std::nullopt;
        }
        return it->second;
    }
    bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                             SystemError& error) override {
        ++writes;
        auto failure = failingWrites.find(path);
        if (failure != failingWrites.end()) {
            error = {"WriteFile", failure->second};
            return false;
        }
        files[path].assign(data.begin(), data.end());
        return true;
    }
    bool appendToFile(const std::string& path, std::span<const std::uint8_t> data,
                      SystemError&) override {
        files[path].insert(files[path].end(), data.begin(), data.end());
        return true;
    }
    bool truncateFile(const std::string& path, SystemError&) override {
        files[path].clear();
        return true;
    }
    bool fileExists(const std::string& path) override { return files.count(path) != 0; }
    bool removeFile(const std::string& path, SystemError& error) override {
        if (files.erase(path) == 0) {
            error = {"DeleteFile", ENOENT};
            return false;
        }
        return true;
    }
};

}  // namespace magtune::test
