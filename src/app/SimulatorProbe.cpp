#include "app/SimulatorProbe.h"

#include "platform/SystemError.h"
#include "platform/UnixSocket.h"
#include "settings/InterfaceCode.h"

namespace magtune::app {

bool SocketHasListener(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    platform::SystemError error;
    // The simulator takes a connection that closes at once for a peer that
    // went away.
    return platform::UnixSocket::connectTo(path, error).has_value();
}

SimulatedReader FindRunningSimulator(const RuntimeConfig& config) {
    if (SocketHasListener(config.usbSimulatorBus)) {
        return {settings::InterfaceCode::Usb, config.usbSimulatorBus};
    }
    if (SocketHasListener(config.wedgeSimulatorSocket)) {
        return {settings::InterfaceCode::KeyboardWedge, config.wedgeSimulatorSocket};
    }
    return {};
}

}  // namespace magtune::app
