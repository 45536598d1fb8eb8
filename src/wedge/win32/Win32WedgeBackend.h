#pragma once

#include <memory>
#include <optional>
#include <string>

#include "wedge/KeyboardHook.h"
#include "wedge/WedgeDriver.h"

namespace magtune::wedge {

// The keyboard port drivers of Windows: "\\.\zebdrv2k" (NT family, its
// service key under the local machine) or "\\.\zebdrv.vxd" (9x family),
// asked with DeviceIoControl.
class Win32WedgeBackend : public WedgeDriverBackend {
  public:
    bool serviceInstalled() override;
    // The Windows folder + "\system32\drivers\zebdrv2k.sys".
    std::optional<std::string> driverFile() override;
    std::unique_ptr<WedgeDriver> open(OsFamily family, int& error) override;
};

// The family of the running system: 9x when it reports the Windows 9x
// platform.
OsFamily ThisSystemsFamily();

// SetWindowsHookEx(WH_KEYBOARD) for the calling thread; every key event of
// that thread goes to `procedure` (virtual key, scan code, down), which
// answers true to swallow it.
class Win32KeyboardHook : public KeyboardHook {
  public:
    using Procedure = bool (*)(std::uint8_t virtualKey, std::uint8_t scanCode, bool down);
    explicit Win32KeyboardHook(Procedure procedure);

    bool install() override;
    void remove() override;
};

}  // namespace magtune::wedge
