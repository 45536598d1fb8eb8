#include "wedge/WedgeLibrary.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/SystemError.h"
#include "wedge/EchoTrace.h"

namespace magtune::wedge {

namespace {

// The 9x driver's trace reply buffer and the longest test text it takes.
constexpr std::size_t kTraceReplySize = 10240;
constexpr std::size_t kTestTextLimit = 255;

const char* const kDriverName = "zebdrv2k";
const char* const kInstallerProgram = "instdrv";

std::string ErrorText(int error) {
    return error == ENOTSUP ? "not supported" : platform::SystemMessageText(error);
}

// Copies as much of the text as fits and terminates it.
void CopyTruncated(const std::string& text, char* buffer, std::int32_t size) {
    if (buffer == nullptr || size <= 0) {
        return;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

// The key message flags of one event: repeat count 1, the scan code, and
// for a key going up the previous-state and transition bits.
std::int32_t KeyFlags(std::uint8_t scanCode, bool down) {
    std::uint32_t flags = 1u | static_cast<std::uint32_t>(scanCode) << 16;
    if (!down) {
        flags |= 1u << 30 | 1u << 31;
    }
    return static_cast<std::int32_t>(flags);
}

}  // namespace

WedgeLibrary::WedgeLibrary(const WedgeServices& services) : services_(services) {}

bool WedgeLibrary::fail(std::string text) {
    lastError_ = std::move(text);
    return false;
}

std::int32_t WedgeLibrary::loadDriver(KeyCallback callback) {
    lastError_.clear();
    if (driver_) {
        return fail(kDriverAlreadyLoaded);
    }
    std::string problem;
    const std::unique_ptr<platform::PreferencesStore> preferences =
        services_.openPreferences(problem);
    if (!problem.empty()) {
        services_.messages.warning(problem);
    }
    settings_ = LoadWedgeSettings(*preferences, services_.defaultLogFileName);
    sendDelay_ = settings_.sendDelay;
    family_ = services_.family;
    if (!openDriver()) {
        return 0;
    }
    if (services_.keyboardHook != nullptr && !services_.keyboardHook->install()) {
        driver_.reset();
        return fail(kHookFailed);
    }
    hookThread_ = std::this_thread::get_id();
    callback_ = callback;
    echo_ = std::make_unique<EchoBuffer>(settings_.echoBufferSize);
    loaded_ = true;
    capture_ = true;
    return 1;
}

bool WedgeLibrary::openDriver() {
    bool installed = false;
    if (family_ == OsFamily::Nt && !services_.drivers.serviceInstalled() && !install(installed)) {
        return false;
    }
    int error = 0;
    driver_ = services_.drivers.open(family_, error);
    if (!driver_ && family_ == OsFamily::Nt && !installed) {
        if (!install(installed)) {
            return false;
        }
        if (installed) {
            driver_ = services_.drivers.open(family_, error);
        }
    }
    if (!driver_) {
        return fail(kUnableToOpen + ErrorText(error));
    }
    return true;
}

bool WedgeLibrary::install(bool& installed) {
    const std::optional<std::string> file = services_.drivers.driverFile();
    if (!file) {
        return true;
    }
    installed = true;
    const InstallResult result = RunDriverInstaller(services_.processes, services_.clock,
                                                    {kInstallerProgram, kDriverName, *file});
    switch (result.outcome) {
        case InstallOutcome::StartFailed:
            return fail(kUnableToInstall + ErrorText(result.error));
        case InstallOutcome::TimedOut:
            return fail(kInstallFailed);
        case InstallOutcome::Finished:
            break;
    }
    return true;
}

std::int32_t WedgeLibrary::unloadDriver() {
    std::int32_t result = 1;
    if (driver_) {
        driver_.reset();
    } else {
        result = fail(kNoDriverLoaded);
    }
    if (hookThread_ && services_.keyboardHook != nullptr) {
        services_.keyboardHook->remove();
    }
    hookThread_.reset();
    callback_ = nullptr;
    echo_.reset();
    loaded_ = false;
    capture_ = false;
    return result;
}

std::int32_t WedgeLibrary::enableEcho(std::int32_t on) {
    if (!loaded_) {
        return fail(kNoDriverLoaded);
    }
    if (on != 0) {
        if (!echo_) {
            return 0;
        }
        // Keys the port typed before now belong to what is being cleared.
        deliverTypedKeys();
        echo_->clear();
    }
    capture_ = on != 0;
    return 1;
}

std::int32_t WedgeLibrary::getEchoChars(char* keys, char* scans, std::int32_t size) {
    if (size > 0) {
        if (keys != nullptr) {
            keys[0] = '\0';
        }
        if (scans != nullptr) {
            scans[0] = '\0';
        }
    }
    if (!loaded_ || !echo_) {
        return -1;
    }
    deliverTypedKeys();
    const EchoBuffer::Pending pending = echo_->pending();
    if (pending.count == 0) {
        return 0;
    }
    const auto needed = static_cast<std::int32_t>(pending.count + 1);
    if (size < needed) {
        services_.messages.systemError(kEchoBufferTooSmall);
        return needed;
    }
    std::vector<std::uint8_t> keyCodes;
    std::vector<std::uint8_t> scanCodes;
    echo_->copy(pending, keyCodes, scanCodes);
    echo_->consume(pending);
    if (settings_.logEnable) {
        appendTrace(FormatEchoTrace(keyCodes, scanCodes, pending.start, pending.end));
    }
    keyCodes.push_back(0);
    scanCodes.push_back(0);
    if (keys != nullptr) {
        std::memcpy(keys, keyCodes.data(), keyCodes.size());
    }
    if (scans != nullptr) {
        std::memcpy(scans, scanCodes.data(), scanCodes.size());
    }
    return static_cast<std::int32_t>(pending.count);
}

std::int32_t WedgeLibrary::sendData(const std::uint8_t* data, std::int32_t count) {
    if (!driver_) {
        return fail(kNoDriverLoaded);
    }
    const char* failed = family_ == OsFamily::Nt ? kSendFailedNt : kSendFailed9x;
    if (count < 0 || (count > 0 && data == nullptr)) {
        return fail(failed);
    }
    int error = 0;
    if (!driver_->send(sendDelay_, std::span(data, static_cast<std::size_t>(count)), error)) {
        return fail(failed);
    }
    return 1;
}

std::int32_t WedgeLibrary::setDelay(std::int32_t delay) {
    sendDelay_ = static_cast<std::uint32_t>(delay);
    return 1;
}

std::int32_t WedgeLibrary::getLastError(char* text, std::int32_t size) {
    if (lastError_.empty()) {
        return 0;
    }
    const auto needed = static_cast<std::int32_t>(lastError_.size() + 1);
    if (text != nullptr && size >= needed) {
        std::memcpy(text, lastError_.c_str(), lastError_.size() + 1);
        lastError_.clear();
    }
    return needed;
}

bool WedgeLibrary::version(std::array<std::uint32_t, 3>& words) {
    if (!driver_) {
        return fail(kNoDriverLoaded);
    }
    int error = 0;
    if (!driver_->version(words, error)) {
        return fail(kApiNotSupported);
    }
    return true;
}

std::int32_t WedgeLibrary::getVersion(std::int32_t* word) {
    std::array<std::uint32_t, 3> words{};
    if (!version(words)) {
        return 0;
    }
    if (word != nullptr) {
        *word = static_cast<std::int32_t>(words[0]);
    }
    return 1;
}

std::int32_t WedgeLibrary::getVersionEx(std::int32_t* word1, std::int32_t* word2) {
    std::array<std::uint32_t, 3> words{};
    if (!version(words)) {
        return 0;
    }
    if (word1 != nullptr) {
        *word1 = static_cast<std::int32_t>(words[0]);
    }
    if (word2 != nullptr) {
        *word2 = family_ == OsFamily::Nt ? static_cast<std::int32_t>(words[1]) : 0;
    }
    return 1;
}

std::int32_t WedgeLibrary::getTrace(char* text, std::int32_t size) {
    if (!driver_) {
        return fail(kNoDriverLoaded);
    }
    std::string trace;
    int error = 0;
    if (family_ != OsFamily::Win9x || !driver_->trace(trace, error)) {
        return fail(kApiNotSupported);
    }
    trace = trace.substr(0, std::min(trace.find('\0'), kTraceReplySize - 1));
    const auto needed = static_cast<std::int32_t>(trace.size() + 1);
    if (text != nullptr && size >= needed) {
        std::memcpy(text, trace.c_str(), trace.size() + 1);
    }
    return needed;
}

std::int32_t WedgeLibrary::testVxd(char* text, std::int32_t size) {
    if (!driver_) {
        return fail(kNoDriverLoaded);
    }
    std::string request;
    if (text != nullptr && size > 0) {
        request.assign(text, ::strnlen(text, static_cast<std::size_t>(size)));
    }
    request.resize(std::min(request.size(), kTestTextLimit));
    std::string reply;
    int error = 0;
    if (family_ != OsFamily::Win9x || !driver_->test(request, reply, error)) {
        return fail(kApiNotSupported);
    }
    CopyTruncated("Test return (" + std::to_string(reply.size()) + "): " + reply + "\n", text,
                  size);
    return 1;
}

std::int32_t WedgeLibrary::testDllApi(char* text, std::int32_t size) {
    CopyTruncated("linked ok!", text, size);
    return 1;
}

bool WedgeLibrary::keyboardHook(std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
    if (!hookThread_ || *hookThread_ != std::this_thread::get_id()) {
        return false;
    }
    return captureKey(virtualKey, scanCode, down);
}

bool WedgeLibrary::captureKey(std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
    if (!capture_) {
        return false;
    }
    if (!echo_) {
        services_.messages.systemError(kBufferNotReady);
    } else if (!echo_->store(virtualKey, scanCode)) {
        services_.messages.systemError(kBufferOverflow);
    }
    if (callback_ != nullptr) {
        callback_(virtualKey, KeyFlags(scanCode, down));
    }
    return true;
}

void WedgeLibrary::deliverTypedKeys() {
    if (!driver_) {
        return;
    }
    std::vector<TypedKey> typed;
    driver_->takeTypedKeys(typed);
    for (const TypedKey& key : typed) {
        captureKey(key.key.virtualKey, key.key.scanCode, key.down);
    }
}

void WedgeLibrary::appendTrace(const std::string& text) {
    platform::SystemError error;
    // The trace is a developer's aid; a trace that cannot be written must not
    // fail the read.
    services_.files.appendToFile(
        settings_.logFileName,
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error);
}

}  // namespace magtune::wedge
