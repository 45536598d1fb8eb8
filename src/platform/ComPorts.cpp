#include "platform/ComPorts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/Paths.h"

namespace magtune::platform {
namespace {

bool ValidIndex(int index) {
    return index >= 0 && index < kComPortCount;
}

std::string SlotDevice(int index) {
    if (index < 8) {
        return "/dev/ttyS" + std::to_string(index);
    }
    if (index < 20) {
        return "/dev/ttyUSB" + std::to_string(index - 8);
    }
    return "/dev/ttyACM" + std::to_string(index - 20);
}

// The target of a link, or the entry itself when it is no link; nullopt
// when the folder has no entry of that name.
std::optional<std::string> FolderEntry(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return std::nullopt;
    }
    std::string entry = folder + "/" + name;
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0) {
        return std::nullopt;
    }
    if (!S_ISLNK(st.st_mode)) {
        return entry;
    }
    std::string target(4096, '\0');
    ssize_t n = ::readlink(entry.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
        return entry;
    }
    target.resize(static_cast<std::size_t>(n));
    if (target.front() != '/') {
        target = folder + "/" + target;
    }
    return target;
}

}  // namespace

std::string ComPortsFolder() {
    const char* own = std::getenv("MAGTUNE_PORTS_DIR");
    if (own != nullptr && own[0] != '\0') {
        return own;
    }
    return UserFilePath(UserConfigFolder(), "ports");
}

ComPortInfo ComPortMapping(int index, const std::string& portsFolder) {
    ComPortInfo info;
    info.index = index;
    if (!ValidIndex(index)) {
        return info;
    }
    info.name = ComPortName(index);
    if (auto linked = FolderEntry(portsFolder, info.name)) {
        info.device = *linked;
        info.linked = true;
    } else {
        info.device = SlotDevice(index);
    }
    return info;
}

std::vector<ComPortInfo> ListComPorts(const std::string& portsFolder) {
    std::vector<ComPortInfo> ports;
    for (int index = 0; index < kComPortCount; ++index) {
        ComPortInfo info = ComPortMapping(index, portsFolder);
        struct stat st {};
        if (::stat(info.device.c_str(), &st) == 0) {
            ports.push_back(std::move(info));
        }
    }
    return ports;
}

std::unique_ptr<SerialPort> OpenComPort(int index, const std::string& portsFolder,
                                        SystemError& error) {
    std::string device = ComPortDevice(index, portsFolder);
    if (device.empty()) {
        error = {"CreateFile", ENOENT};
        return nullptr;
    }
    return OpenSerialDevice(device, error);
}

}  // namespace magtune::platform
