#pragma once

#include <string>
#include <vector>

#include "KeyboardReaderSim.h"
#include "SimOptions.h"
#include "SimSocketServer.h"
#include "UsbSimBus.h"
#include "platform/UnixSocket.h"

namespace magtune::readersim {

// The simulator as a USB reader: serves the simulated bus to the control
// server on the socket given with --usb and types the reader's answers on
// the key channel beside it, until a signal, a hang-up or the last transfer
// asked for.
class UsbSimLoop {
  public:
    UsbSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader, UsbSimBus& bus,
               KeyboardReaderSim::LogSink log);
    UsbSimLoop(const UsbSimLoop&) = delete;
    UsbSimLoop& operator=(const UsbSimLoop&) = delete;
    ~UsbSimLoop() = default;

    // Listens and prints the bus socket's path on standard output; false
    // with a message.
    bool listen(std::string& error);
    // Returns the exit status.
    int run();

  private:
    struct DeviceClient {
        platform::UnixSocket socket;
        std::vector<std::uint8_t> received;
    };

    void acceptAll();
    bool serve(DeviceClient& client);
    void typeKeys(const std::string& typed);

    const SimOptions& options_;
    KeyboardReaderSim& reader_;
    UsbSimBus& bus_;
    SimSocketServer server_;
    std::string keysPath_;
    platform::UnixSocket busListener_;
    platform::UnixSocket keysListener_;
    std::vector<DeviceClient> devices_;
    std::vector<platform::UnixSocket> keyboards_;
};

// The whole USB reader: the keyboard-dialect reader with the faults asked
// for, the bus of the --usb-device names, and the loop. The exit status.
int RunUsbReader(const SimOptions& options, const settings::ConfigurationImage& image, int signalFd,
                 KeyboardReaderSim::LogSink log);

}  // namespace magtune::readersim
