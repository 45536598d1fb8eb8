#include "platform/UnixSocket.h"

#include <algorithm>
#include <chrono>
#include <utility>

// What the socket does alike on every system, over the system's own calls.
namespace magtune::platform {

UnixSocket::UnixSocket(UnixSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UnixSocket& UnixSocket::operator=(UnixSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool UnixSocket::readExact(std::span<std::uint8_t> buffer, int timeoutMs) {
    using SteadyClock = std::chrono::steady_clock;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!buffer.empty()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        const ReadResult got = readSome(buffer, std::max(0, static_cast<int>(left.count())));
        if (got.status != ReadStatus::Data) {
            return false;
        }
        buffer = buffer.subspan(got.count);
    }
    return true;
}

}  // namespace magtune::platform
