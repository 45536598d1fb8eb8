#include "app/SerialProvisionReader.h"

#include "platform/ComPorts.h"

namespace magtune::app {

comm::CommOptions SerialProvisionReader::WithoutLog(comm::CommOptions options) {
    options.UsbLogEnable = false;
    return options;
}

SerialProvisionReader::SerialProvisionReader(const ProvisionTarget& target,
                                             const comm::CommOptions& options,
                                             std::string portsFolder, platform::FileSystem& files,
                                             platform::Clock& clock, common::Prompter& prompter,
                                             comm::TransferView& view)
    : endpoint_{target.comIndex, target.device},
      portsFolder_(std::move(portsFolder)),
      device_(target.comIndex ? platform::ComPortDevice(*target.comIndex, portsFolder_)
                              : target.device),
      watch_(view),
      transport_(prompter, watch_, WithoutLog(options), files, "", clock) {
    // A connect scan over every rate takes seconds: a stop does not wait
    // for it.
    transport_.connectCancelRequested = [this] { return stopRequested && stopRequested(); };
}

bool SerialProvisionReader::prepare() {
    if (!opened_) {
        opened_ = true;
        if (!transport_.open(endpoint_, portsFolder_)) {
            return false;
        }
        device_ = transport_.session().SerialPort->devicePath();
        return true;
    }
    return transport_.prepare();
}

void SerialProvisionReader::noteRate() {
    if (watch_.connected) {
        baudRate_ = transport_.session().PortSettings.BaudRate;
    }
}

bool SerialProvisionReader::download(const settings::ConfigurationImage& image) {
    const bool done = transport_.download(image);
    noteRate();
    return done;
}

bool SerialProvisionReader::upload(settings::ConfigurationImage& image) {
    const bool done = transport_.upload(image);
    noteRate();
    return done;
}

std::string SerialProvisionReader::devicePath() const {
    return device_;
}

}  // namespace magtune::app
