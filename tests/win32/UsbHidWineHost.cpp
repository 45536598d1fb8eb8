// A 32-bit program that loads OruUsbHidCtrl.dll from its own folder, as the
// configuration program does, and sends requests 1-11 through it to the
// 64-bit server the library starts. Run by scripts/wine-tests.sh in a
// folder with the library and the server ("with-server"), or with the
// library alone ("without-server").

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "usbhid/common/ChannelNames.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) {
        ++failures;
    }
}

using NoArguments = std::int32_t(__stdcall*)();
using OneArgument = std::int32_t(__stdcall*)(std::int32_t);
using EnumDevice = std::int32_t(__stdcall*)(std::int32_t, char*, std::uint8_t*);
using GetCode = std::int32_t(__stdcall*)(std::uint8_t*);
using BufferedData = std::int32_t(__stdcall*)(const std::uint8_t*, std::uint32_t, std::int32_t);

template <typename Function>
Function Export(HMODULE library, const char* name) {
    auto function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
    Check(function != nullptr, name);
    return function;
}

std::string OwnFolder() {
    char path[961] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\'));
}

bool ObjectExists(const std::string& name, bool mutex) {
    HANDLE handle = mutex ? ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str())
                          : ::OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
    if (handle == nullptr) {
        return false;
    }
    ::CloseHandle(handle);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withServer = argc < 2 || std::strcmp(argv[1], "without-server") != 0;
    HMODULE library = ::LoadLibraryA("OruUsbHidCtrl.dll");
    Check(library != nullptr, "OruUsbHidCtrl.dll loads");
    if (library == nullptr) {
        return 1;
    }
    auto getList = Export<NoArguments>(library, "UsbHidGetAvailableDeviceList");
    auto releaseList = Export<NoArguments>(library, "UsbHidReleaseDeviceList");
    auto enumList = Export<EnumDevice>(library, "UsbHidEnumDeviceList");
    auto select = Export<OneArgument>(library, "UsbHidSelectDevice");
    auto isSelected = Export<NoArguments>(library, "UsbHidIsDeviceSelected");
    auto getCode = Export<GetCode>(library, "UsbHidGetDeviceControlCode");
    auto setCode = Export<OneArgument>(library, "UsbHidSetDeviceControlCode");
    auto setChannel = Export<OneArgument>(library, "UsbHidSetDownloadChannel");
    auto deselect = Export<NoArguments>(library, "UsbHidDeselectDevice");
    auto isReady = Export<NoArguments>(library, "UsbHidIsDeviceReady");
    auto buffered = Export<BufferedData>(library, "UsbHidSetDeviceBufferedData");
    if (failures != 0) {
        return 1;
    }
    const std::string nameBase = magtune::usbhid::NameBase(OwnFolder());

    if (!withServer) {
        // Five attempts to start a server that is not there: every export
        // answers 0 and leaves its out arguments empty.
        Check(isSelected() == 0, "no server: request 5 answers 0");
        char name[256] = "stale";
        std::uint8_t flag = 7;
        Check(enumList(0, name, &flag) == 0 && name[0] == '\0' && flag == 0,
              "no server: request 3 answers 0 with an empty name and flag");
        Check(!ObjectExists(nameBase + magtune::usbhid::ChannelGuid(
                                           magtune::usbhid::ChannelObject::RequestEvent),
                            false),
              "no server: the channel is closed again");
        return failures == 0 ? 0 : 1;
    }

    // Request 5 always answers 1: a 1 can only come from the server.
    Check(isSelected() == 1, "request 5 (is selected) answers 1 from the server");
    using magtune::usbhid::ChannelGuid;
    using magtune::usbhid::ChannelObject;
    Check(ObjectExists(nameBase + ChannelGuid(ChannelObject::ServerMutex), true),
          "the server holds NameBase + the mutex GUID");
    for (ChannelObject event : {ChannelObject::RequestEvent, ChannelObject::ReplyEvent,
                                ChannelObject::QuitEvent, ChannelObject::ReadyEvent}) {
        Check(ObjectExists(nameBase + ChannelGuid(event), false), ChannelGuid(event));
    }
    HANDLE mapping = ::OpenFileMappingA(
        FILE_MAP_READ, FALSE, (nameBase + ChannelGuid(ChannelObject::RequestBlock)).c_str());
    Check(mapping != nullptr, "the request block is a named mapping");
    if (mapping != nullptr) {
        ::CloseHandle(mapping);
    }

    // No USB host controller and no filter driver under wine: the
    // server's answers for a system without readers.
    Check(getList() == 0, "request 1 (device list) finds no reader");
    Check(releaseList() == 0, "request 2 (release) had no entries");
    char name[256] = "stale";
    std::uint8_t flag = 7;
    Check(enumList(0, name, &flag) == 0 && name[0] == '\0' && flag == 0,
          "request 3 (enumerate) for an index at the count: 0, empty name, flag 0");
    Check(select(0) == 0, "request 4 (select) with an empty list answers 0");
    std::uint8_t code = 9;
    Check(getCode(&code) == 0, "request 6 (read code) without the filter driver answers 0");
    Check(setCode(0x41) == 0, "request 7 (send code) without the filter driver answers 0");
    Check(setChannel(253) == 0, "request 8 (channel) without the filter driver answers 0");
    Check(deselect() == 1, "request 9 (deselect) with nothing selected answers 1");
    Check(isReady() == 0, "request 10 (ready) without the filter driver answers 0");
    const std::uint8_t data[4] = {1, 2, 3, 4};
    Check(buffered(data, 4, 0) == 0,
          "request 11 (buffered data) without the filter driver answers 0");
    std::vector<std::uint8_t> tooMuch(1033, 0);
    Check(buffered(tooMuch.data(), 1033, 0) == 0, "1033 bytes are refused without a request");
    Check(isSelected() == 1, "the channel still answers after all eleven requests");

    ::FreeLibrary(library);
    // Unloading asks the server to quit; it gives up its mutex.
    bool gone = false;
    for (int i = 0; i < 50 && !gone; ++i) {
        gone = !ObjectExists(nameBase + ChannelGuid(ChannelObject::ServerMutex), true);
        if (!gone) {
            ::Sleep(100);
        }
    }
    Check(gone, "unloading the library ends the server");
    std::printf("usbhid: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
