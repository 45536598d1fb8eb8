#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "wedge/common/WedgeKeyCodes.h"

namespace magtune::wedge {

// The operating-system family decides which driver the library talks to:
// "zebdrv2k" on the NT family, "zebdrv.vxd" on the 9x family (which alone
// has the trace and test requests).
enum class OsFamily { Nt, Win9x };

// A key event that the keyboard port reported to the program's thread.
struct TypedKey {
    KeyStroke key;
    bool down = true;

    friend bool operator==(const TypedKey&, const TypedKey&) = default;
};

// An open keyboard port driver. Every request answers true on success and
// false with the system's error number.
class WedgeDriver {
  public:
    virtual ~WedgeDriver() = default;

    // Types the bytes into the keyboard port, pausing by `delay` (in the
    // driver's unit) between them.
    virtual bool send(std::uint32_t delay, std::span<const std::uint8_t> data, int& error) = 0;
    // The driver's version reply, three 32-bit words.
    virtual bool version(std::array<std::uint32_t, 3>& words, int& error) = 0;
    // The 9x driver's trace text.
    virtual bool trace(std::string& text, int& error) {
        text.clear();
        error = ENOTSUP;
        return false;
    }
    // The 9x driver's test request: the reply to a test text.
    virtual bool test(const std::string& text, std::string& reply, int& error) {
        (void)text;
        reply.clear();
        error = ENOTSUP;
        return false;
    }
    // Key events that reached the program's thread through this port since
    // the last call, for ports whose keys do not come through the desktop
    // (the simulated reader types into its own port).
    virtual void takeTypedKeys(std::vector<TypedKey>& keys) { keys.clear(); }
};

// Where the library finds its driver.
class WedgeDriverBackend {
  public:
    virtual ~WedgeDriverBackend() = default;

    // Whether the NT driver's service is registered with the system.
    virtual bool serviceInstalled() = 0;
    // The NT driver's file as the installer wants it; nullopt when this
    // backend's driver cannot be installed by the library.
    virtual std::optional<std::string> driverFile() = 0;
    // Opens the family's driver for reading and writing, not shared.
    virtual std::unique_ptr<WedgeDriver> open(OsFamily family, int& error) = 0;
};

}  // namespace magtune::wedge
