#include "platform/UnixSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace magtune::platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

bool SocketAddress(const std::string& path, sockaddr_un& address, SystemError& error,
                   const char* function) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = {function, ENAMETOOLONG};
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int RemainingMs(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on fd; false when the time ran out or poll failed.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int n = ::poll(&entry, 1, timeoutMs);
        if (n > 0) {
            return true;
        }
        if (n == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

bool UnixSocket::supported() {
    return true;
}

std::optional<UnixSocket> UnixSocket::connectTo(const std::string& path, SystemError& error) {
    sockaddr_un address;
    if (!SocketAddress(path, address, error, "connect")) {
        return std::nullopt;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = {"socket", errno};
        return std::nullopt;
    }
    int result = 0;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        error = {"connect", errno};
        ::close(fd);
        return std::nullopt;
    }
    return UnixSocket(fd);
}

std::optional<UnixSocket> UnixSocket::listenAt(const std::string& path, SystemError& error) {
    sockaddr_un address;
    if (!SocketAddress(path, address, error, "bind")) {
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = {"bind", EEXIST};
            return std::nullopt;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = {"socket", errno};
        return std::nullopt;
    }
    // Owner-only from the start: the socket file takes the umask at bind.
    const mode_t oldMask = ::umask(S_IRWXG | S_IRWXO);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    ::umask(oldMask);
    if (bound != 0) {
        error = {"bind", bindError};
        ::close(fd);
        return std::nullopt;
    }
    if (::listen(fd, 8) != 0) {
        error = {"listen", errno};
        ::close(fd);
        return std::nullopt;
    }
    return UnixSocket(fd);
}

std::optional<UnixSocket> UnixSocket::accept() {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    return UnixSocket(fd);
}

bool UnixSocket::writeAll(std::span<const std::uint8_t> bytes, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitFor(fd_, POLLOUT, RemainingMs(deadline))) {
            continue;
        }
        return false;
    }
    return true;
}

UnixSocket::ReadResult UnixSocket::readSome(std::span<std::uint8_t> buffer, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n > 0) {
            return {ReadStatus::Data, static_cast<std::size_t>(n)};
        }
        if (n == 0) {
            return {ReadStatus::Closed};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return {ReadStatus::Closed};
        }
        const int left = RemainingMs(deadline);
        if (left == 0 && timeoutMs > 0) {
            return {ReadStatus::TimedOut};
        }
        if (!WaitFor(fd_, POLLIN, left)) {
            return {ReadStatus::TimedOut};
        }
    }
}

void UnixSocket::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace magtune::platform
