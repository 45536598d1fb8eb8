#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/ProvisionReader.h"

namespace magtune::app {

ProvisionTarget ComTarget(int index);
ProvisionTarget DeviceTarget(const std::string& device);
// USB reader `number` (1-based) of the control library's list.
ProvisionTarget UsbTarget(std::size_t number);

// Where a serial target leads now (empty for a COM port without a device).
std::string TargetDevice(const ProvisionTarget& target, const std::string& portsFolder);
// Whether a port opens there now; it is opened and closed again at once.
bool TargetOpens(const ProvisionTarget& target, const std::string& portsFolder);

// The readers a user picked for a run, as typed into the provisioning window.
struct ProvisionChoice {
    bool comPorts = false;  // the ports of `comList`
    std::string comList;    // "1-8,12"
    bool allPorts = false;  // every COM port that opens
    std::string devices;    // device paths, separated by spaces
    bool usb = false;       // every USB reader of the list
};

// Which field of the choice is wrong, for the focus.
enum class ProvisionChoiceField { None, ComList, Devices, Readers };

struct ProvisionTargetList {
    std::vector<ProvisionTarget> serial;  // COM ports, then device paths
    bool onlyPortsThatOpen = false;       // all ports: the COM ports that do not open are left out
    bool usb = false;                     // then every USB reader of the list
    std::string error;                    // empty when the choice is fine
    ProvisionChoiceField field = ProvisionChoiceField::None;
};

// The serial targets of a choice, before any port is tried: with all ports,
// COM1 to COM32. USB readers are counted when the run starts.
ProvisionTargetList ProvisionChoiceTargets(const ProvisionChoice& choice);

}  // namespace magtune::app
