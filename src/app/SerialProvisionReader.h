#pragma once

#include <string>

#include "app/ProvisionReader.h"
#include "app/SerialReaderTransport.h"
#include "comm/CommOptions.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace magtune::app {

// A reader on a serial port of its own: the serial transport of the single
// transfers with a port, session and link of its own, so that readers on
// several ports run side by side.
class SerialProvisionReader : public ProvisionReader {
  public:
    // `portsFolder` maps COM port names to devices. The transfer log is off:
    // one log file cannot take the lines of many ports at once.
    SerialProvisionReader(const ProvisionTarget& target, const comm::CommOptions& options,
                          std::string portsFolder, platform::FileSystem& files,
                          platform::Clock& clock, common::Prompter& prompter,
                          comm::TransferView& view);

    // Opens the port on first use, and again when an upload closed it.
    bool prepare() override;
    bool download(const settings::ConfigurationImage& image) override;
    bool upload(settings::ConfigurationImage& image) override;
    void endTransfers() override { transport_.endTransfers(); }

    std::string devicePath() const override;
    std::uint32_t baudRate() const override { return baudRate_; }
    bool gaveUpForStop() const override { return transport_.cancelled(); }

  private:
    // Passes the transfer's texts on and notes when the reader answered the
    // connect frame: the progress reaches 50 right after the connect.
    class ConnectWatch : public comm::TransferView {
      public:
        explicit ConnectWatch(comm::TransferView& view) : view_(view) {}
        void setStatus(const std::string& text) override { view_.setStatus(text); }
        void setProgress(int percent) override {
            connected = connected || percent >= 50;
            view_.setProgress(percent);
        }
        void setBusy(bool busy) override { view_.setBusy(busy); }

        bool connected = false;

      private:
        comm::TransferView& view_;
    };

    static comm::CommOptions WithoutLog(comm::CommOptions options);
    void noteRate();

    SerialEndpoint endpoint_;
    std::string portsFolder_;
    std::string device_;
    ConnectWatch watch_;
    SerialReaderTransport transport_;
    bool opened_ = false;
    std::uint32_t baudRate_ = 0;
};

}  // namespace magtune::app
