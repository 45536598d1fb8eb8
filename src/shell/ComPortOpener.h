#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/ComPorts.h"
#include "platform/DeviceAccess.h"
#include "platform/SerialPort.h"

namespace magtune::shell {

// A COM port opened for the selection dialogs, or why it did not open.
struct ComPortOpening {
    std::unique_ptr<platform::SerialPort> port;
    std::string refusal;  // "COMn is not available." with its reason, when no port
};

// Opens COM port `index` (0 is COM1) for exclusive reading and writing;
// nothing when the port is missing or held by another program. The refusal
// is not shown: the callers show it when the user needs the port.
using ComPortOpener = std::function<ComPortOpening(int index)>;

// The ports of this machine, mapped as ComPorts.h describes through the
// links in `portsFolder`.
inline ComPortOpener SystemComPortOpener(std::string portsFolder) {
    return [folder = std::move(portsFolder)](int index) {
        ComPortOpening opening;
        platform::SystemError error;
        opening.port = platform::OpenComPort(index, folder, error);
        if (!opening.port) {
            opening.refusal =
                platform::PortNotAvailableText(platform::ComPortPlace(index, folder), error.code);
        }
        return opening;
    };
}

// Opens port `index` with `open` into `port`; what to tell the user when it
// did not open ("" when it did).
inline std::string OpenComPortInto(const ComPortOpener& open, int index,
                                   std::unique_ptr<platform::SerialPort>& port) {
    ComPortOpening opening = open ? open(index) : ComPortOpening{};
    port = std::move(opening.port);
    if (port) {
        return {};
    }
    return opening.refusal.empty() ? platform::PortNotAvailableText(platform::ComPortName(index))
                                   : opening.refusal;
}

}  // namespace magtune::shell
