#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/SystemError.h"

namespace magtune::platform {

// A local stream socket (AF_UNIX), connected or listening.
class UnixSocket {
  public:
    UnixSocket() = default;
    UnixSocket(UnixSocket&& other) noexcept;
    UnixSocket& operator=(UnixSocket&& other) noexcept;
    UnixSocket(const UnixSocket&) = delete;
    UnixSocket& operator=(const UnixSocket&) = delete;
    ~UnixSocket() { close(); }

    // Whether this system has local sockets at all (Windows 10 has; wine
    // before 9 has not).
    static bool supported();

    static std::optional<UnixSocket> connectTo(const std::string& path, SystemError& error);
    // Listens at `path` (owner-only), replacing a stale socket there but
    // never another kind of file. The socket is non-blocking.
    static std::optional<UnixSocket> listenAt(const std::string& path, SystemError& error);
    // A waiting connection (non-blocking), if any.
    std::optional<UnixSocket> accept();

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    // Writes every byte, waiting up to timeoutMs in all; false when the peer
    // is gone or the time ran out.
    bool writeAll(std::span<const std::uint8_t> bytes, int timeoutMs);

    // What a read got: some bytes, nothing within the time, or the end.
    enum class ReadStatus { Data, TimedOut, Closed };
    struct ReadResult {
        ReadStatus status;
        std::size_t count = 0;
    };
    // Reads what is there, waiting up to timeoutMs for the first byte.
    ReadResult readSome(std::span<std::uint8_t> buffer, int timeoutMs);
    // Reads exactly buffer.size() bytes within timeoutMs in all.
    bool readExact(std::span<std::uint8_t> buffer, int timeoutMs);

    void close();

  private:
    explicit UnixSocket(int fd) : fd_(fd) {}

    int fd_ = -1;
};

}  // namespace magtune::platform
