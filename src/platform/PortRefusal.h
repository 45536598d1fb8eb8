#pragma once

#include <string>

#include "platform/DeviceAccess.h"

namespace magtune::platform {

// What stands between the user and a serial device, whatever system's error
// number told it.
enum class PortRefusal {
    Other,             // only the system's text helps
    Missing,           // no device there
    Busy,              // another program holds it
    NotSerial,         // the path names something other than a serial port
    JoinGroup,         // the device's group may open it; the user is not in it
    LogInAgain,        // the user joined the group after this session began
    AskAdministrator,  // neither the user nor a group of the user may open it
};

// The access refusals of a device from its owner and mode.
PortRefusal AccessRefusal(const DeviceOwnership& owner);

// What to do about an access refusal, in whole sentences.
std::string AccessAdvice(PortRefusal refusal, const std::string& device,
                         const DeviceOwnership& owner);

// "COMn is not available." with the place, the system's text and the advice.
std::string PortRefusalText(const SerialPlace& place, const std::string& reason,
                            PortRefusal refusal, const DeviceOwnership& owner);

}  // namespace magtune::platform
