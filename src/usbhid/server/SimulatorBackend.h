#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/UnixSocket.h"
#include "usbhid/common/SimUsbWire.h"
#include "usbhid/server/DeviceBackend.h"

namespace magtune::usbhid {

// The simulated USB bus of magtune-reader-sim, reached through the local
// socket that MAGTUNE_USB_SIM names. The connection is made on first use
// and made again after it broke; a bus that does not answer within
// kReplyTimeoutMs looks like a bus without readers.
class SimulatorBackend : public DeviceBackend {
  public:
    static constexpr int kReplyTimeoutMs = 2000;

    explicit SimulatorBackend(std::string socketPath);

    std::vector<UsbDeviceInfo> enumerateDevices() override;
    FilterChange changeFilter(FilterMode mode, const std::string& driverKey) override;
    std::unique_ptr<ControlDevice> openControlDevice() override;

    // One request and its reply; nullopt when the bus cannot be reached.
    std::optional<SimUsbMessage> exchange(SimUsbOp op, std::span<const std::uint8_t> payload);

  private:
    std::string socketPath_;
    platform::UnixSocket socket_;
};

}  // namespace magtune::usbhid
