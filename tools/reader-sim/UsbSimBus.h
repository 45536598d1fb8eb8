#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KeyboardReaderSim.h"
#include "usbhid/common/SimUsbWire.h"

namespace magtune::readersim {

// The simulated USB bus that the control server's simulator backend talks
// to: the listed devices with their filter flags, the download channel, and
// the reader behind them. Control codes reach the reader only while the
// programming channel is entered (253, until 254) and only while some
// device carries the filter; all listed devices share the one reader.
class UsbSimBus {
  public:
    // Product names in bus order; their driver keys are "sim-1", "sim-2" ...
    UsbSimBus(const std::vector<std::string>& productNames, KeyboardReaderSim& reader,
              KeyboardReaderSim::LogSink log = {});

    // The reply to one request; what the reader typed meanwhile is appended
    // to `typed`.
    std::vector<std::uint8_t> handle(const usbhid::SimUsbMessage& request, std::string& typed);

    bool filterPresent(std::size_t index) const { return devices_.at(index).filter; }
    bool programming() const { return programming_; }

  private:
    struct Device {
        usbhid::UsbDeviceInfo info;
        bool filter = false;
    };

    std::vector<std::uint8_t> changeFilter(const std::vector<std::uint8_t>& payload);
    std::vector<std::uint8_t> control(const std::vector<std::uint8_t>& payload, std::string& typed);
    bool anyFilter() const;
    void log(const std::string& line) const;

    std::vector<Device> devices_;
    KeyboardReaderSim& reader_;
    KeyboardReaderSim::LogSink log_;
    bool programming_ = false;
};

// The bus as the simulator shows it when no --usb-device is given.
inline constexpr const char* kDefaultUsbReaderName = "Tarvik USB Magnetic Stripe Reader";

}  // namespace magtune::readersim
