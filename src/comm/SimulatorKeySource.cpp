#include "comm/SimulatorKeySource.h"

#include <cstdint>

namespace magtune::comm {

std::string SimulatorKeysPath(const std::string& usbSimPath) {
    return usbSimPath + ".keys";
}

std::unique_ptr<SimulatorKeySource> SimulatorKeySource::connect(const std::string& usbSimPath,
                                                                platform::SystemError& error) {
    auto socket = platform::UnixSocket::connectTo(SimulatorKeysPath(usbSimPath), error);
    if (!socket) {
        return nullptr;
    }
    return std::unique_ptr<SimulatorKeySource>(new SimulatorKeySource(std::move(*socket)));
}

std::string SimulatorKeySource::waitForKeys(std::uint32_t timeoutMs) {
    std::string keys;
    if (!socket_.isOpen()) {
        return keys;
    }
    std::uint8_t buffer[1024];
    // Only the first read waits; the rest take what is already there.
    int wait = static_cast<int>(timeoutMs);
    for (;;) {
        const auto got = socket_.readSome(buffer, wait);
        if (got.status == platform::UnixSocket::ReadStatus::Closed) {
            socket_.close();
            return keys;
        }
        if (got.status == platform::UnixSocket::ReadStatus::TimedOut) {
            return keys;
        }
        keys.append(reinterpret_cast<const char*>(buffer), got.count);
        if (got.count < sizeof buffer) {
            return keys;
        }
        wait = 0;
    }
}

}  // namespace magtune::comm
