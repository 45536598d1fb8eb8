#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace magtune::platform {

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), locked_(std::exchange(other.locked_, false)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        locked_ = std::exchange(other.locked_, false);
    }
    return *this;
}

std::optional<FileLock> FileLock::open(const std::string& path, SystemError& error) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        error = {"open", errno == ELOOP ? EACCES : errno};
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        error = {"open", EACCES};
        ::close(fd);
        return std::nullopt;
    }
    return FileLock(fd);
}

bool FileLock::tryLock() {
    if (fd_ < 0) {
        return false;
    }
    if (locked_) {
        return true;
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    locked_ = result == 0;
    return locked_;
}

void FileLock::unlock() {
    if (locked_) {
        ::flock(fd_, LOCK_UN);
        locked_ = false;
    }
}

bool FileLock::heldElsewhere() {
    if (locked_) {
        return false;
    }
    if (!tryLock()) {
        return true;
    }
    unlock();
    return false;
}

void FileLock::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        locked_ = false;
    }
}

}  // namespace magtune::platform
