#include "wedge/SimulatorBackend.h"

#include <cerrno>
#include <cstdlib>

#include "platform/UnixSocket.h"

namespace magtune::wedge {

namespace {

// How long a send waits for a simulator that stopped reading.
constexpr int kSendTimeoutMs = 5000;

class SimulatorDriver : public WedgeDriver {
  public:
    explicit SimulatorDriver(platform::UnixSocket socket) : socket_(std::move(socket)) {}

    // The simulated port does not pace: the delay is a real keyboard
    // controller's concern.
    bool send(std::uint32_t /*delay*/, std::span<const std::uint8_t> data, int& error) override {
        errno = 0;
        if (!socket_.writeAll(data, kSendTimeoutMs)) {
            error = errno == 0 || errno == EAGAIN ? ETIMEDOUT : errno;
            return false;
        }
        return true;
    }

    bool version(std::array<std::uint32_t, 3>& words, int& /*error*/) override {
        words = {1, 0, 0};
        return true;
    }

    void takeTypedKeys(std::vector<TypedKey>& keys) override {
        keys.clear();
        std::array<std::uint8_t, 512> buffer{};
        for (;;) {
            const platform::UnixSocket::ReadResult got = socket_.readSome(buffer, 0);
            if (got.status != platform::UnixSocket::ReadStatus::Data) {
                return;
            }
            for (std::size_t i = 0; i < got.count; ++i) {
                const auto scanCode = static_cast<std::uint8_t>(buffer[i] & ~kScanCodeBreakBit);
                keys.push_back({{VirtualKeyForScanCode(scanCode), scanCode},
                                (buffer[i] & kScanCodeBreakBit) == 0});
            }
        }
    }

  private:
    platform::UnixSocket socket_;
};

}  // namespace

std::string SimulatorBackend::SocketPathFromEnvironment() {
    const char* path = std::getenv("ZEBAPI_SIM_SOCKET");
    return path != nullptr ? path : "";
}

SimulatorBackend::SimulatorBackend(std::string socketPath) : socketPath_(std::move(socketPath)) {}

std::unique_ptr<WedgeDriver> SimulatorBackend::open(OsFamily /*family*/, int& error) {
    platform::SystemError failure;
    std::optional<platform::UnixSocket> socket =
        platform::UnixSocket::connectTo(socketPath_, failure);
    if (!socket) {
        error = failure.code;
        return nullptr;
    }
    return std::make_unique<SimulatorDriver>(std::move(*socket));
}

}  // namespace magtune::wedge
