#pragma once

#include <memory>
#include <string>
#include <vector>

#include "usbhid/server/DeviceBackend.h"

namespace magtune::usbhid {

// The USB buses as Windows publishes them: the host controllers "\\.\HCDn"
// and their hubs asked with the USB requests of the driver kit, the filter
// lists of the devices changed through the Setup API, and the control
// device "\\.\oruusbhf" of the filter driver.
class Win32UsbBackend : public DeviceBackend {
  public:
    std::vector<UsbDeviceInfo> enumerateDevices() override;
    FilterChange changeFilter(FilterMode mode, const std::string& driverKey) override;
    std::unique_ptr<ControlDevice> openControlDevice() override;
};

// The filter driver's service key under the local machine's hive, with the
// values that make the filter load.
inline constexpr const char* kFilterServiceKey = "SYSTEM\\CurrentControlSet\\Services\\oruusbhf";
inline constexpr const char* kFilterControlDevice = "\\\\.\\oruusbhf";

}  // namespace magtune::usbhid
