#include "usbhid/client/win32/Win32ClientChannel.h"

#include <windows.h>

#include <new>
#include <vector>

#include "usbhid/common/ChannelNames.h"
#include "usbhid/common/win32/HostFolder.h"

namespace magtune::usbhid {
namespace {

enum EventSlot { kRequest, kReply, kQuit, kReady };

constexpr ChannelObject kEventObjects[] = {ChannelObject::RequestEvent, ChannelObject::ReplyEvent,
                                           ChannelObject::QuitEvent, ChannelObject::ReadyEvent};

}  // namespace

bool Win32ClientChannel::connect() {
    if (connected_) {
        return true;
    }
    // Connected from here on, so that a failure below is cleaned up by the
    // disconnect step.
    connected_ = true;
    const std::string folder = HostFolder();
    if (folder.empty()) {
        disconnect();
        return false;
    }
    const std::string nameBase = NameBase(folder);
    for (int i = 0; i < 4; ++i) {
        events_[i] = ::CreateEventA(nullptr, FALSE, FALSE,
                                    ChannelObjectName(nameBase, kEventObjects[i]).c_str());
        if (events_[i] == nullptr) {
            disconnect();
            return false;
        }
    }
    mapping_ = ::CreateFileMappingA(
        INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(kRequestBlockSize),
        ChannelObjectName(nameBase, ChannelObject::RequestBlock).c_str());
    if (mapping_ == nullptr) {
        disconnect();
        return false;
    }
    void* view = ::MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (view == nullptr) {
        disconnect();
        return false;
    }
    block_ = std::launder(static_cast<RequestBlock*>(view));

    // A server that runs for this folder holds the mutex: it is asked to
    // quit, so that the one started below is ours.
    HANDLE probe = ::CreateMutexA(nullptr, TRUE,
                                  ChannelObjectName(nameBase, ChannelObject::ServerMutex).c_str());
    const bool serverRuns = probe != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (probe != nullptr) {
        ::CloseHandle(probe);
    }
    if (serverRuns) {
        ::SetEvent(events_[kQuit]);
        ::Sleep(kQuitWaitMs);
    }
    for (int attempt = 0; attempt < kServerStartAttempts; ++attempt) {
        if (startServer(folder)) {
            return true;
        }
    }
    disconnect();
    return false;
}

bool Win32ClientChannel::startServer(const std::string& folder) {
    std::string path = folder + "\\" + kServerFileName + ".exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // No command line; the server needs nothing but its folder.
    if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return ::WaitForSingleObject(events_[kReady], kReadyWaitMs) == WAIT_OBJECT_0;
}

bool Win32ClientChannel::transact() {
    if (!connected_ || block_ == nullptr) {
        return false;
    }
    ::SetEvent(events_[kRequest]);
    return ::WaitForSingleObject(events_[kReply], INFINITE) == WAIT_OBJECT_0;
}

void Win32ClientChannel::disconnect() {
    if (!connected_) {
        return;
    }
    if (events_[kQuit] != nullptr) {
        ::SetEvent(events_[kQuit]);
        ::Sleep(kQuitWaitMs);
    }
    closeAll();
    connected_ = false;
}

void Win32ClientChannel::closeAll() {
    if (block_ != nullptr) {
        ::UnmapViewOfFile(block_);
        block_ = nullptr;
    }
    if (mapping_ != nullptr) {
        ::CloseHandle(mapping_);
        mapping_ = nullptr;
    }
    for (void*& event : events_) {
        if (event != nullptr) {
            ::CloseHandle(event);
            event = nullptr;
        }
    }
}

}  // namespace magtune::usbhid
