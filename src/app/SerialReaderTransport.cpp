#include "app/SerialReaderTransport.h"

#include "comm/SerialTransfer.h"
#include "platform/ComPorts.h"
#include "platform/DeviceAccess.h"

namespace magtune {

std::string SerialEndpoint::displayName() const {
    return comIndex ? ComPortName(*comIndex) : device;
}

SerialReaderTransport::SerialReaderTransport(Prompter& prompter, TransferView& view,
                                             const CommOptions& options, FileSystem& files,
                                             const std::string& logPath, Clock& clock)
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
    SystemError error;
    if (endpoint.comIndex) {
        session_.CurrentComIndex = static_cast<std::uint16_t>(*endpoint.comIndex);
        session_.SerialPort = OpenComPort(*endpoint.comIndex, portsFolder, error);
    } else {
        session_.SerialPort = OpenSerialDevice(endpoint.device, error);
    }
    if (!session_.SerialPort) {
        prompter_.warning(PortNotAvailableText(endpoint.comIndex
                                                   ? ComPortPlace(*endpoint.comIndex, portsFolder)
                                                   : DevicePlace(endpoint.device),
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

bool SerialReaderTransport::run(SerialTransfer& transfer) {
    auto cancelled = [&] {
        return (cancelRequested && cancelRequested()) ||
               (transfer.phase() == TransferPhase::Connect && connectCancelRequested &&
                connectCancelRequested());
    };
    const bool done = RunSerialTransfer(transfer, clock_, cancelled);
    cancelled_ = transfer.cancelled();
    return done;
}

bool SerialReaderTransport::download(const ConfigurationImage& image) {
    ConfigurationImage sent = image;
    SerialTransfer transfer(SerialTransfer::Direction::Download, link_, clock_, view_, sent);
    return run(transfer);
}

bool SerialReaderTransport::upload(ConfigurationImage& image) {
    if (session_.DeviceName.empty()) {
        session_.DeviceName = endpoint_.displayName();
    }
    SerialTransfer transfer(SerialTransfer::Direction::Upload, link_, clock_, view_, image);
    return run(transfer);
}

}  // namespace magtune
