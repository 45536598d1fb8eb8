#include "usbhid/common/win32/HostFolder.h"

#include <windows.h>

#include <vector>

namespace magtune::usbhid {

std::string HostFolder() {
    std::vector<char> path(961);
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) {
        return {};
    }
    std::string folder(path.data(), n);
    const auto cut = folder.find_last_of('\\');
    return cut == std::string::npos ? std::string() : folder.substr(0, cut);
}

std::string ChannelObjectName(const std::string& nameBase, ChannelObject object) {
    return nameBase + ChannelGuid(object);
}

}  // namespace magtune::usbhid
