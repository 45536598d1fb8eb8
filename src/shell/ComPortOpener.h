#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/ComPorts.h"
#include "platform/SerialPort.h"

namespace magtune {

// Opens COM port `index` (0 is COM1) for exclusive reading and writing;
// nothing when the port is missing or held by another program. The reason
// is not shown: the callers say "COMn is not available." themselves.
using ComPortOpener = std::function<std::unique_ptr<SerialPort>(int index)>;

// The ports of this machine, mapped as ComPorts.h describes through the
// links in `portsFolder`.
inline ComPortOpener SystemComPortOpener(std::string portsFolder) {
    return [folder = std::move(portsFolder)](int index) {
        SystemError error;
        return OpenComPort(index, folder, error);
    };
}

}  // namespace magtune
