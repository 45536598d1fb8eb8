#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "comm/TransferView.h"
#include "common/Prompter.h"
#include "settings/ConfigurationImage.h"

namespace magtune {

// One reader that a provisioning run is to set up: a serial port (by COM
// index or device path) or a USB reader of the control library's list.
struct ProvisionTarget {
    std::string port;             // "COM3", "/dev/ttyUSB0", "USB 2": how it is shown
    std::optional<int> comIndex;  // 0-based, for a COM port
    std::string device;           // a device path given as it is
    std::size_t usbNumber = 0;    // 1-based, as the reader list counts (0: serial)

    bool usb() const { return usbNumber != 0; }
};

// One reader's transfers, as the single-reader commands run them: messages
// go to the prompter it was made with, status texts to the view.
class ProvisionReader {
  public:
    virtual ~ProvisionReader() = default;

    // Opens the port or chooses the reader; false after telling the prompter.
    virtual bool open() = 0;
    virtual bool download(const ConfigurationImage& image, TransferView& view) = 0;
    // Fills `image` only from a whole checked reply.
    virtual bool upload(ConfigurationImage& image, TransferView& view) = 0;
    // Ends the reader's use (the port closed, the reader left as it was).
    virtual void close() = 0;

    // The device behind the target, once open.
    virtual std::string devicePath() const = 0;
    // The rate at which a serial reader answered (0 when none, or on USB).
    virtual std::uint32_t baudRate() const { return 0; }
};

using ProvisionReaderFactory =
    std::function<std::unique_ptr<ProvisionReader>(const ProvisionTarget&, Prompter&)>;

}  // namespace magtune
