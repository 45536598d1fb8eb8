#include "wedge/ZebApiLibrary.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>

#include "platform/Paths.h"
#include "wedge/ZebApi.h"

namespace magtune {

struct ZebApiLibrary::Functions {
    decltype(&::ZebLoadDriver0) loadDriver0 = nullptr;
    decltype(&::ZebUnloadDriver) unloadDriver = nullptr;
    decltype(&::ZebEnableEcho) enableEcho = nullptr;
    decltype(&::ZebSetDelay) setDelay = nullptr;
    decltype(&::ZebSendData) sendData = nullptr;
    decltype(&::ZebGetEchoChars) getEchoChars = nullptr;
    decltype(&::ZebGetLastError) getLastError = nullptr;
    decltype(&::ZebKeyboardHookProc) keyboardHookProc = nullptr;
};

namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    if (function == nullptr && missing.empty()) {
        missing = name;
    }
    return function != nullptr;
}

std::string DlError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

}  // namespace

ZebApiLibrary::ZebApiLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

const ZebApiLibrary::Functions* ZebApiLibrary::load() {
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
        loadError_ = "The keyboard wedge library could not be loaded:\n" + DlError();
        return nullptr;
    }
    auto functions = std::make_unique<Functions>();
    std::string missing;
    Resolve(handle, "ZebLoadDriver0", functions->loadDriver0, missing);
    Resolve(handle, "ZebUnloadDriver", functions->unloadDriver, missing);
    Resolve(handle, "ZebEnableEcho", functions->enableEcho, missing);
    Resolve(handle, "ZebSetDelay", functions->setDelay, missing);
    Resolve(handle, "ZebSendData", functions->sendData, missing);
    Resolve(handle, "ZebGetEchoChars", functions->getEchoChars, missing);
    Resolve(handle, "ZebGetLastError", functions->getLastError, missing);
    Resolve(handle, "ZebKeyboardHookProc", functions->keyboardHookProc, missing);
    if (!missing.empty()) {
        loadError_ = "The keyboard wedge library " + fileName_ + " has no " + missing + ".";
        ::dlclose(handle);
        return nullptr;
    }
    // Kept for the life of the process, like the library itself.
    functions_ = functions.release();
    return functions_;
}

std::int32_t ZebApiLibrary::ZebLoadDriver0() {
    const Functions* f = load();
    return f != nullptr ? f->loadDriver0() : 0;
}

std::int32_t ZebApiLibrary::ZebUnloadDriver() {
    const Functions* f = load();
    return f != nullptr ? f->unloadDriver() : 0;
}

std::int32_t ZebApiLibrary::ZebEnableEcho(std::int32_t on) {
    const Functions* f = load();
    return f != nullptr ? f->enableEcho(on) : 0;
}

std::int32_t ZebApiLibrary::ZebSetDelay(std::int32_t delay) {
    const Functions* f = load();
    return f != nullptr ? f->setDelay(delay) : 0;
}

std::int32_t ZebApiLibrary::ZebSendData(const unsigned char* data, std::int32_t count) {
    const Functions* f = load();
    return f != nullptr ? f->sendData(data, count) : 0;
}

std::int32_t ZebApiLibrary::ZebGetEchoChars(char* keys, char* scans, std::int32_t size) {
    const Functions* f = load();
    return f != nullptr ? f->getEchoChars(keys, scans, size) : -1;
}

std::int32_t ZebApiLibrary::ZebGetLastError(char* text, std::int32_t size) {
    if (const Functions* f = load()) {
        return f->getLastError(text, size);
    }
    const auto needed = static_cast<std::int32_t>(loadError_.size() + 1);
    if (text != nullptr && size >= needed) {
        std::memcpy(text, loadError_.c_str(), loadError_.size() + 1);
    }
    return needed;
}

bool ZebApiLibrary::keyboardHook(std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
    return functions_ != nullptr &&
           functions_->keyboardHookProc(virtualKey, scanCode, down ? 1 : 0) != 0;
}

}  // namespace magtune
