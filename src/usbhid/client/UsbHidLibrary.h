#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "comm/UsbLibraryCalls.h"
#include "common/Prompter.h"

namespace magtune::usbhid {

// OruUsbHidCtrl as the program uses it: loaded by name on the first call,
// from the program's helper folders (HelperFolders()), else the library search path,
// and kept loaded for the rest of the process (its channel to the server
// lives there). When it cannot be loaded the user is told why once, and
// every call fails (returns 0).
class UsbHidLibrary : public comm::UsbLibraryCalls {
  public:
    // The file name looked for; a path with a slash is taken as it is.
#ifdef _WIN32
    static constexpr const char* kFileName = "OruUsbHidCtrl.dll";
#else
    static constexpr const char* kFileName = "libOruUsbHidCtrl.so";
#endif

    explicit UsbHidLibrary(common::Prompter& prompter, std::string fileName = kFileName);
    ~UsbHidLibrary() override;

    // Loads the library now if that has not been tried; false when it
    // cannot be loaded (loadError() says why).
    bool load();
    // Empty while the library is loaded or not yet tried.
    const std::string& loadError() const {
        return loadError_;
    }

    std::int32_t UsbHidGetAvailableDeviceList() override;
    std::int32_t UsbHidReleaseDeviceList() override;
    std::int32_t UsbHidEnumDeviceList(std::int32_t index, char* name,
                                      std::uint8_t* filterPresent) override;
    std::int32_t UsbHidSelectDevice(std::int32_t index) override;
    std::int32_t UsbHidDeselectDevice() override;
    std::int32_t UsbHidIsDeviceReady() override;
    std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) override;
    std::int32_t UsbHidSetDownloadChannel(std::int32_t channel) override;

  private:
    struct Functions;
    const Functions* functions();

    common::Prompter& prompter_;
    std::string fileName_;
    // The library itself stays loaded for the life of the process; only the
    // table of its functions belongs to this object.
    std::unique_ptr<Functions> functions_;
    std::string loadError_;
};

}  // namespace magtune::usbhid
