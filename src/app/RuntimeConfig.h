#pragma once

#include <functional>
#include <string>

namespace magtune::app {

// Where this run of a program finds its outside world. Read once in main()
// and handed down; nothing deeper reads the environment. The two libraries
// and the USB server are processes or deliverables of their own and read
// their variables themselves; a host that sets a value here for them (a
// command-line option) passes it on in their variables.
struct RuntimeConfig {
    // The folder whose links name the devices of COM1-COM32
    // (MAGTUNE_PORTS_DIR, else the ports folder of the configuration folder).
    std::string portsFolder;
    // The preferences file (MAGTUNE_REGISTRY_FILE, else the default path).
    std::string preferencesFile;
    // The simulated reader: the socket of its USB bus (MAGTUNE_USB_SIM) and
    // of its keyboard port (ZEBAPI_SIM_SOCKET); empty when none is named.
    std::string usbSimulatorBus;
    std::string wedgeSimulatorSocket;
    // The device the keyboard wedge library writes to (ZEBAPI_DEVICE);
    // empty for its default. (The USB server finds the reader's hidraw node
    // itself.)
    std::string wedgeDevice;

    // A simulated reader is named: the interface dialogs offer it.
    bool simulatorNamed() const {
        return !usbSimulatorBus.empty() || !wedgeSimulatorSocket.empty();
    }
};

// Looks a variable up; empty when unset.
using EnvironmentLookup = std::function<std::string(const char* name)>;

// The process environment.
EnvironmentLookup ProcessEnvironment();

RuntimeConfig ReadRuntimeConfig(const EnvironmentLookup& lookup = ProcessEnvironment());

// Hands the values meant for the libraries and the server on in their
// variables (set for this process and what it starts).
void PassToLibraries(const RuntimeConfig& config);

}  // namespace magtune::app
