#include "wedge/win32/Win32WedgeBackend.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace magtune::wedge {
namespace {

constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\zebdrv2k";
constexpr const char* kNtDevice = "\\\\.\\zebdrv2k";
constexpr const char* kVxdDevice = "\\\\.\\zebdrv.vxd";

// The drivers' requests.
constexpr DWORD kNtSend = 0x80FF3E8F;
constexpr DWORD kNtVersion = 0x80FF3E87;
constexpr DWORD kVxdSend = 6;
constexpr DWORD kVxdVersion = 2;
constexpr DWORD kVxdTrace = 3;
constexpr DWORD kVxdTest = 4;
constexpr std::size_t kTraceSize = 10240;

int LastError() {
    return static_cast<int>(::GetLastError());
}

class Win32WedgeDriver : public WedgeDriver {
  public:
    Win32WedgeDriver(HANDLE handle, OsFamily family) : handle_(handle), family_(family) {}
    ~Win32WedgeDriver() override { ::CloseHandle(handle_); }

    // The 12-byte block: the send delay, the address of the caller's bytes
    // and their number; the driver reads the bytes from the caller's memory.
    bool send(std::uint32_t delay, std::span<const std::uint8_t> data, int& error) override {
        std::uint32_t block[3] = {
            delay, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data.data())),
            static_cast<std::uint32_t>(data.size())};
        std::uint32_t reply[3] = {};
        DWORD returned = 0;
        const bool nt = family_ == OsFamily::Nt;
        if (!::DeviceIoControl(handle_, nt ? kNtSend : kVxdSend, block, sizeof block,
                               nt ? reply : nullptr, nt ? sizeof reply : 0, &returned, nullptr)) {
            error = LastError();
            return false;
        }
        return true;
    }

    bool version(std::array<std::uint32_t, 3>& words, int& error) override {
        std::uint32_t reply[3] = {};
        DWORD returned = 0;
        if (!::DeviceIoControl(handle_, family_ == OsFamily::Nt ? kNtVersion : kVxdVersion, nullptr,
                               0, reply, sizeof reply, &returned, nullptr)) {
            error = LastError();
            return false;
        }
        words = {reply[0], reply[1], reply[2]};
        return true;
    }

    bool trace(std::string& text, int& error) override {
        text.clear();
        if (family_ != OsFamily::Win9x) {
            return WedgeDriver::trace(text, error);
        }
        std::string buffer(kTraceSize, '\0');
        DWORD returned = 0;
        if (!::DeviceIoControl(handle_, kVxdTrace, nullptr, 0, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
            error = LastError();
            return false;
        }
        text.assign(buffer.c_str(), ::strnlen(buffer.c_str(), buffer.size()));
        return true;
    }

    // The reply text stands at byte 100 of a 256-byte buffer.
    bool test(const std::string& text, std::string& reply, int& error) override {
        reply.clear();
        if (family_ != OsFamily::Win9x) {
            return WedgeDriver::test(text, reply, error);
        }
        std::string input = text.substr(0, 255);
        char buffer[256] = {};
        DWORD returned = 0;
        if (!::DeviceIoControl(handle_, kVxdTest, input.data(),
                               static_cast<DWORD>(input.size() + 1), buffer, sizeof buffer,
                               &returned, nullptr)) {
            error = LastError();
            return false;
        }
        reply.assign(buffer + 100, ::strnlen(buffer + 100, 156));
        return true;
    }

  private:
    HANDLE handle_;
    OsFamily family_;
};

std::atomic<HHOOK> hook{nullptr};
std::atomic<Win32KeyboardHook::Procedure> hookProcedure{nullptr};

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto procedure = hookProcedure.load();
    if (code == HC_ACTION && procedure != nullptr) {
        const auto flags = static_cast<std::uint32_t>(lParam);
        const bool down = (flags & 0x80000000u) == 0;
        if (procedure(static_cast<std::uint8_t>(wParam), static_cast<std::uint8_t>(flags >> 16),
                      down)) {
            return 1;  // swallowed: no window sees the key
        }
    }
    return ::CallNextHookEx(hook.load(), code, wParam, lParam);
}

}  // namespace

bool Win32WedgeBackend::serviceInstalled() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

std::optional<std::string> Win32WedgeBackend::driverFile() {
    char folder[MAX_PATH] = {};
    const UINT n = ::GetWindowsDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) {
        return std::nullopt;
    }
    return std::string(folder, n) + "\\system32\\drivers\\zebdrv2k.sys";
}

std::unique_ptr<WedgeDriver> Win32WedgeBackend::open(OsFamily family, int& error) {
    HANDLE handle =
        ::CreateFileA(family == OsFamily::Nt ? kNtDevice : kVxdDevice, GENERIC_READ | GENERIC_WRITE,
                      0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = LastError();
        return nullptr;
    }
    return std::make_unique<Win32WedgeDriver>(handle, family);
}

OsFamily ThisSystemsFamily() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    return known && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? OsFamily::Win9x
                                                                    : OsFamily::Nt;
}

Win32KeyboardHook::Win32KeyboardHook(Procedure procedure) {
    hookProcedure = procedure;
}

bool Win32KeyboardHook::install() {
    HHOOK installed =
        ::SetWindowsHookExA(WH_KEYBOARD, KeyboardProc, nullptr, ::GetCurrentThreadId());
    if (installed == nullptr) {
        return false;
    }
    hook = installed;
    return true;
}

void Win32KeyboardHook::remove() {
    if (HHOOK installed = hook.exchange(nullptr)) {
        ::UnhookWindowsHookEx(installed);
    }
}

}  // namespace magtune::wedge
