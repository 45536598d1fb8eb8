// OruUsbHidCtrlSrv64 on Windows: a program without a window, started by
// OruUsbHidCtrl.dll from the program's folder. It answers the requests of
// the shared block one at a time until the quit event.

#include <windows.h>

#include <new>
#include <vector>

#include "common/Prompter.h"
#include "platform/Clock.h"
#include "usbhid/common/ChannelNames.h"
#include "usbhid/common/SimUsbWire.h"
#include "usbhid/common/win32/HostFolder.h"
#include "usbhid/server/SimulatorBackend.h"
#include "usbhid/server/UsbHidServer.h"
#include "usbhid/server/win32/Win32UsbBackend.h"

namespace magtune::usbhid {
namespace {

// What the server reports (a filter list it could not change), in a warning
// box of its own.
class MessageBoxPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        const UINT icon = message.icon == common::MessageIcon::Error         ? MB_ICONSTOP
                          : message.icon == common::MessageIcon::Information ? MB_ICONINFORMATION
                                                                             : MB_ICONWARNING;
        ::MessageBoxA(nullptr, message.text.c_str(),
                      message.caption.empty() ? kServerFileName : message.caption.c_str(),
                      MB_OK | icon | MB_SETFOREGROUND);
        return message.defaultButton;
    }
    void beep() override { ::MessageBeep(MB_OK); }
};

// The simulated bus when MAGTUNE_USB_SIM names it, else the system's buses.
std::unique_ptr<DeviceBackend> MakeBackend() {
    char simulator[1024] = {};
    const DWORD n =
        ::GetEnvironmentVariableA(kUsbSimEnvironmentVariable, simulator, sizeof simulator);
    if (n > 0 && n < sizeof simulator) {
        return std::make_unique<SimulatorBackend>(simulator);
    }
    return std::make_unique<Win32UsbBackend>();
}

int Run() {
    const std::string folder = HostFolder();
    if (folder.empty()) {
        return 0;
    }
    const std::string nameBase = NameBase(folder);
    // A second server for the folder ends at once without touching the
    // channel.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE,
                                  ChannelObjectName(nameBase, ChannelObject::ServerMutex).c_str());
    if (mutex == nullptr) {
        return 0;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return 0;
    }
    const ChannelObject eventObjects[] = {ChannelObject::RequestEvent, ChannelObject::ReplyEvent,
                                          ChannelObject::QuitEvent, ChannelObject::ReadyEvent};
    HANDLE events[4] = {};
    bool opened = true;
    for (int i = 0; i < 4; ++i) {
        events[i] = ::OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE,
                                 ChannelObjectName(nameBase, eventObjects[i]).c_str());
        opened = opened && events[i] != nullptr;
    }
    HANDLE mapping = opened ? ::OpenFileMappingA(
                                  FILE_MAP_ALL_ACCESS, FALSE,
                                  ChannelObjectName(nameBase, ChannelObject::RequestBlock).c_str())
                            : nullptr;
    void* view = mapping != nullptr
                     ? ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kRequestBlockSize)
                     : nullptr;
    if (view != nullptr) {
        RequestBlock& block = *std::launder(static_cast<RequestBlock*>(view));
        MessageBoxPrompter prompter;
        const std::unique_ptr<DeviceBackend> backend = MakeBackend();
        UsbHidServer server(*backend, platform::SystemClock(), prompter);
        ::SetEvent(events[3]);
        const HANDLE waited[] = {events[0], events[2]};
        for (;;) {
            const DWORD woken = ::WaitForMultipleObjects(2, waited, FALSE, INFINITE);
            if (woken != WAIT_OBJECT_0) {
                break;  // the quit event, or a wait that failed
            }
            server.handle(block);
            ::SetEvent(events[1]);
        }
        ::UnmapViewOfFile(view);
    }
    if (mapping != nullptr) {
        ::CloseHandle(mapping);
    }
    for (HANDLE event : events) {
        if (event != nullptr) {
            ::CloseHandle(event);
        }
    }
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return 0;
}

}  // namespace
}  // namespace magtune::usbhid

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return magtune::usbhid::Run();
}
