#include "platform/SharedMemoryBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace magtune::platform {

SharedMemoryBlock::SharedMemoryBlock(SharedMemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

SharedMemoryBlock& SharedMemoryBlock::operator=(SharedMemoryBlock&& other) noexcept {
    if (this != &other) {
        close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::optional<SharedMemoryBlock> SharedMemoryBlock::createFresh(const std::string& path,
                                                                std::size_t size,
                                                                SystemError& error) {
    ::unlink(path.c_str());
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        error = {"open", errno};
        return std::nullopt;
    }
    // Whatever the umask left, the block is the owner's alone.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        error = {"ftruncate", errno};
        ::close(fd);
        ::unlink(path.c_str());
        return std::nullopt;
    }
    auto block = map(fd, size, error);
    if (!block) {
        ::unlink(path.c_str());
    }
    return block;
}

std::optional<SharedMemoryBlock> SharedMemoryBlock::open(const std::string& path, std::size_t size,
                                                         SystemError& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = {"open", errno == ELOOP ? EACCES : errno};
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = {"fstat", errno};
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        error = {"open", EACCES};
        ::close(fd);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(info.st_size) < size) {
        error = {"open", EINVAL};
        ::close(fd);
        return std::nullopt;
    }
    return map(fd, size, error);
}

std::optional<SharedMemoryBlock> SharedMemoryBlock::map(int fd, std::size_t size,
                                                        SystemError& error) {
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    const int mapError = errno;
    ::close(fd);  // the mapping keeps the object
    if (data == MAP_FAILED) {
        error = {"mmap", mapError};
        return std::nullopt;
    }
    return SharedMemoryBlock(data, size);
}

void SharedMemoryBlock::remove(const std::string& path) {
    ::unlink(path.c_str());
}

void SharedMemoryBlock::close() {
    if (data_ != nullptr) {
        ::munmap(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
}

}  // namespace magtune::platform
