#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/ReaderTransport.h"
#include "comm/SerialLink.h"
#include "settings/OpenSetting.h"
#include "settings/SettingStore.h"
#include "shell/ComPortOpener.h"
#include "shell/InterfaceDialogs.h"
#include "shell/TransferCommands.h"

namespace magtune::shell {

inline constexpr const char* kQuickTestQuestion = "Do a quick test?";

// The Settings menu's Upload, Download and Test Pad commands: an interface
// selection dialog, then the transfer windows of the chosen transport, and
// what the open setting becomes afterwards.
class SettingTransfers : public TransferCommands {
  public:
    SettingTransfers(settings::SettingStore& store, settings::OpenSetting& openSetting,
                     comm::SerialLink& link, InterfaceDialogs& dialogs,
                     app::ReaderTransports transports, ComPortOpener openPort);

    // The transports can be added later (USB and the keyboard wedge come
    // with their own windows); a missing one is reported as not available.
    app::ReaderTransports transports;
    // Called before the USB reader list is shown, so that the main window
    // is drawn behind it.
    std::function<void()> repaintMainWindow;

    // Settings > Upload: frmOpen, then UploadSetting; a name whose upload
    // failed leaves the recent list.
    void upload() override;
    // Settings > Download: frmSave, then DownloadSetting.
    void download() override;
    // Settings > Test Pad: frmSelect, then the test pad of the interface.
    void testPad() override;
    bool downloadSetting() override { return DownloadSetting(); }
    // A click on a recent device entry: an RS232 entry first reopens its
    // port with its stored control block, then UploadSetting.
    bool uploadRecent(const settings::RecentEntry& entry) override;
    void releaseDevices() override;

    // Uploads from a reader and makes it the open setting. False only when
    // no setting was delivered; cancelling the save question, closing the
    // USB reader list and an interface without transfers give true with
    // nothing changed.
    bool UploadSetting(const std::string& name, std::int32_t interface);
    // Downloads the open setting over CurrentInterface and offers the quick
    // test. True when the reader accepted the setting.
    bool DownloadSetting();

  private:
    // The transport of the interface, after telling the user when there is
    // none.
    app::ReaderTransport* transportFor(std::int32_t interface);
    // The port of CurrentComIndex, opened and configured again when a
    // transfer before (the quick test after the save question's download)
    // has closed it.
    bool ensureSerialPortOpen();

    settings::SettingStore& store_;
    settings::OpenSetting& openSetting_;
    comm::SerialLink& link_;
    InterfaceDialogs& dialogs_;
    ComPortOpener openPort_;
};

}  // namespace magtune::shell
