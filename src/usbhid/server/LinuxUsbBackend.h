#pragma once

#include <string>
#include <vector>

#include "usbhid/server/DeviceBackend.h"

namespace magtune {

// The USB buses of a Linux system as sysfs shows them, and the filter driver
// as a kernel driver named "oruusbhf":
//
// - Readers are found under <sysfs>/bus/usb/devices: every root hub "usbN"
//   in bus order, its ports 1..maxchild ("N-p", below a hub "<hub>.p"),
//   hubs (bDeviceClass 09) walked depth first. A device's product string is
//   its "product" file; its driver key is its sysfs name ("1-4.2").
// - A device carries the filter when one of its interfaces ("1-4.2:1.0") is
//   bound to the oruusbhf driver. Adding the filter unbinds the interfaces
//   from their driver and binds them to oruusbhf
//   (<sysfs>/bus/usb/drivers/oruusbhf/bind); removing it unbinds them and
//   hands them back to the usual driver through
//   <sysfs>/bus/usb/drivers_probe. The rebinding restarts the device.
// - The control device is a character device, /dev/oruusbhf unless the
//   environment variable MAGTUNE_USB_FILTER_DEVICE names another path. It is
//   opened for reading and writing and locked exclusively (not shared);
//   each control request is ioctl(fd, code, &byte) with one byte that goes
//   in and comes back out.
class LinuxUsbBackend : public DeviceBackend {
  public:
    static constexpr const char* kDefaultControlDevicePath = "/dev/oruusbhf";
    static constexpr const char* kControlDeviceVariable = "MAGTUNE_USB_FILTER_DEVICE";

    LinuxUsbBackend(std::string sysfsRoot, std::string controlDevicePath);
    // /sys, and the control device path from the environment.
    static LinuxUsbBackend ForThisSystem();

    std::vector<UsbDeviceInfo> enumerateDevices() override;
    FilterChange changeFilter(FilterMode mode, const std::string& driverKey) override;
    std::unique_ptr<ControlDevice> openControlDevice() override;

  private:
    void walkHub(const std::string& hub, const std::string& childPrefix, int depth,
                 std::vector<UsbDeviceInfo>& devices) const;
    std::vector<std::string> interfacesOf(const std::string& device) const;
    std::string boundDriver(const std::string& interface) const;

    std::string devicesFolder_;
    std::string driversFolder_;
    std::string probePath_;
    std::string controlDevicePath_;
};

}  // namespace magtune
