#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace magtune::platform {
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

// The file a path finally names: symbolic links are followed (relative ones
// from the link's own folder) up to the system's usual limit; a link that
// points nowhere names the file it would create.
std::string LinkTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            break;
        }
        std::vector<char> buffer(PATH_MAX);
        ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            break;
        }
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        if (next.front() != '/') {
            next = ParentFolder(current) + "/" + next;
        }
        current = next;
    }
    return current;
}

bool ReadAll(int fd, std::vector<std::uint8_t>& data) {
    data.clear();
    std::uint8_t buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        data.insert(data.end(), buffer, buffer + n);
    }
}

bool Replace(int fd, std::span<const std::uint8_t> data) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, data) &&
           ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 && ::fsync(fd) == 0;
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
        if (!ReadAll(fd, data)) {
            error = {"ReadFile", errno};
            ::close(fd);
            return std::nullopt;
        }
        ::close(fd);
        return data;
    }

    bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                             SystemError& error) override {
        if (path.empty()) {
            error = {"CreateFile", ENOENT};
            return false;
        }
        // A link stays a link: the new bytes replace the file it points to.
        std::string target = LinkTarget(path);
        struct stat old {};
        bool exists = ::stat(target.c_str(), &old) == 0;
        // A file without write permission is refused, as the system refuses
        // a read-only file, even for an administrator.
        if (exists && S_ISREG(old.st_mode)) {
            int code = (old.st_mode & 0222) == 0             ? EACCES
                       : ::access(target.c_str(), W_OK) != 0 ? errno
                                                             : 0;
            if (code != 0) {
                error = {"CreateFile", code};
                return false;
            }
        }
        std::string folder = ParentFolder(target);
        std::string name = target.substr(target.find_last_of('/') + 1);
        std::string pattern = folder + "/." + name + ".XXXXXX";
        std::vector<char> temp(pattern.begin(), pattern.end());
        temp.push_back('\0');
        int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            int code = errno;
            // A writable file in a folder that is not: no temporary file can
            // sit beside it, so it is rewritten in place, with its old bytes
            // kept until the new ones are verified.
            if (exists && S_ISREG(old.st_mode) && (code == EACCES || code == EPERM)) {
                return rewriteInPlace(target, data, error);
            }
            error = {"CreateFile", code};
            return false;
        }
        // Keep the permissions of the file being replaced; new files get the
        // usual ones for documents.
        mode_t mode = 0666;
        if (exists) {
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
        if (::rename(temp.data(), target.c_str()) != 0) {
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
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666);
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
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
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

    bool folderWritable(const std::string& path) override {
        return ::access(path.c_str(), W_OK | X_OK) == 0;
    }

    bool createFolders(const std::string& path, SystemError& error) override {
        int code = 0;
        if (!MakeFolders(path, code)) {
            error = {"CreateDirectory", code};
            return false;
        }
        return true;
    }

  private:
    // Writes over the file itself, reads the result back, and puts the old
    // bytes back when anything went wrong.
    static bool rewriteInPlace(const std::string& target, std::span<const std::uint8_t> data,
                               SystemError& error) {
        int fd = ::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            error = {"CreateFile", errno};
            return false;
        }
        std::vector<std::uint8_t> oldBytes;
        if (!ReadAll(fd, oldBytes)) {
            error = {"ReadFile", errno};
            ::close(fd);
            return false;
        }
        std::vector<std::uint8_t> written;
        bool ok = Replace(fd, data);
        int code = errno;
        const char* function = "WriteFile";
        if (ok) {
            ok = ::lseek(fd, 0, SEEK_SET) == 0 && ReadAll(fd, written) &&
                 std::equal(written.begin(), written.end(), data.begin(), data.end());
            code = ok ? 0 : (errno != 0 ? errno : EIO);
            function = "ReadFile";
        }
        if (!ok) {
            Replace(fd, oldBytes);
            ::close(fd);
            error = {function, code};
            return false;
        }
        if (::close(fd) != 0) {
            error = {"CloseHandle", errno};
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

}  // namespace magtune::platform
