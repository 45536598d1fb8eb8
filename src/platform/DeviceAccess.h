#pragma once

#include <string>

namespace magtune::platform {

// How a serial port's device looks to this user, without opening it
// (opening a serial port can reset what hangs on it).
inline constexpr const char* kDeviceReady = "ready";
inline constexpr const char* kDeviceMissing = "missing";
inline constexpr const char* kDeviceRefused = "no access";
inline constexpr const char* kDeviceNotTerminal = "not a terminal device";

struct DeviceAccess {
    std::string state;   // one of the texts above
    std::string advice;  // what to do about kDeviceRefused
};

DeviceAccess SerialDeviceAccess(const std::string& device);

// Where a serial port leads, as the user is told it.
struct SerialPlace {
    std::string name;         // "COM2"; the device path itself when the user named a device
    std::string device;       // the path it opens (empty: no such port)
    std::string portsFolder;  // where a link COMn may name the device (empty for a path)
    bool linked = false;      // a link there names it
};

SerialPlace ComPortPlace(int index, const std::string& portsFolder);
SerialPlace DevicePlace(const std::string& device);

// Who may open a device, as the system tells it (POSIX).
struct DeviceOwnership {
    std::string group;            // the device's group
    unsigned mode = 0;            // its permission bits
    std::string user;             // this user's login name
    bool userInGroup = false;     // the group counts the user (maybe since a later login)
    bool sessionInGroup = false;  // this program runs with the group's rights
};

DeviceOwnership SerialDeviceOwnership(const std::string& device);

// Why the port could not be opened, for a technician: "COM2 is not
// available." first, then the device it leads to, the system's text for
// `code` (errno; GetLastError on Windows) and what to do about it. The desktop
// program and the command line show the same text.
std::string PortNotAvailableText(const SerialPlace& place, int code, const DeviceOwnership& owner);
// The same, asking the system who may open the device.
std::string PortNotAvailableText(const SerialPlace& place, int code);
// "COM3 is not available." alone, when nothing more is known.
std::string PortNotAvailableText(const std::string& portName);

// Why a file could not be written at `path` now, as the system's error
// number; 0 when it can. A symbolic link counts as writable: what is
// written goes to the file it names.
int FileWriteProblem(const std::string& path);

}  // namespace magtune::platform
