#pragma once

#include <memory>
#include <string>

#include "comm/KeySource.h"
#include "platform/SystemError.h"
#include "platform/UnixSocket.h"

namespace magtune::comm {

// The keys that magtune-reader-sim types as a USB reader: a local socket
// beside the simulated bus's socket on which every typed character arrives
// as one byte. Characters typed while no source is connected are lost, as
// keys typed into no window are.
class SimulatorKeySource : public KeySource {
  public:
    // Connects to the key channel of the simulated bus at `usbSimPath` (the
    // value of MAGTUNE_USB_SIM); nullptr with the error when nobody listens.
    static std::unique_ptr<SimulatorKeySource> connect(const std::string& usbSimPath,
                                                       platform::SystemError& error);

    std::string waitForKeys(std::uint32_t timeoutMs) override;
    // The simulator went away.
    bool closed() const { return !socket_.isOpen(); }

  private:
    explicit SimulatorKeySource(platform::UnixSocket socket) : socket_(std::move(socket)) {}

    platform::UnixSocket socket_;
};

// The key channel's socket: the bus socket's path followed by ".keys".
std::string SimulatorKeysPath(const std::string& usbSimPath);

}  // namespace magtune::comm
