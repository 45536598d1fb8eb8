#include "app/RuntimeConfig.h"

#include <cstdlib>

#include "platform/ComPorts.h"
#include "platform/Environment.h"
#include "platform/FilePreferencesStore.h"

namespace magtune::app {

namespace {

constexpr const char* kUsbSimulatorVariable = "MAGTUNE_USB_SIM";
constexpr const char* kWedgeSimulatorVariable = "ZEBAPI_SIM_SOCKET";
constexpr const char* kWedgeDeviceVariable = "ZEBAPI_DEVICE";

void Pass(const char* name, const std::string& value) {
    if (!value.empty()) {
        platform::SetProcessVariable(name, value);
    }
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
    return [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
}

RuntimeConfig ReadRuntimeConfig(const EnvironmentLookup& lookup) {
    RuntimeConfig config;
    // The platform layer knows these two defaults and their variables (the
    // keyboard wedge library finds the preferences file the same way).
    config.portsFolder = platform::ComPortsFolder();
    config.preferencesFile = platform::FilePreferencesStore::DefaultPath();
    config.usbSimulatorBus = lookup(kUsbSimulatorVariable);
    config.wedgeSimulatorSocket = lookup(kWedgeSimulatorVariable);
    config.wedgeDevice = lookup(kWedgeDeviceVariable);
    return config;
}

void PassToLibraries(const RuntimeConfig& config) {
    Pass(kUsbSimulatorVariable, config.usbSimulatorBus);
    Pass(kWedgeSimulatorVariable, config.wedgeSimulatorSocket);
    Pass(kWedgeDeviceVariable, config.wedgeDevice);
}

}  // namespace magtune::app
