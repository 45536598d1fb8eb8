// The exports of zebapi over the one library object of the process.

#include "wedge/ZebApi.h"
#include "wedge/DriverInstaller.h"

#include "platform/FilePreferencesStore.h"
#include "platform/HostMessages.h"
#include "platform/UserPreferences.h"
#include "wedge/SimulatorBackend.h"
#include "wedge/WedgeLibrary.h"
#ifdef _WIN32
#include "wedge/win32/Win32WedgeBackend.h"
#else
#include "wedge/CharDeviceBackend.h"
#endif

namespace magtune::wedge {
namespace {

#ifdef _WIN32
using SystemDriverBackend = Win32WedgeBackend;
#else
using SystemDriverBackend = CharDeviceBackend;
#endif

// The simulator when $ZEBAPI_SIM_SOCKET names it, else the system's driver
// (the character device, or the Windows driver); looked at again at every
// load.
class EnvironmentBackend : public WedgeDriverBackend {
  public:
    bool serviceInstalled() override { return current().serviceInstalled(); }
    std::optional<std::string> driverFile() override { return current().driverFile(); }
    std::unique_ptr<WedgeDriver> open(OsFamily family, int& error) override {
        return current().open(family, error);
    }

  private:
    WedgeDriverBackend& current() {
        const std::string socket = SimulatorBackend::SocketPathFromEnvironment();
        if (socket.empty()) {
            return device_;
        }
        simulator_ = std::make_unique<SimulatorBackend>(socket);
        return *simulator_;
    }

    SystemDriverBackend device_;
    std::unique_ptr<SimulatorBackend> simulator_;
};

#ifdef _WIN32
bool HookProcedure(std::uint8_t virtualKey, std::uint8_t scanCode, bool down);
#endif

struct SystemWedge {
    EnvironmentBackend drivers;
#ifdef _WIN32
    Win32KeyboardHook hook{HookProcedure};
    KeyboardHook* keyboardHook = &hook;
    OsFamily family = ThisSystemsFamily();
#else
    KeyboardHook* keyboardHook = nullptr;
    OsFamily family = OsFamily::Nt;
#endif
    std::unique_ptr<ProcessRunner> processes = CreateProcessRunner();
    // The library has no window of its own: its few message boxes are
    // shown by the program that loaded it.
    platform::HostMessagePrompter messages{"zebapi"};
    WedgeLibrary library{
        WedgeServices{[](std::string& problem) {
                          return platform::OpenUserPreferences(
                              platform::FilePreferencesStore::DefaultPath(), problem);
                      },
                      drivers, *processes, platform::SystemClock(), messages,
                      platform::RealFileSystem(), family, DefaultEchoTraceFile(), keyboardHook}};
};

WedgeLibrary& Library() {
    static SystemWedge wedge;
    return wedge.library;
}

#ifdef _WIN32
// The system's hook hands every key event of the loading thread here.
bool HookProcedure(std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
    return Library().keyboardHook(virtualKey, scanCode, down);
}
#endif

// The caller's key callback, in the system's calling convention, called
// through one of the library's own.
ZebKeyCallback callerCallback = nullptr;

void CallCaller(std::int32_t code, std::int32_t flags) {
    if (ZebKeyCallback callback = callerCallback) {
        callback(code, flags);
    }
}

std::int32_t Load(ZebKeyCallback callback) {
    const std::int32_t loaded = Library().loadDriver(callback != nullptr ? CallCaller : nullptr);
    if (loaded != 0) {
        callerCallback = callback;
    }
    return loaded;
}

}  // namespace
}  // namespace magtune::wedge

using magtune::wedge::Library;
using magtune::wedge::Load;

extern "C" {

int32_t ZEBAPI_CALL ZebLoadDriver(ZebKeyCallback callback) {
    return Load(callback);
}

int32_t ZEBAPI_CALL ZebLoadDriver0(void) {
    return Load(nullptr);
}

int32_t ZEBAPI_CALL ZebUnloadDriver(void) {
    return Library().unloadDriver();
}

int32_t ZEBAPI_CALL ZebEnableEcho(int32_t on) {
    return Library().enableEcho(on);
}

int32_t ZEBAPI_CALL ZebGetEchoChars(char* keys, char* scans, int32_t size) {
    return Library().getEchoChars(keys, scans, size);
}

int32_t ZEBAPI_CALL ZebSendData(const unsigned char* data, int32_t count) {
    return Library().sendData(data, count);
}

int32_t ZEBAPI_CALL ZebSetDelay(int32_t delay) {
    return Library().setDelay(delay);
}

int32_t ZEBAPI_CALL ZebGetLastError(char* text, int32_t size) {
    return Library().getLastError(text, size);
}

int32_t ZEBAPI_CALL ZebGetVersion(int32_t* word) {
    return Library().getVersion(word);
}

int32_t ZEBAPI_CALL ZebGetVersionEx(int32_t* word1, int32_t* word2) {
    return Library().getVersionEx(word1, word2);
}

int32_t ZEBAPI_CALL ZebGetTrace(char* text, int32_t size) {
    return Library().getTrace(text, size);
}

int32_t ZEBAPI_CALL ZebTestVxd(char* text, int32_t size) {
    return Library().testVxd(text, size);
}

int32_t ZEBAPI_CALL ZebTestDllApi(char* text, int32_t size) {
    return Library().testDllApi(text, size);
}

#ifndef _WIN32
int32_t ZEBAPI_CALL ZebKeyboardHookProc(int32_t virtualKey, int32_t scanCode, int32_t keyDown) {
    return Library().keyboardHook(static_cast<std::uint8_t>(virtualKey),
                                  static_cast<std::uint8_t>(scanCode), keyDown != 0)
               ? 1
               : 0;
}
#endif

}  // extern "C"
