#pragma once

#include <string>

#include "wedge/WedgeDriver.h"

namespace magtune::wedge {

// The keyboard port driver of this system: a character device that a real
// driver provides, by default /dev/zebdrv2k (/dev/zebdrv.vxd for the 9x
// family; $ZEBAPI_DEVICE names another path). Its requests are ioctl() calls
// numbered with the driver's control codes:
//
//   0x80FF3E8F  send     struct { uint32_t delay; uint32_t count; uint64_t address; }
//                        the driver types `count` bytes from `address` into
//                        the keyboard port, pausing by `delay` between them
//   0x80FF3E87  version  uint32_t[3] filled in by the driver
//
// The driver's service counts as installed while its kernel module is
// loaded (/sys/module/zebdrv2k); it is installed from
// /lib/modules/<release>/extra/zebdrv2k.ko.
class CharDeviceBackend : public WedgeDriverBackend {
  public:
    inline static constexpr unsigned long kSendRequest = 0x80FF3E8Ful;
    inline static constexpr unsigned long kVersionRequest = 0x80FF3E87ul;

    // $ZEBAPI_DEVICE when set, else the family's device below /dev.
    static std::string DevicePath(OsFamily family);

    // The folders are those of the running system unless a test says
    // otherwise.
    explicit CharDeviceBackend(std::string moduleFolder = "/sys/module/zebdrv2k",
                               std::string driverFile = "");

    bool serviceInstalled() override;
    std::optional<std::string> driverFile() override;
    std::unique_ptr<WedgeDriver> open(OsFamily family, int& error) override;

  private:
    std::string moduleFolder_;
    std::string driverFile_;
};

}  // namespace magtune::wedge
