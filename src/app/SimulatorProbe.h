#pragma once

#include <cstdint>
#include <string>

#include "app/RuntimeConfig.h"

namespace magtune::app {

// A simulated reader (magtune-reader-sim) that is running: the interface it
// plays and the socket it answers at.
struct SimulatedReader {
    // InterfaceCode::Usb or InterfaceCode::KeyboardWedge; 0 when none runs.
    std::int32_t interface = 0;
    std::string socket;

    bool found() const { return interface != 0; }
    bool operator==(const SimulatedReader&) const = default;
};

// True when a program listens at the local socket `path`: a socket file
// left behind by a simulator that ended refuses the connection.
bool SocketHasListener(const std::string& path);

// The simulated reader of the sockets that `config` names, the USB bus
// first (as magtune-cli --sim takes it). Only a socket the configuration
// names is asked: the libraries talk to the simulator only through the
// sockets named in their variables.
SimulatedReader FindRunningSimulator(const RuntimeConfig& config);

}  // namespace magtune::app
