#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/SystemError.h"

namespace magtune::platform {

// File access of the program, behind an interface so that tests can inject
// the failures (a full disk, a folder without write access) that are hard to
// cause for real.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The whole file; nullopt with the error when it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                              SystemError& error) = 0;

    // Writes a temporary file in the target's folder, flushes it to disk and
    // renames it over the target, so the target is either the old file or
    // the whole new one. On failure the target is untouched and the
    // temporary file removed. A symbolic link keeps pointing to the file it
    // names, which is the one replaced; a file without write permission is
    // refused. A writable file in a folder that is not is rewritten in
    // place and read back, its old bytes restored when that fails.
    virtual bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                                     SystemError& error) = 0;

    // Appends to a file, creating it when missing (transfer logs). Neither
    // this nor truncateFile follows a symbolic link in the last component, so
    // a planted link cannot redirect a log.
    virtual bool appendToFile(const std::string& path, std::span<const std::uint8_t> data,
                              SystemError& error) = 0;

    // Empties a file, creating it when missing.
    virtual bool truncateFile(const std::string& path, SystemError& error) = 0;

    virtual bool fileExists(const std::string& path) = 0;
    virtual bool removeFile(const std::string& path, SystemError& error) = 0;

    // Renames a file, replacing the target. The default copies and removes,
    // so that file systems written before this call keep working.
    virtual bool moveFile(const std::string& from, const std::string& to, SystemError& error) {
        auto data = readFile(from, error);
        return data && writeFileAtomically(to, *data, error) && removeFile(from, error);
    }

    // Whether the user may create files in the folder. The default says yes:
    // a file system without permissions has nothing to refuse.
    virtual bool folderWritable(const std::string& /*path*/) { return true; }

    // Creates a folder and its missing parents, for the owner only. The
    // default does nothing: a file system without folders has nothing to do.
    virtual bool createFolders(const std::string& /*path*/, SystemError& /*error*/) { return true; }
};

// The real file system of this machine.
FileSystem& RealFileSystem();

}  // namespace magtune::platform
