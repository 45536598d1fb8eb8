#pragma once

#include <memory>
#include <string>
#include <vector>

#include "usbhid/common/UsbDevice.h"
#include "usbhid/server/ControlDevice.h"

namespace magtune::usbhid {

// What a filter list change came to: the result the request answers and,
// when the system refused the change, its error number for the user.
struct FilterChange {
    int result = 0;
    int errorCode = 0;
};

// The system side of the server: the USB buses, the filter lists of the
// devices and the filter driver's control device.
class DeviceBackend {
  public:
    virtual ~DeviceBackend() = default;

    // Every device on the buses that is not a hub and has a product string,
    // in bus order with hubs walked depth first.
    virtual std::vector<UsbDeviceInfo> enumerateDevices() = 0;
    // Queries, adds or removes the filter in the filter list of the device
    // named by its driver key, restarting the device after a change. Query
    // answers 1 when the filter is there; an unknown device answers 0.
    virtual FilterChange changeFilter(FilterMode mode, const std::string& driverKey) = 0;
    // nullptr when the control device cannot be opened (no reader carries
    // the filter, or the driver is missing).
    virtual std::unique_ptr<ControlDevice> openControlDevice() = 0;
};

}  // namespace magtune::usbhid
