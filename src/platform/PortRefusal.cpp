#include "platform/PortRefusal.h"

#include <cstdio>

#include "platform/ComPorts.h"

namespace magtune::platform {

namespace {

// "COM3 is /dev/ttyUSB0 (the link COM3 in FOLDER). "; nothing when the user
// named the device.
std::string PlaceText(const SerialPlace& place) {
    if (place.name == place.device) {
        return {};
    }
    std::string text = place.name + " is " + place.device;
    if (!place.portsFolder.empty()) {
        text += place.linked ? " (the link " + place.name + " in " + place.portsFolder + ")"
                             : " (its fixed place)";
    }
    return text + ". ";
}

// How the user points the port at another device.
std::string RepointText(const SerialPlace& place) {
    if (place.name == place.device) {
        return "name the reader's serial device instead";
    }
    if (place.portsFolder.empty()) {
        return "choose the port it has";
    }
    return (place.linked ? "point the link " + place.name + " in " + place.portsFolder + " at"
                         : "make a link " + place.name + " in " + place.portsFolder + " to") +
           std::string(" the reader's serial device");
}

std::string ModeText(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777U);
    return text;
}

}  // namespace

SerialPlace ComPortPlace(int index, const std::string& portsFolder) {
    const ComPortInfo port = ComPortMapping(index, portsFolder);
    return {ComPortName(index), port.device, portsFolder, port.linked};
}

std::string PortNotAvailableText(const std::string& portName) {
    return portName + " is not available.";
}

SerialPlace DevicePlace(const std::string& device) {
    return {device, device, {}, false};
}

PortRefusal AccessRefusal(const DeviceOwnership& owner) {
    constexpr unsigned kGroupReadWrite = 060;
    if (owner.group.empty() || (owner.mode & kGroupReadWrite) != kGroupReadWrite) {
        return PortRefusal::AskAdministrator;
    }
    if (!owner.userInGroup) {
        return PortRefusal::JoinGroup;
    }
    return owner.sessionInGroup ? PortRefusal::AskAdministrator : PortRefusal::LogInAgain;
}

std::string AccessAdvice(PortRefusal refusal, const std::string& device,
                         const DeviceOwnership& owner) {
    const std::string user = owner.user.empty() ? "$USER" : owner.user;
    switch (refusal) {
        case PortRefusal::JoinGroup:
            return "Members of the group " + owner.group + " may open " + device + ", and " + user +
                   " is not one. Join the group with\n    sudo usermod -aG " + owner.group + " " +
                   user + "\nthen log out and in again.";
        case PortRefusal::LogInAgain:
            return user + " is in the group " + owner.group + " that may open " + device +
                   ", but this session began before joining it: log out and in again.";
        default:
            return device + " belongs to the group " +
                   (owner.group.empty() ? std::string("?") : owner.group) + " with mode " +
                   ModeText(owner.mode) + ": ask the administrator for access to it.";
    }
}

std::string PortRefusalText(const SerialPlace& place, const std::string& reason,
                            PortRefusal refusal, const DeviceOwnership& owner) {
    std::string text = PortNotAvailableText(place.name);
    if (place.device.empty()) {
        return text;
    }
    // Windows ends its texts with a full stop, POSIX does not.
    const bool stopped = !reason.empty() && reason.back() == '.';
    text += "\n\n" + PlaceText(place) + "Opening it failed" + (reason.empty() ? "" : ": ") +
            reason + (stopped ? "" : ".");
    switch (refusal) {
        case PortRefusal::Other:
            return text;
        case PortRefusal::Missing:
            return text + "\nThe device is not there: plug in the reader's serial adapter, or " +
                   RepointText(place) + ".";
        case PortRefusal::Busy:
            return text +
                   "\nAnother program has it open (a terminal program, another Magtune or "
                   "magtune-cli): close it and try again.";
        case PortRefusal::NotSerial:
            return text + "\nIt is not a serial port: " + RepointText(place) + ".";
        default:
            return text + "\n" + AccessAdvice(refusal, place.device, owner);
    }
}

}  // namespace magtune::platform
