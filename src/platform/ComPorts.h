#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/SerialPort.h"
#include "platform/SystemError.h"

namespace magtune::platform {

// How the ports "COM1" ... "COM32" find their devices on this system.
//
// Port index i (0-31) is named "COM" + (i + 1). Its device is found by one
// rule, the same on every start:
//
// 1. The ports folder: $MAGTUNE_PORTS_DIR when set, else
//    $XDG_CONFIG_HOME/magtune/ports, else ~/.config/magtune/ports.
//    An entry named exactly like the port ("COM3") in that folder, usually a
//    symbolic link such as COM3 -> /dev/serial/by-id/usb-Tarvik_...-port0,
//    is that port's device. The link wins over the fixed slots below, also
//    when it points nowhere (then the port is not available).
// 2. Without an entry, the port has a fixed slot:
//    COM1-COM8   /dev/ttyS0   ... /dev/ttyS7
//    COM9-COM20  /dev/ttyUSB0 ... /dev/ttyUSB11
//    COM21-COM32 /dev/ttyACM0 ... /dev/ttyACM11
//
// The slots never depend on what is plugged in, so a remembered "COM9" is
// always the same device path; the links make a USB adapter keep its name
// whatever number the kernel gives it.
inline constexpr int kComPortCount = 32;

struct ComPortInfo {
    int index = 0;
    std::string name;     // "COM1"
    std::string device;   // the path the port opens
    bool linked = false;  // found in the ports folder (rule 1)
};

// "COM" + (index + 1).
std::string ComPortName(int index);

// The ports folder of rule 1 (it need not exist).
std::string ComPortsFolder();

// The device path of the port: a link's target (relative targets taken
// from the ports folder), else the fixed slot. Empty for an index outside
// 0-31.
std::string ComPortDevice(int index);
std::string ComPortDevice(int index, const std::string& portsFolder);
ComPortInfo ComPortMapping(int index, const std::string& portsFolder);

// The ports whose device exists now, in index order.
std::vector<ComPortInfo> ListComPorts();
std::vector<ComPortInfo> ListComPorts(const std::string& portsFolder);

// Opens the port for exclusive use, in raw mode, as the system leaves its
// settings otherwise. Failures are reported under "CreateFile".
std::unique_ptr<SerialPort> OpenComPort(int index, SystemError& error);
std::unique_ptr<SerialPort> OpenComPort(int index, const std::string& portsFolder,
                                        SystemError& error);
std::unique_ptr<SerialPort> OpenSerialDevice(const std::string& path, SystemError& error);

}  // namespace magtune::platform
