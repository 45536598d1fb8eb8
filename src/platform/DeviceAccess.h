#pragma once

#include <string>

namespace magtune {

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

// Why a file could not be written at `path` now, as the system's error
// number; 0 when it can. A symbolic link counts as writable: what is
// written goes to the file it names.
int FileWriteProblem(const std::string& path);

}  // namespace magtune
