#include "app/ProvisionTargets.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "comm/ComPortList.h"
#include "platform/ComPorts.h"
#include "platform/SystemError.h"

namespace magtune::app {

ProvisionTarget ComTarget(int index) {
    ProvisionTarget target;
    target.port = platform::ComPortName(index);
    target.comIndex = index;
    return target;
}

ProvisionTarget DeviceTarget(const std::string& device) {
    ProvisionTarget target;
    target.port = device;
    target.device = device;
    return target;
}

ProvisionTarget UsbTarget(std::size_t number) {
    ProvisionTarget target;
    target.port = "USB " + std::to_string(number);
    target.usbNumber = number;
    return target;
}

std::string TargetDevice(const ProvisionTarget& target, const std::string& portsFolder) {
    return target.comIndex ? platform::ComPortDevice(*target.comIndex, portsFolder) : target.device;
}

bool TargetOpens(const ProvisionTarget& target, const std::string& portsFolder) {
    platform::SystemError error;
    auto port = target.comIndex ? platform::OpenComPort(*target.comIndex, portsFolder, error)
                                : platform::OpenSerialDevice(target.device, error);
    return port != nullptr;
}

ProvisionTargetList ProvisionChoiceTargets(const ProvisionChoice& choice) {
    ProvisionTargetList list;
    auto fail = [&list](ProvisionChoiceField field, std::string error) {
        list = {};
        list.error = std::move(error);
        list.field = field;
        return list;
    };
    list.usb = choice.usb;
    if (choice.allPorts) {
        list.onlyPortsThatOpen = true;
        for (int index = 0; index < platform::kComPortCount; ++index) {
            list.serial.push_back(ComTarget(index));
        }
    } else if (choice.comPorts) {
        // "1-8, 12" as well as "1-8,12".
        std::string text = choice.comList;
        std::erase_if(text, [](unsigned char c) { return std::isspace(c) != 0; });
        const comm::ComPortList ports = comm::ParseComPortList(text);
        if (!ports.error.empty()) {
            return fail(ProvisionChoiceField::ComList, "COM ports: " + ports.error + ".");
        }
        for (int index : ports.indices) {
            list.serial.push_back(ComTarget(index));
        }
    }
    std::istringstream devices(choice.devices);
    std::vector<std::string> seen;
    for (std::string device; devices >> device;) {
        if (std::find(seen.begin(), seen.end(), device) != seen.end()) {
            return fail(ProvisionChoiceField::Devices,
                        "Device paths: " + device + " is given twice.");
        }
        seen.push_back(device);
        list.serial.push_back(DeviceTarget(device));
    }
    if (list.serial.empty() && !choice.usb) {
        return fail(ProvisionChoiceField::Readers,
                    "Choose the readers: COM ports, device paths or USB readers.");
    }
    return list;
}

}  // namespace magtune::app
