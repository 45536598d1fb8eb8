#include "comm/SerialProvisionReader.h"

#include "comm/SerialTransfer.h"
#include "platform/ComPorts.h"

namespace magtune {
namespace {

// Passes the transfer's texts on and notes when the reader answered the
// connect frame: the progress reaches 50 right after the connect.
class ConnectWatch : public TransferView {
  public:
    explicit ConnectWatch(TransferView& view) : view_(view) {}
    void setStatus(const std::string& text) override { view_.setStatus(text); }
    void setProgress(int percent) override {
        connected = connected || percent >= 50;
        view_.setProgress(percent);
    }
    void setBusy(bool busy) override { view_.setBusy(busy); }

    bool connected = false;

  private:
    TransferView& view_;
};

}  // namespace

SerialProvisionReader::SerialProvisionReader(const ProvisionTarget& target,
                                             const CommOptions& options, std::string portsFolder,
                                             FileSystem& files, Clock& clock, Prompter& prompter)
    : target_(target),
      options_(options),
      portsFolder_(std::move(portsFolder)),
      clock_(clock),
      prompter_(prompter),
      log_(files, ""),
      link_(session_, options_, log_, prompter) {
    options_.UsbLogEnable = false;
    device_ = target_.comIndex ? ComPortDevice(*target_.comIndex, portsFolder_) : target_.device;
}

bool SerialProvisionReader::open() {
    SystemError error;
    if (target_.comIndex) {
        session_.CurrentComIndex = static_cast<std::uint16_t>(*target_.comIndex);
        session_.SerialPort = OpenComPort(*target_.comIndex, portsFolder_, error);
    } else {
        session_.SerialPort = OpenSerialDevice(target_.device, error);
    }
    if (!session_.SerialPort) {
        const std::string reason = SystemMessageText(error.code);
        prompter_.warning(target_.port + " is not available." +
                          (reason.empty() ? "" : " (" + reason + ")"));
        return false;
    }
    device_ = session_.SerialPort->devicePath();
    if (!found_) {
        PortSettings found;
        if (session_.SerialPort->getState(found, error)) {
            found_ = found;
        }
    }
    // The upload's messages name the reader by its port.
    session_.DeviceName = target_.port;
    if (!link_.OpenSerialPort()) {
        session_.closePort();
        return false;
    }
    return true;
}

void SerialProvisionReader::close() {
    if (found_) {
        // An upload closes the port at its end; it is opened once more to
        // put its settings back.
        SystemError ignored;
        if (!session_.SerialPort) {
            session_.SerialPort = target_.comIndex
                                      ? OpenComPort(*target_.comIndex, portsFolder_, ignored)
                                      : OpenSerialDevice(target_.device, ignored);
        }
        if (session_.SerialPort) {
            session_.SerialPort->setState(*found_, ignored);
        }
    }
    session_.closePort();
}

bool SerialProvisionReader::download(const ConfigurationImage& image, TransferView& view) {
    ConnectWatch watch(view);
    const bool done = SerialDownload(link_, clock_, image, watch);
    if (watch.connected) {
        baudRate_ = session_.PortSettings.BaudRate;
    }
    return done;
}

bool SerialProvisionReader::upload(ConfigurationImage& image, TransferView& view) {
    if (!session_.isPortOpen() && !open()) {
        return false;
    }
    ConnectWatch watch(view);
    const bool done = SerialUpload(link_, clock_, image, watch);
    if (watch.connected) {
        baudRate_ = session_.PortSettings.BaudRate;
    }
    return done;
}

}  // namespace magtune
