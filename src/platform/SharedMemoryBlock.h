#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/SystemError.h"

namespace magtune::platform {

// A block of memory shared between processes through a file in the user's
// private runtime folder (a memory file system where there is one), mapped
// whole for reading and writing, that only the owning user can open. The
// system-wide shm_open namespace is not used: any user may take a name
// there first.
class SharedMemoryBlock {
  public:
    SharedMemoryBlock() = default;
    SharedMemoryBlock(SharedMemoryBlock&& other) noexcept;
    SharedMemoryBlock& operator=(SharedMemoryBlock&& other) noexcept;
    SharedMemoryBlock(const SharedMemoryBlock&) = delete;
    SharedMemoryBlock& operator=(const SharedMemoryBlock&) = delete;
    ~SharedMemoryBlock() { close(); }

    // A new zero-filled block of `size` bytes at `path`, mode 0600; a stale
    // file of the same name is removed first.
    static std::optional<SharedMemoryBlock> createFresh(const std::string& path, std::size_t size,
                                                        SystemError& error);
    // An existing block of at least `size` bytes. A symbolic link, or a file
    // that belongs to another user or that others may open, is refused
    // (EACCES), because whoever else can write it could steer the process
    // that uses it.
    static std::optional<SharedMemoryBlock> open(const std::string& path, std::size_t size,
                                                 SystemError& error);
    static void remove(const std::string& path);

    void* data() const { return data_; }
    std::size_t size() const { return size_; }
    void close();

  private:
    SharedMemoryBlock(void* data, std::size_t size) : data_(data), size_(size) {}
    static std::optional<SharedMemoryBlock> map(int fd, std::size_t size, SystemError& error);

    void* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace magtune::platform
