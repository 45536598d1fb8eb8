// winsock2.h before windows.h, which would bring the old winsock.
// clang-format off
#include <winsock2.h>
#include <afunix.h>
#include <windows.h>
// clang-format on

#include <chrono>
#include <cstring>
#include <utility>

#include "platform/UnixSocket.h"

namespace magtune::platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Winsock is started once per process and left running until it ends.
bool StartWinsock(SystemError& error) {
    static const int started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0) {
        error = {"WSAStartup", started};
        return false;
    }
    return true;
}

SOCKET Socket(int fd) {
    return static_cast<SOCKET>(static_cast<unsigned>(fd));
}

bool SocketAddress(const std::string& path, sockaddr_un& address, SystemError& error,
                   const char* function) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = {function, WSAENAMETOOLONG};
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool MakeNonBlocking(SOCKET s) {
    u_long on = 1;
    return ::ioctlsocket(s, FIONBIO, &on) == 0;
}

int RemainingMs(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(SOCKET s, short events, int timeoutMs) {
    WSAPOLLFD entry{s, events, 0};
    return ::WSAPoll(&entry, 1, timeoutMs) > 0;
}

}  // namespace

bool UnixSocket::supported() {
    static const bool available = [] {
        SystemError error;
        if (!StartWinsock(error)) {
            return false;
        }
        const SOCKET s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET) {
            return false;
        }
        ::closesocket(s);
        return true;
    }();
    return available;
}

std::optional<UnixSocket> UnixSocket::connectTo(const std::string& path, SystemError& error) {
    sockaddr_un address;
    if (!StartWinsock(error) || !SocketAddress(path, address, error, "connect")) {
        return std::nullopt;
    }
    const SOCKET s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        error = {"socket", ::WSAGetLastError()};
        return std::nullopt;
    }
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = {"connect", ::WSAGetLastError()};
        ::closesocket(s);
        return std::nullopt;
    }
    MakeNonBlocking(s);
    return UnixSocket(static_cast<int>(s));
}

std::optional<UnixSocket> UnixSocket::listenAt(const std::string& path, SystemError& error) {
    sockaddr_un address;
    if (!StartWinsock(error) || !SocketAddress(path, address, error, "bind")) {
        return std::nullopt;
    }
    // A stale socket file is replaced, never another kind of file.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            error = {"bind", WSAEADDRINUSE};
            return std::nullopt;
        }
        ::DeleteFileA(path.c_str());
    }
    const SOCKET s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        error = {"socket", ::WSAGetLastError()};
        return std::nullopt;
    }
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = {"bind", ::WSAGetLastError()};
        ::closesocket(s);
        return std::nullopt;
    }
    if (::listen(s, 8) != 0 || !MakeNonBlocking(s)) {
        error = {"listen", ::WSAGetLastError()};
        ::closesocket(s);
        return std::nullopt;
    }
    return UnixSocket(static_cast<int>(s));
}

std::optional<UnixSocket> UnixSocket::accept() {
    const SOCKET s = ::accept(Socket(fd_), nullptr, nullptr);
    if (s == INVALID_SOCKET) {
        return std::nullopt;
    }
    MakeNonBlocking(s);
    return UnixSocket(static_cast<int>(s));
}

bool UnixSocket::writeAll(std::span<const std::uint8_t> bytes, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const int n = ::send(Socket(fd_), reinterpret_cast<const char*>(bytes.data()),
                             static_cast<int>(bytes.size()), 0);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK &&
            WaitFor(Socket(fd_), POLLWRNORM, RemainingMs(deadline))) {
            continue;
        }
        return false;
    }
    return true;
}

UnixSocket::ReadResult UnixSocket::readSome(std::span<std::uint8_t> buffer, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int n = ::recv(Socket(fd_), reinterpret_cast<char*>(buffer.data()),
                             static_cast<int>(buffer.size()), 0);
        if (n > 0) {
            return {ReadStatus::Data, static_cast<std::size_t>(n)};
        }
        if (n == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK) {
            return {ReadStatus::Closed};
        }
        const int left = RemainingMs(deadline);
        if (left == 0 && timeoutMs > 0) {
            return {ReadStatus::TimedOut};
        }
        if (!WaitFor(Socket(fd_), POLLRDNORM, left)) {
            return {ReadStatus::TimedOut};
        }
    }
}

void UnixSocket::close() {
    if (fd_ >= 0) {
        ::closesocket(Socket(fd_));
        fd_ = -1;
    }
}

}  // namespace magtune::platform
