#pragma once

#include <optional>
#include <string>

#include "comm/CommOptions.h"
#include "comm/ProvisionReader.h"
#include "comm/SerialLink.h"
#include "comm/SerialSession.h"
#include "comm/TransferLog.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace magtune {

// A reader on a serial port of its own, with a session, a link and a log of
// its own, so that readers on several ports run side by side.
class SerialProvisionReader : public ProvisionReader {
  public:
    // `portsFolder` maps COM port names to devices. The transfer log is off:
    // one log file cannot take the lines of many ports at once.
    SerialProvisionReader(const ProvisionTarget& target, const CommOptions& options,
                          std::string portsFolder, FileSystem& files, Clock& clock,
                          Prompter& prompter);

    bool open() override;
    bool download(const ConfigurationImage& image, TransferView& view) override;
    bool upload(ConfigurationImage& image, TransferView& view) override;
    // Leaves the port as it was found: the rate the connect scan chose and
    // the framing go back to what the port had when it was opened.
    void close() override;
    std::string devicePath() const override { return device_; }
    std::uint32_t baudRate() const override { return baudRate_; }

  private:
    ProvisionTarget target_;
    CommOptions options_;
    std::string portsFolder_;
    Clock& clock_;
    Prompter& prompter_;
    SerialSession session_;
    TransferLog log_;
    SerialLink link_;
    std::string device_;
    std::uint32_t baudRate_ = 0;
    std::optional<PortSettings> found_;
};

}  // namespace magtune
