#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ReaderTransport.h"
#include "comm/TransferView.h"
#include "common/Prompter.h"

namespace magtune::app {

// One reader that a provisioning run is to set up: a serial port (by COM
// index or device path) or a USB reader of the control library's list.
struct ProvisionTarget {
    std::string port;             // "COM3", "/dev/ttyUSB0", "USB 2": how it is shown
    std::optional<int> comIndex;  // 0-based, for a COM port
    std::string device;           // a device path given as it is
    std::size_t usbNumber = 0;    // 1-based, as the reader list counts (0: serial)

    bool usb() const { return usbNumber != 0; }
};

// One reader of a provisioning run: the transport that the single transfers
// use, with what the reader's row shows beside it. Its messages go to the
// prompter it was made with, its status texts to the view.
class ProvisionReader : public ReaderTransport {
  public:
    // The device behind the target (known once the port is open).
    virtual std::string devicePath() const = 0;
    // The rate at which a serial reader answered (0 when none, or on USB).
    virtual std::uint32_t baudRate() const { return 0; }
    // Whether the last transfer gave up because the run was stopped, while it
    // was still waiting for the reader's answer: nothing was written to the
    // reader then.
    virtual bool gaveUpForStop() const { return false; }

    // Set by the run before the first transfer; true once the run is
    // stopped. A reader that is still looking for its reader's answer gives
    // up at once; one that has begun to send finishes.
    std::function<bool()> stopRequested;
};

using ProvisionReaderFactory = std::function<std::unique_ptr<ProvisionReader>(
    const ProvisionTarget&, common::Prompter&, comm::TransferView&)>;

}  // namespace magtune::app
