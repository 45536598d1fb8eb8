#include "shell/SettingTransfers.h"

#include <utility>

#include "app/TransferService.h"
#include "shell/SelectionRules.h"

namespace magtune::shell {

SettingTransfers::SettingTransfers(settings::SettingStore& store,
                                   settings::OpenSetting& openSetting, comm::SerialLink& link,
                                   InterfaceDialogs& dialogs, app::ReaderTransports transports,
                                   ComPortOpener openPort)
    : transports(transports),
      store_(store),
      openSetting_(openSetting),
      link_(link),
      dialogs_(dialogs),
      openPort_(std::move(openPort)) {}

void SettingTransfers::upload() {
    if (!dialogs_.run(SelectionDialogKind::Upload)) {
        return;
    }
    // A copy: the upload may replace DeviceName on its way.
    const std::string name = link_.session().DeviceName;
    if (!UploadSetting(name, store_.CurrentInterface)) {
        openSetting_.recentList.RemoveRecent(name);
        openSetting_.RefreshRecentMenu();
    }
}

void SettingTransfers::download() {
    if (dialogs_.run(SelectionDialogKind::Download)) {
        DownloadSetting();
    }
}

void SettingTransfers::testPad() {
    if (!dialogs_.run(SelectionDialogKind::TestPad)) {
        return;
    }
    if (app::ReaderTransport* transport = transportFor(store_.CurrentInterface)) {
        transport->testPad();
    }
}

bool SettingTransfers::UploadSetting(const std::string& name, std::int32_t interface) {
    // Asked before the save question, so that a setting is never closed for
    // an upload that cannot run.
    app::ReaderTransport* transport = transportFor(interface);
    if (transport == nullptr) {
        return true;
    }
    if (openSetting_.QuerySaveChanges() == common::Answer::Cancel) {
        return true;
    }
    comm::SerialSession& session = link_.session();
    session.DeviceName = name;
    if (interface == settings::InterfaceCode::Usb && repaintMainWindow) {
        repaintMainWindow();
    }
    if (interface == settings::InterfaceCode::Rs232 && !ensureSerialPortOpen()) {
        return false;
    }
    switch (app::TransferService(link_.prompter()).Upload(*transport, store_)) {
        case app::TransferOutcome::NoDevice:
            return true;
        case app::TransferOutcome::Failed:
            return false;
        case app::TransferOutcome::Done:
            break;
    }
    if (interface == settings::InterfaceCode::Rs232) {
        openSetting_.AcceptUpload(session.DeviceName, interface, session.CurrentComIndex,
                                  session.PortSettings.toBytes());
    } else {
        openSetting_.AcceptUpload(session.DeviceName, interface);
    }
    return true;
}

bool SettingTransfers::DownloadSetting() {
    const std::int32_t interface = store_.CurrentInterface;
    app::ReaderTransport* transport = transportFor(interface);
    if (transport == nullptr) {
        return false;
    }
    if (interface == settings::InterfaceCode::Usb && repaintMainWindow) {
        repaintMainWindow();
    }
    if (interface == settings::InterfaceCode::Rs232 && !ensureSerialPortOpen()) {
        return false;
    }
    if (app::TransferService(link_.prompter()).Download(*transport, interface, store_) !=
        app::TransferOutcome::Done) {
        return false;
    }
    openSetting_.NoteDownloadSucceeded();
    const common::Answer answer =
        link_.prompter().question(kQuickTestQuestion, common::kApplicationTitle,
                                  common::MessageButtons::YesNo, common::Answer::Yes);
    if (answer == common::Answer::Yes) {
        transport->testPad();
    } else if (interface == settings::InterfaceCode::Rs232) {
        link_.session().closePort();
    }
    return true;
}

bool SettingTransfers::uploadRecent(const settings::RecentEntry& entry) {
    if (entry.Interface != settings::InterfaceCode::Rs232) {
        return UploadSetting(entry.Name, entry.Interface);
    }
    if (transportFor(settings::InterfaceCode::Rs232) == nullptr) {
        return true;
    }
    comm::SerialSession& session = link_.session();
    // Our own handle on the same port would make the exclusive open fail.
    session.closePort();
    const bool validIndex = entry.Com >= 0 && entry.Com < platform::kComPortCount;
    std::string refusal = platform::PortNotAvailableText(platform::ComPortName(entry.Com));
    if (validIndex) {
        session.CurrentComIndex = static_cast<std::uint16_t>(entry.Com);
        session.PortSettings = platform::PortSettings::fromBytes(entry.Dcb);
        refusal = OpenComPortInto(openPort_, entry.Com, session.SerialPort);
    }
    common::Prompter& prompter = link_.prompter();
    const std::string failed = "Failed to open " + entry.Name + ".";
    if (!session.isPortOpen()) {
        prompter.warning(refusal);
        prompter.warning(failed);
        return false;
    }
    if (!link_.OpenSerialPort()) {
        session.closePort();
        prompter.warning(failed);
        return false;
    }
    return UploadSetting(entry.Name, settings::InterfaceCode::Rs232);
}

void SettingTransfers::releaseDevices() {
    for (app::ReaderTransport* transport :
         {transports.serial, transports.keyboardWedge, transports.usb}) {
        if (transport != nullptr) {
            transport->releaseDevices();
        }
    }
}

app::ReaderTransport* SettingTransfers::transportFor(std::int32_t interface) {
    app::ReaderTransport* transport = transports.forInterface(interface);
    if (transport == nullptr) {
        link_.prompter().warning(InterfaceNotAvailableText(interface));
    }
    return transport;
}

bool SettingTransfers::ensureSerialPortOpen() {
    comm::SerialSession& session = link_.session();
    if (session.isPortOpen()) {
        return true;
    }
    const std::string refusal =
        OpenComPortInto(openPort_, session.CurrentComIndex, session.SerialPort);
    if (!session.isPortOpen()) {
        link_.prompter().warning(refusal);
        return false;
    }
    if (!link_.OpenSerialPort()) {
        session.closePort();
        return false;
    }
    return true;
}

}  // namespace magtune::shell
