#pragma once

#include <cstdint>

namespace magtune::comm {

// The exports of OruUsbHidCtrl that the USB forms call, with the library's
// own conventions (a nonzero result is success). The program binds the
// loaded library; tests script them.
class UsbLibraryCalls {
  public:
    virtual ~UsbLibraryCalls() = default;

    virtual std::int32_t UsbHidGetAvailableDeviceList() = 0;
    virtual std::int32_t UsbHidReleaseDeviceList() = 0;
    virtual std::int32_t UsbHidEnumDeviceList(std::int32_t index, char* name,
                                              std::uint8_t* filterPresent) = 0;
    virtual std::int32_t UsbHidSelectDevice(std::int32_t index) = 0;
    virtual std::int32_t UsbHidDeselectDevice() = 0;
    virtual std::int32_t UsbHidIsDeviceReady() = 0;
    virtual std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) = 0;
    virtual std::int32_t UsbHidSetDownloadChannel(std::int32_t channel) = 0;
};

}  // namespace magtune::comm
