#include "usbhid/client/UsbHidLibrary.h"

#include <dlfcn.h>

#include <memory>
#include <utility>

#include "platform/Paths.h"
#include "usbhid/client/OruUsbHidCtrl.h"

namespace magtune {

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

namespace {

template <typename Function>
void Resolve(void* handle, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    if (function == nullptr && missing.empty()) {
        missing = name;
    }
}

std::string DlError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

}  // namespace

UsbHidLibrary::UsbHidLibrary(Prompter& prompter, std::string fileName)
    : prompter_(prompter), fileName_(std::move(fileName)) {}

bool UsbHidLibrary::load() {
    return functions() != nullptr;
}

const UsbHidLibrary::Functions* UsbHidLibrary::functions() {
    if (functions_ != nullptr || !loadError_.empty()) {
        return functions_;
    }
    void* handle = nullptr;
    if (fileName_.find('/') == std::string::npos) {
        // Beside the program in the build, in ../lib once installed.
        for (const char* folder : {"/", "/../lib/"}) {
            const std::string path = ProgramFolder() + folder + fileName_;
            handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle != nullptr) {
                break;
            }
        }
    }
    if (handle == nullptr) {
        handle = ::dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        loadError_ = "The USB control library could not be loaded:\n" + DlError();
    } else {
        auto functions = std::make_unique<Functions>();
        std::string missing;
        Resolve(handle, "UsbHidGetAvailableDeviceList", functions->getAvailableDeviceList, missing);
        Resolve(handle, "UsbHidReleaseDeviceList", functions->releaseDeviceList, missing);
        Resolve(handle, "UsbHidEnumDeviceList", functions->enumDeviceList, missing);
        Resolve(handle, "UsbHidSelectDevice", functions->selectDevice, missing);
        Resolve(handle, "UsbHidDeselectDevice", functions->deselectDevice, missing);
        Resolve(handle, "UsbHidIsDeviceReady", functions->isDeviceReady, missing);
        Resolve(handle, "UsbHidSetDeviceControlCode", functions->setDeviceControlCode, missing);
        Resolve(handle, "UsbHidSetDownloadChannel", functions->setDownloadChannel, missing);
        if (missing.empty()) {
            // Kept for the life of the process, like the library itself:
            // unloading it ends the server.
            functions_ = functions.release();
            return functions_;
        }
        loadError_ = "The USB control library " + fileName_ + " has no " + missing + ".";
        ::dlclose(handle);
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

}  // namespace magtune
