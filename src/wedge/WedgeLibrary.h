#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "common/Prompter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/PreferencesStore.h"
#include "wedge/DriverInstaller.h"
#include "wedge/EchoBuffer.h"
#include "wedge/KeyboardHook.h"
#include "wedge/WedgeDriver.h"
#include "wedge/WedgeSettings.h"

namespace magtune::wedge {

// What the library needs from the system, so that tests can hand it fakes.
struct WedgeServices {
    // The library's view of the registry, opened afresh at every load;
    // `problem` tells the user once about a broken preferences file.
    std::function<std::unique_ptr<platform::PreferencesStore>(std::string& problem)>
        openPreferences;
    WedgeDriverBackend& drivers;
    ProcessRunner& processes;  // the driver installer
    platform::Clock& clock;
    common::Prompter& messages;   // the library's own message boxes
    platform::FileSystem& files;  // the echo trace
    OsFamily family = OsFamily::Nt;
    std::string defaultLogFileName;
    // The system's keyboard hook; none where the program delivers the keys.
    KeyboardHook* keyboardHook = nullptr;
};

// Texts of the last-error and of the library's own message boxes.
inline constexpr const char* kDriverAlreadyLoaded = "Driver already loaded";
inline constexpr const char* kNoDriverLoaded = "No driver loaded";
inline constexpr const char* kUnableToInstall = "Unable to install the driver,\n";
inline constexpr const char* kInstallFailed = "Install of driver failed\n";
inline constexpr const char* kUnableToOpen = "Unable to open the driver,\n";
inline constexpr const char* kHookFailed = "Install KB hook failed.";
inline constexpr const char* kSendFailedNt = "Send data to keyboard port failed! (2k)";
inline constexpr const char* kSendFailed9x = "Send data to keyboard port failed! (9x)";
inline constexpr const char* kApiNotSupported = "Device does not support the requested API.";
inline constexpr const char* kBufferOverflow = "Internal buffer overflow!";
inline constexpr const char* kBufferNotReady = "Internal buffer not ready!";
inline constexpr const char* kEchoBufferTooSmall = "ZebGetEchoChars, buffer too small!";

// The keyboard wedge library: the state behind every zebapi export, one per
// process. Results follow the exports: 1 (or a count) for success, 0 for
// failure with the last-error text set.
class WedgeLibrary {
  public:
    // The key callback gets the key event's virtual-key code and its key
    // message flags (repeat count, scan code in bits 16-23, bit 31 set when
    // the key goes up).
    using KeyCallback = void (*)(std::int32_t code, std::int32_t flags);

    explicit WedgeLibrary(const WedgeServices& services);

    std::int32_t loadDriver(KeyCallback callback);
    std::int32_t unloadDriver();
    std::int32_t enableEcho(std::int32_t on);
    // -1 when not loaded, the needed size (count + 1) without consuming when
    // `size` is too small, else the number of events copied.
    std::int32_t getEchoChars(char* keys, char* scans, std::int32_t size);
    std::int32_t sendData(const std::uint8_t* data, std::int32_t count);
    std::int32_t setDelay(std::int32_t delay);
    std::int32_t getLastError(char* text, std::int32_t size);
    std::int32_t getVersion(std::int32_t* word);
    std::int32_t getVersionEx(std::int32_t* word1, std::int32_t* word2);
    std::int32_t getTrace(char* text, std::int32_t size);
    std::int32_t testVxd(char* text, std::int32_t size);
    std::int32_t testDllApi(char* text, std::int32_t size);

    // The keyboard hook procedure, for every key event of the program's
    // thread: true when the event was captured and must not reach a window.
    bool keyboardHook(std::uint8_t virtualKey, std::uint8_t scanCode, bool down);

  private:
    bool fail(std::string text);
    bool openDriver();
    bool install(bool& installed);
    bool version(std::array<std::uint32_t, 3>& words);
    bool captureKey(std::uint8_t virtualKey, std::uint8_t scanCode, bool down);
    // Hands the keys that the driver's port typed to the hook, as the
    // thread's message loop would.
    void deliverTypedKeys();
    void appendTrace(const std::string& text);

    WedgeServices services_;
    WedgeSettings settings_;
    OsFamily family_ = OsFamily::Nt;
    std::unique_ptr<WedgeDriver> driver_;
    std::unique_ptr<EchoBuffer> echo_;
    std::optional<std::thread::id> hookThread_;
    KeyCallback callback_ = nullptr;
    bool loaded_ = false;
    bool capture_ = false;
    std::uint32_t sendDelay_ = 0;
    std::string lastError_;
};

}  // namespace magtune::wedge
