// The exports of zebapi over the one library object of the process.

#include "wedge/ZebApi.h"
#include "wedge/DriverInstaller.h"

#include "platform/FilePreferencesStore.h"
#include "platform/HostMessages.h"
#include "wedge/CharDeviceBackend.h"
#include "wedge/SimulatorBackend.h"
#include "wedge/WedgeLibrary.h"

namespace magtune::wedge {
namespace {

// The simulator when $ZEBAPI_SIM_SOCKET names it, else the character
// device; looked at again at every load.
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

    CharDeviceBackend device_;
    std::unique_ptr<SimulatorBackend> simulator_;
};

struct SystemWedge {
    EnvironmentBackend drivers;
    std::unique_ptr<ProcessRunner> processes = CreateProcessRunner();
    // The library has no window of its own: its few message boxes are
    // shown by the program that loaded it.
    HostMessagePrompter messages{"zebapi"};
    WedgeLibrary library{WedgeServices{
        [] { return std::make_unique<FilePreferencesStore>(FilePreferencesStore::DefaultPath()); },
        drivers, *processes, SystemClock(), messages, RealFileSystem(), OsFamily::Nt,
        DefaultEchoTraceFile()}};
};

WedgeLibrary& Library() {
    static SystemWedge wedge;
    return wedge.library;
}

}  // namespace
}  // namespace magtune::wedge

using magtune::wedge::Library;

extern "C" {

int32_t ZebLoadDriver(ZebKeyCallback callback) {
    return Library().loadDriver(callback);
}

int32_t ZebLoadDriver0(void) {
    return Library().loadDriver(nullptr);
}

int32_t ZebUnloadDriver(void) {
    return Library().unloadDriver();
}

int32_t ZebEnableEcho(int32_t on) {
    return Library().enableEcho(on);
}

int32_t ZebGetEchoChars(char* keys, char* scans, int32_t size) {
    return Library().getEchoChars(keys, scans, size);
}

int32_t ZebSendData(const unsigned char* data, int32_t count) {
    return Library().sendData(data, count);
}

int32_t ZebSetDelay(int32_t delay) {
    return Library().setDelay(delay);
}

int32_t ZebGetLastError(char* text, int32_t size) {
    return Library().getLastError(text, size);
}

int32_t ZebGetVersion(int32_t* word) {
    return Library().getVersion(word);
}

int32_t ZebGetVersionEx(int32_t* word1, int32_t* word2) {
    return Library().getVersionEx(word1, word2);
}

int32_t ZebGetTrace(char* text, int32_t size) {
    return Library().getTrace(text, size);
}

int32_t ZebTestVxd(char* text, int32_t size) {
    return Library().testVxd(text, size);
}

int32_t ZebTestDllApi(char* text, int32_t size) {
    return Library().testDllApi(text, size);
}

int32_t ZebKeyboardHookProc(int32_t virtualKey, int32_t scanCode, int32_t keyDown) {
    return Library().keyboardHook(static_cast<std::uint8_t>(virtualKey),
                                  static_cast<std::uint8_t>(scanCode), keyDown != 0)
               ? 1
               : 0;
}

}  // extern "C"
