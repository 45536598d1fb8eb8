#include <windows.h>

#include "platform/DeviceAccess.h"
#include "platform/Paths.h"
#include "platform/PortRefusal.h"
#include "platform/SystemError.h"

namespace magtune::platform {

// A port is there when the system knows its name ("\\.\COM3" or "COM3");
// whether this user may open it only the opening tells.
DeviceAccess SerialDeviceAccess(const std::string& device) {
    std::string name = device;
    if (name.starts_with("\\\\.\\")) {
        name = name.substr(4);
    }
    char target[1024];
    if (name.empty() || ::QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) {
        return {kDeviceMissing, {}};
    }
    return {kDeviceReady, {}};
}

// Who may open a port is not a matter of groups here.
DeviceOwnership SerialDeviceOwnership(const std::string& /*device*/) {
    return {};
}

std::string PortNotAvailableText(const SerialPlace& place, int code, const DeviceOwnership& owner) {
    PortRefusal refusal = PortRefusal::Other;
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            refusal = PortRefusal::Missing;
            break;
        // The system opens a port for one program at a time and refuses
        // every other.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            refusal = PortRefusal::Busy;
            break;
        default:
            break;
    }
    // The system names its ports itself: there is no folder of links to point.
    SerialPlace shown = place;
    shown.portsFolder.clear();
    shown.linked = false;
    return PortRefusalText(shown, SystemMessageText(code), refusal, owner);
}

std::string PortNotAvailableText(const SerialPlace& place, int code) {
    return PortNotAvailableText(place, code, {});
}

int FileWriteProblem(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const bool refused =
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
        return refused ? ERROR_ACCESS_DENIED : 0;
    }
    const DWORD missing = ::GetLastError();
    if (missing != ERROR_FILE_NOT_FOUND) {
        return static_cast<int>(missing);
    }
    const DWORD folder = ::GetFileAttributesA(ParentFolder(path).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES) {
        return static_cast<int>(::GetLastError());
    }
    return (folder & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
}

}  // namespace magtune::platform
