#pragma once

#include "app/RuntimeConfig.h"
#include "comm/SerialLink.h"
#include "comm/TransferLog.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "settings/OpenSetting.h"
#include "shell/AppState.h"
#include "shell/QtInterfaceDialogs.h"
#include "shell/SerialTransportForms.h"
#include "shell/SettingTransfers.h"

class QWidget;

namespace magtune::shell {

// The Settings menu commands of the desktop program, put together over the
// program state: frmOpen, frmSave and frmSelect, the RS232 transfer forms
// and the flows behind them. main() hands commands() to
// frmMain::setTransferCommands; the USB and keyboard wedge transports join
// through commands().transports.
class DesktopTransfers {
  public:
    DesktopTransfers(AppState& state, settings::OpenSetting& openSetting,
                     common::Prompter& prompter, platform::FileSystem& files, QWidget* mainWindow,
                     const app::RuntimeConfig& config, ComPortOpener openPort = {},
                     platform::Clock& clock = platform::SystemClock());

    SettingTransfers& commands() { return transfers_; }
    // The serial port layer (the RS232 transport and its session).
    comm::SerialLink& serialLink() { return link_; }

  private:
    // The selection dialogs offer the simulated reader first when it was
    // the last one chosen.
    bool lastChoseSimulator_ = false;
    comm::TransferLog log_;
    comm::SerialLink link_;
    QtInterfaceDialogs dialogs_;
    SerialTransportForms serial_;
    SettingTransfers transfers_;
};

}  // namespace magtune::shell
