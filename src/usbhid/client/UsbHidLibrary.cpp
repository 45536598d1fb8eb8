#include "usbhid/client/UsbHidLibrary.h"

#include <memory>
#include <utility>

#include "platform/SharedLibrary.h"
#include "usbhid/client/OruUsbHidCtrl.h"

namespace magtune::usbhid {

struct UsbHidLibrary::Functions {
    decltype(&::UsbHidGetAvailableDeviceList) getAvailableDeviceList = nullptr;
    decltype(&::UsbHidReleaseDeviceList) releaseDeviceList = nullptr;
    decltype(&::UsbHidEnumDeviceList) enumDeviceList = nullptr;
    decltype(&::UsbHidSelectDevice) selectDevice = nullptr;
    decltype(&::UsbHidDeselectDevice) deselectDevice = nullptr;
    decltype(&::UsbHidIsDeviceReady) isDeviceReady = nullptr;
    decltype(&::UsbHidSetDeviceControlCode) setDeviceControlCode = nullptr;
    decltype(&::UsbHidSetDownloadChannel) setDownloadChannel = nullptr;
};

UsbHidLibrary::~UsbHidLibrary() = default;

UsbHidLibrary::UsbHidLibrary(common::Prompter& prompter, std::string fileName)
    : prompter_(prompter), fileName_(std::move(fileName)) {}

bool UsbHidLibrary::load() {
    return functions() != nullptr;
}

const UsbHidLibrary::Functions* UsbHidLibrary::functions() {
    if (functions_ != nullptr || !loadError_.empty()) {
        return functions_.get();
    }
    platform::SharedLibrary library;
    std::string error;
    if (!library.open(fileName_, error)) {
        loadError_ = "The USB control library could not be loaded:\n" + error;
    } else {
        auto functions = std::make_unique<Functions>();
        library.resolve("UsbHidGetAvailableDeviceList", functions->getAvailableDeviceList);
        library.resolve("UsbHidReleaseDeviceList", functions->releaseDeviceList);
        library.resolve("UsbHidEnumDeviceList", functions->enumDeviceList);
        library.resolve("UsbHidSelectDevice", functions->selectDevice);
        library.resolve("UsbHidDeselectDevice", functions->deselectDevice);
        library.resolve("UsbHidIsDeviceReady", functions->isDeviceReady);
        library.resolve("UsbHidSetDeviceControlCode", functions->setDeviceControlCode);
        library.resolve("UsbHidSetDownloadChannel", functions->setDownloadChannel);
        if (library.firstMissing().empty()) {
            // Kept for the life of the process, like the library itself:
            // unloading it ends the server.
            functions_ = std::move(functions);
            return functions_.get();
        }
        loadError_ =
            "The USB control library " + fileName_ + " has no " + library.firstMissing() + ".";
        library.close();
    }
    prompter_.systemError(loadError_);
    return nullptr;
}

std::int32_t UsbHidLibrary::UsbHidGetAvailableDeviceList() {
    const Functions* f = functions();
    return f != nullptr ? f->getAvailableDeviceList() : 0;
}

std::int32_t UsbHidLibrary::UsbHidReleaseDeviceList() {
    const Functions* f = functions();
    return f != nullptr ? f->releaseDeviceList() : 0;
}

std::int32_t UsbHidLibrary::UsbHidEnumDeviceList(std::int32_t index, char* name,
                                                 std::uint8_t* filterPresent) {
    if (const Functions* f = functions()) {
        return f->enumDeviceList(index, name, filterPresent);
    }
    if (name != nullptr) {
        name[0] = '\0';
    }
    if (filterPresent != nullptr) {
        *filterPresent = 0;
    }
    return 0;
}

std::int32_t UsbHidLibrary::UsbHidSelectDevice(std::int32_t index) {
    const Functions* f = functions();
    return f != nullptr ? f->selectDevice(index) : 0;
}

std::int32_t UsbHidLibrary::UsbHidDeselectDevice() {
    const Functions* f = functions();
    return f != nullptr ? f->deselectDevice() : 0;
}

std::int32_t UsbHidLibrary::UsbHidIsDeviceReady() {
    const Functions* f = functions();
    return f != nullptr ? f->isDeviceReady() : 0;
}

std::int32_t UsbHidLibrary::UsbHidSetDeviceControlCode(std::int32_t code) {
    const Functions* f = functions();
    return f != nullptr ? f->setDeviceControlCode(code) : 0;
}

std::int32_t UsbHidLibrary::UsbHidSetDownloadChannel(std::int32_t channel) {
    const Functions* f = functions();
    return f != nullptr ? f->setDownloadChannel(channel) : 0;
}

}  // namespace magtune::usbhid
