#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/ReaderTransport.h"
#include "comm/CommOptions.h"
#include "comm/SerialLink.h"
#include "comm/SerialSession.h"
#include "comm/SerialTransfer.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace magtune::app {

// Where a serial transfer finds its reader: COM port n through the ports
// folder, or a device path.
struct SerialEndpoint {
    std::optional<int> comIndex;  // 0 is COM1
    std::string device;

    // "COM3" or the device path.
    std::string displayName() const;
};

// A reader on a serial port, run without a window: the command line and
// provisioning (one per port, each on its own thread). It owns its port,
// its log and its port layer; the transfers run to their end on `clock`.
class SerialReaderTransport : public ReaderTransport {
  public:
    SerialReaderTransport(common::Prompter& prompter, comm::TransferView& view,
                          const comm::CommOptions& options, platform::FileSystem& files,
                          const std::string& logPath, platform::Clock& clock);

    // Opens the port for exclusive use and configures it as the selection
    // dialogs do; false after telling the user why not ("COM3 is not
    // available." with the device, the reason and what to do).
    bool open(const SerialEndpoint& endpoint, const std::string& portsFolder);

    comm::SerialSession& session() { return session_; }
    comm::SerialLink& link() { return link_; }

    // Asked between the steps of a transfer (a signal): true ends it as
    // failed, with the port's settings as they were.
    std::function<bool()> cancelRequested;
    // Asked only while a transfer waits for the reader's answer to the
    // connect frame, before any frame with data has gone out (a provisioning
    // run that is stopped): true gives the connect up, as cancelRequested
    // does.
    std::function<bool()> connectCancelRequested;
    // Whether the last transfer was given up by one of the two.
    bool cancelled() const { return cancelled_; }

    // The port opened by open(), reopened when a transfer closed it.
    bool prepare() override;
    bool download(const settings::ConfigurationImage& image) override;
    // Status texts name the reader by DeviceName (the endpoint's name when
    // none was set).
    bool upload(settings::ConfigurationImage& image) override;
    void endTransfers() override { session_.closePort(); }

  private:
    bool run(comm::SerialTransfer& transfer);

    common::Prompter& prompter_;
    comm::TransferView& view_;
    comm::CommOptions options_;
    platform::Clock& clock_;
    comm::SerialSession session_;
    comm::TransferLog log_;
    comm::SerialLink link_;
    SerialEndpoint endpoint_;
    std::string portsFolder_;
    bool opened_ = false;
    bool cancelled_ = false;
};

}  // namespace magtune::app
