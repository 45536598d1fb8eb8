#include "app/SerialReaderTransport.h"

#include "comm/SerialTransfer.h"
#include "platform/ComPorts.h"
#include "platform/DeviceAccess.h"

namespace magtune::app {

std::string SerialEndpoint::displayName() const {
    return comIndex ? platform::ComPortName(*comIndex) : device;
}

SerialReaderTransport::SerialReaderTransport(common::Prompter& prompter, comm::TransferView& view,
                                             const comm::CommOptions& options,
                                             platform::FileSystem& files,
                                             const std::string& logPath, platform::Clock& clock)
    : prompter_(prompter),
      view_(view),
      options_(options),
      clock_(clock),
      log_(files, logPath),
      link_(session_, options_, log_, prompter) {}

bool SerialReaderTransport::open(const SerialEndpoint& endpoint, const std::string& portsFolder) {
    endpoint_ = endpoint;
    portsFolder_ = portsFolder;
    opened_ = true;
    session_.closePort();
    platform::SystemError error;
    if (endpoint.comIndex) {
        session_.CurrentComIndex = static_cast<std::uint16_t>(*endpoint.comIndex);
        session_.SerialPort = platform::OpenComPort(*endpoint.comIndex, portsFolder, error);
    } else {
        session_.SerialPort = platform::OpenSerialDevice(endpoint.device, error);
    }
    if (!session_.SerialPort) {
        prompter_.warning(platform::PortNotAvailableText(
            endpoint.comIndex ? platform::ComPortPlace(*endpoint.comIndex, portsFolder)
                              : platform::DevicePlace(endpoint.device),
            error.code));
        return false;
    }
    if (!link_.OpenSerialPort()) {
        session_.closePort();
        return false;
    }
    return true;
}

bool SerialReaderTransport::prepare() {
    if (session_.isPortOpen()) {
        return true;
    }
    return opened_ && open(endpoint_, portsFolder_);
}

bool SerialReaderTransport::run(comm::SerialTransfer& transfer) {
    auto cancelled = [&] {
        return (cancelRequested && cancelRequested()) ||
               (transfer.phase() == comm::TransferPhase::Connect && connectCancelRequested &&
                connectCancelRequested());
    };
    const bool done = comm::RunSerialTransfer(transfer, clock_, cancelled);
    cancelled_ = transfer.cancelled();
    return done;
}

bool SerialReaderTransport::download(const settings::ConfigurationImage& image) {
    settings::ConfigurationImage sent = image;
    comm::SerialTransfer transfer(comm::SerialTransfer::Direction::Download, link_, clock_, view_,
                                  sent);
    return run(transfer);
}

bool SerialReaderTransport::upload(settings::ConfigurationImage& image) {
    if (session_.DeviceName.empty()) {
        session_.DeviceName = endpoint_.displayName();
    }
    comm::SerialTransfer transfer(comm::SerialTransfer::Direction::Upload, link_, clock_, view_,
                                  image);
    return run(transfer);
}

}  // namespace magtune::app
