#include "wedge/ZebApiLibrary.h"

#include <cstring>
#include <memory>

#include "platform/SharedLibrary.h"
#include "wedge/ZebApi.h"

namespace magtune::wedge {

struct ZebApiLibrary::Functions {
    decltype(&::ZebLoadDriver0) loadDriver0 = nullptr;
    decltype(&::ZebUnloadDriver) unloadDriver = nullptr;
    decltype(&::ZebEnableEcho) enableEcho = nullptr;
    decltype(&::ZebSetDelay) setDelay = nullptr;
    decltype(&::ZebSendData) sendData = nullptr;
    decltype(&::ZebGetEchoChars) getEchoChars = nullptr;
    decltype(&::ZebGetLastError) getLastError = nullptr;
#ifndef _WIN32
    decltype(&::ZebKeyboardHookProc) keyboardHookProc = nullptr;
#endif
};

ZebApiLibrary::~ZebApiLibrary() = default;

ZebApiLibrary::ZebApiLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

const ZebApiLibrary::Functions* ZebApiLibrary::load() {
    if (functions_ != nullptr || !loadError_.empty()) {
        return functions_.get();
    }
    platform::SharedLibrary library;
    std::string error;
    if (!library.open(fileName_, error)) {
        loadError_ = "The keyboard wedge library could not be loaded:\n" + error;
        return nullptr;
    }
    auto functions = std::make_unique<Functions>();
    library.resolve("ZebLoadDriver0", functions->loadDriver0);
    library.resolve("ZebUnloadDriver", functions->unloadDriver);
    library.resolve("ZebEnableEcho", functions->enableEcho);
    library.resolve("ZebSetDelay", functions->setDelay);
    library.resolve("ZebSendData", functions->sendData);
    library.resolve("ZebGetEchoChars", functions->getEchoChars);
    library.resolve("ZebGetLastError", functions->getLastError);
#ifndef _WIN32
    // (On Windows the library hooks the thread's keys itself.)
    library.resolve("ZebKeyboardHookProc", functions->keyboardHookProc);
#endif
    if (!library.firstMissing().empty()) {
        loadError_ =
            "The keyboard wedge library " + fileName_ + " has no " + library.firstMissing() + ".";
        library.close();
        return nullptr;
    }
    // Kept for the life of the process, like the library itself.
    functions_ = std::move(functions);
    return functions_.get();
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
#ifdef _WIN32
    // The library's own hook sees the keys first; nothing to hand over.
    (void)virtualKey, (void)scanCode, (void)down;
    return false;
#else
    return functions_ != nullptr &&
           functions_->keyboardHookProc(virtualKey, scanCode, down ? 1 : 0) != 0;
#endif
}

}  // namespace magtune::wedge
