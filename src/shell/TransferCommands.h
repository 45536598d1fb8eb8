#pragma once

#include "settings/RecentEntry.h"

namespace magtune::shell {

// The Settings menu commands and the transfers that the main window and
// the file commands start: the interface selection dialogs with the
// upload, download and test pad flows behind them. The main window runs
// without them (the commands then do nothing) until main() hands it an
// implementation with frmMain::setTransferCommands.
class TransferCommands {
  public:
    virtual ~TransferCommands() = default;

    // Settings > Upload, Download and Test Pad (menu items and toolbar
    // buttons).
    virtual void upload() = 0;
    virtual void download() = 0;
    virtual void testPad() = 0;

    // DownloadSetting: asked by the save question for a changed setting
    // from a device. True when the reader took the setting.
    virtual bool downloadSetting() = 0;
    // UploadSetting for a click on a recent device entry (RS232 entries
    // open their port first). False when no setting was delivered; the
    // entry is then dropped from the recent list.
    virtual bool uploadRecent(const settings::RecentEntry& entry) = 0;

    // At program end, after the preferences were written: deselects a
    // selected USB reader and releases the device list.
    virtual void releaseDevices() = 0;
};

}  // namespace magtune::shell
