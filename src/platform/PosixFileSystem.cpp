#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace magtune {
namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class PosixFileSystem : public FileSystem {
  public:
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      SystemError& error) override {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error = {"CreateFile", errno};
            return std::nullopt;
        }
        std::vector<std::uint8_t> data;
        std::uint8_t buffer[4096];
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = {"ReadFile", errno};
                ::close(fd);
                return std::nullopt;
            }
            if (n == 0) {
                break;
            }
            data.insert(data.end(), buffer, buffer + n);
        }
        ::close(fd);
        return data;
    }

    bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                             SystemError& error) override {
        std::string folder = ParentFolder(path);
        std::string name = path.substr(path.find_last_of('/') + 1);
        std::string pattern = folder + "/." + name + ".XXXXXX";
        std::vector<char> temp(pattern.begin(), pattern.end());
        temp.push_back('\0');
        int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            error = {"CreateFile", errno};
            return false;
        }
        // Keep the permissions of the file being replaced; new files get the
        // usual ones for documents.
        struct stat old {};
        mode_t mode = 0666;
        if (::stat(path.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode &= ~mask;
        }
        ::fchmod(fd, mode);
        auto fail = [&](const char* function) {
            int code = errno;
            ::close(fd);
            ::unlink(temp.data());
            error = {function, code};
            return false;
        };
        if (!WriteAll(fd, data)) {
            return fail("WriteFile");
        }
        if (::fsync(fd) != 0) {
            return fail("FlushFileBuffers");
        }
        if (::close(fd) != 0) {
            int code = errno;
            ::unlink(temp.data());
            error = {"CloseHandle", code};
            return false;
        }
        if (::rename(temp.data(), path.c_str()) != 0) {
            int code = errno;
            ::unlink(temp.data());
            error = {"MoveFileEx", code};
            return false;
        }
        // Make the rename itself durable.
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }

    bool appendToFile(const std::string& path, std::span<const std::uint8_t> data,
                      SystemError& error) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = {"CreateFile", errno};
            return false;
        }
        bool ok = WriteAll(fd, data);
        int code = errno;
        ::close(fd);
        if (!ok) {
            error = {"WriteFile", code};
        }
        return ok;
    }

    bool truncateFile(const std::string& path, SystemError& error) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = {"CreateFile", errno};
            return false;
        }
        ::close(fd);
        return true;
    }

    bool fileExists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }

    bool removeFile(const std::string& path, SystemError& error) override {
        if (::unlink(path.c_str()) != 0) {
            error = {"DeleteFile", errno};
            return false;
        }
        return true;
    }

    bool moveFile(const std::string& from, const std::string& to, SystemError& error) override {
        if (::rename(from.c_str(), to.c_str()) != 0) {
            error = {"MoveFileEx", errno};
            return false;
        }
        return true;
    }

    bool createFolders(const std::string& path, SystemError& error) override {
        int code = 0;
        if (!MakeFolders(path, code)) {
            error = {"CreateDirectory", code};
            return false;
        }
        return true;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace magtune
