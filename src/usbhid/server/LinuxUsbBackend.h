#pragma once

#include <string>
#include <vector>

#include "usbhid/server/DeviceBackend.h"

namespace magtune::usbhid {

// The USB buses of a Linux system as sysfs shows them, and the filter as the
// reader's hidraw node:
//
// - Readers are found under <sysfs>/bus/usb/devices: every root hub "usbN"
//   in bus order, its ports 1..maxchild ("N-p", below a hub "<hub>.p"),
//   hubs (bDeviceClass 09) walked depth first. A device's product string is
//   its "product" file; its driver key is its sysfs name ("1-4.2").
// - The reader stays bound to its keyboard driver throughout, so it keeps
//   typing its answers. Its hidraw node is the one whose
//   <sysfs>/class/hidraw/hidrawN/device lies below one of the reader's
//   interfaces ("1-4.2:1.0"; the first interface in order when several
//   have a node); the node itself is <dev>/hidrawN.
// - Adding the filter opens that node for reading and writing and locks it
//   (not shared); removing it closes the node; the query tells whether this
//   backend holds the reader's node open. Holding it needs no root: the udev
//   rule 70-magtune-hidraw.rules gives the user at the desk the maker's
//   readers' nodes.
// - The control device is the node held open, carrying the reports of
//   HidrawControlDevice.h.
class LinuxUsbBackend : public DeviceBackend {
  public:
    LinuxUsbBackend(std::string sysfsRoot, std::string deviceFolder);
    ~LinuxUsbBackend() override;
    LinuxUsbBackend(LinuxUsbBackend&& other) noexcept;
    LinuxUsbBackend(const LinuxUsbBackend&) = delete;
    LinuxUsbBackend& operator=(const LinuxUsbBackend&) = delete;
    LinuxUsbBackend& operator=(LinuxUsbBackend&&) = delete;

    // /sys and /dev.
    static LinuxUsbBackend ForThisSystem();

    std::vector<UsbDeviceInfo> enumerateDevices() override;
    FilterChange changeFilter(FilterMode mode, const std::string& driverKey) override;
    std::unique_ptr<ControlDevice> openControlDevice() override;

    // The hidraw node of the reader with this driver key; empty when it has
    // none.
    std::string hidrawNodeOf(const std::string& driverKey) const;

  private:
    void walkHub(const std::string& hub, const std::string& childPrefix, int depth,
                 std::vector<UsbDeviceInfo>& devices) const;
    void release();

    std::string devicesFolder_;
    std::string hidrawFolder_;
    std::string deviceFolder_;
    int heldFd_ = -1;
    std::string heldKey_;
};

}  // namespace magtune::usbhid
