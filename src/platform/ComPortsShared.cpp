#include "platform/ComPorts.h"

// What the COM ports do alike on every system, over each system's mapping
// of COMn to a device and its way of opening one.
namespace magtune::platform {

std::string ComPortName(int index) {
    return "COM" + std::to_string(index + 1);
}

std::string ComPortDevice(int index, const std::string& portsFolder) {
    return ComPortMapping(index, portsFolder).device;
}

std::string ComPortDevice(int index) {
    return ComPortDevice(index, ComPortsFolder());
}

std::vector<ComPortInfo> ListComPorts() {
    return ListComPorts(ComPortsFolder());
}

std::unique_ptr<SerialPort> OpenComPort(int index, SystemError& error) {
    return OpenComPort(index, ComPortsFolder(), error);
}

}  // namespace magtune::platform
