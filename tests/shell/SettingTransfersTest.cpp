#include "shell/SettingTransfers.h"

#include <gtest/gtest.h>

#include "settings/DeviceTypeCodes.h"
#include "settings/FakeFileDialog.h"
#include "settings/FakeSettingWindow.h"
#include "shell/ShellFakes.h"
#include "support/FakePrompter.h"

namespace magtune::shell {
namespace {

using test::FakeComPorts;
using test::FakeInterfaceDialogs;
using test::FakePrompter;
using test::FakeSerialPort;
using test::FakeTransport;

constexpr const char* kTitle = "Magtune Reader";

class SettingTransfersTest : public ::testing::Test {
  protected:
    settings::SettingStore store;
    comm::SerialSession session;
    comm::CommOptions options;
    test::MemoryFileSystem files;
    comm::TransferLog log{files, "/tmp/USBLog.txt"};
    FakePrompter prompter;
    comm::SerialLink link{session, options, log, prompter};
    test::FakeSettingWindow window;
    test::FakeFileDialog fileDialog;
    settings::OpenSetting openSetting{store, prompter, files, fileDialog, window, "/opt/magtune"};
    FakeInterfaceDialogs dialogs;
    FakeTransport serial;
    FakeTransport wedge;
    FakeTransport usb;
    FakeComPorts ports;
    FakeSerialPort com2;
    SettingTransfers transfers{store,         openSetting, link, dialogs, {&serial, &wedge, &usb},
                               ports.opener()};
    int repaints = 0;
    // What the reader sends back on an upload: the default setting with
    // another beep tone.
    settings::ConfigurationImage readerImage{};

    SettingTransfersTest() {
        openSetting.downloadSetting = [this] { return transfers.downloadSetting(); };
        openSetting.uploadRecent = [this](const settings::RecentEntry& e) {
            return transfers.uploadRecent(e);
        };
        transfers.repaintMainWindow = [this] { ++repaints; };
        ports.available = {{1, &com2}};
        settings::DeviceSettings readerSettings;
        readerSettings.BeepTone.current = 2;
        readerSettings.PackImage(readerImage);
        for (FakeTransport* t : {&serial, &wedge, &usb}) {
            t->onUpload = [this](settings::ConfigurationImage& image) {
                image = readerImage;
                return true;
            };
        }
    }

    void openSerialPort(FakeSerialPort& port, int comIndex) {
        session.SerialPort = std::make_unique<test::PortHandle>(port);
        session.CurrentComIndex = static_cast<std::uint16_t>(comIndex);
        session.PortSettings.DCBlength = platform::PortSettings::kByteSize;
        session.PortSettings.BaudRate = 2400;
    }

    // A setting uploaded from NAME and then edited.
    void openChangedDeviceSetting(const std::string& name = "MSR 100") {
        openSetting.CurrentDevice = name;
        openSetting.CurrentFile.clear();
        store.Modified = true;
    }
};

TEST_F(SettingTransfersTest, DownloadSendsTheDeviceTypeOfTheInterface) {
    struct Case {
        std::int32_t interface;
        std::int32_t deviceIndex;
        std::uint8_t typeCode;
        FakeTransport* transport;
    };
    for (const Case c :
         {Case{settings::InterfaceCode::Usb, 12, 6, &usb},
          Case{settings::InterfaceCode::Rs232, 14, 4, &serial},
          Case{settings::InterfaceCode::KeyboardWedge, 1, 1, &wedge}, Case{0, 1, 1, &wedge}}) {
        FakeSerialPort port;
        openSerialPort(port, 0);
        store.CurrentInterface = c.interface;
        store.settings.DeviceId.current = 17;  // whatever the open setting held
        std::uint8_t sent = 0xEE;
        FakeTransport* used = nullptr;
        for (FakeTransport* t : {&serial, &wedge, &usb}) {
            t->onDownload = [&, t] {
                sent = store.image[0];
                used = t;
                return true;
            };
        }
        prompter.answers = {common::Answer::No};
        EXPECT_TRUE(transfers.DownloadSetting());
        EXPECT_EQ(used, c.transport) << c.interface;
        EXPECT_EQ(sent, c.typeCode) << c.interface;
        EXPECT_EQ(store.settings.DeviceId.current, c.deviceIndex);
        EXPECT_EQ(settings::DeviceTypeCode(c.deviceIndex), c.typeCode);
    }
}

TEST_F(SettingTransfersTest, QuickTestQuestionAfterADownload) {
    struct Case {
        std::int32_t interface;
        common::Answer answer;
        FakeTransport* transport;
        bool testRuns;
        bool portClosed;
    };
    for (const Case& c :
         {Case{settings::InterfaceCode::Rs232, common::Answer::Yes, &serial, true, false},
          Case{settings::InterfaceCode::Rs232, common::Answer::No, &serial, false, true},
          Case{settings::InterfaceCode::Usb, common::Answer::Yes, &usb, true, false},
          Case{settings::InterfaceCode::Usb, common::Answer::No, &usb, false, false},
          Case{settings::InterfaceCode::KeyboardWedge, common::Answer::Yes, &wedge, true, false}}) {
        FakeSerialPort port;
        openSerialPort(port, 0);
        c.transport->calls.clear();
        prompter.clear();
        store.CurrentInterface = c.interface;
        prompter.answers = {c.answer};
        EXPECT_TRUE(transfers.DownloadSetting());
        ASSERT_EQ(prompter.messages.size(), 1u);
        const common::Message& q = prompter.messages[0];
        EXPECT_EQ(q.text, "Do a quick test?");
        EXPECT_EQ(q.caption, kTitle);
        EXPECT_EQ(q.icon, common::MessageIcon::Question);
        EXPECT_EQ(q.buttons, common::MessageButtons::YesNo);
        const bool tested = !c.transport->calls.empty() && c.transport->calls.back() == "test";
        EXPECT_EQ(tested, c.testRuns);
        EXPECT_EQ(port.closed, c.portClosed) << c.interface;
    }
}

TEST_F(SettingTransfersTest, FailedDownloadAsksNothingAndKeepsThePortOpen) {
    FakeSerialPort port;
    openSerialPort(port, 0);
    store.CurrentInterface = settings::InterfaceCode::Rs232;
    openChangedDeviceSetting();
    serial.onDownload = [] { return false; };
    EXPECT_FALSE(transfers.DownloadSetting());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(store.Modified);
    EXPECT_FALSE(port.closed);
}

TEST_F(SettingTransfersTest, ADownloadClearsModifiedOnlyForADeviceSetting) {
    store.CurrentInterface = settings::InterfaceCode::Usb;
    prompter.answers = {common::Answer::No};
    openChangedDeviceSetting("MSR 100");
    EXPECT_TRUE(transfers.DownloadSetting());
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(window.caption, "MSR 100 - Magtune Reader");
    // Closing asks nothing now.
    prompter.clear();
    EXPECT_EQ(openSetting.QuerySaveChanges(), common::Answer::No);
    EXPECT_TRUE(prompter.messages.empty());

    openSetting.CurrentDevice.clear();
    openSetting.CurrentFile = "/home/u/SHOP.CFG";
    store.Modified = true;
    prompter.answers = {common::Answer::No};
    EXPECT_TRUE(transfers.DownloadSetting());
    EXPECT_TRUE(store.Modified);
    prompter.clear();
    prompter.answers = {common::Answer::Cancel};
    openSetting.QuerySaveChanges();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Save /home/u/SHOP.CFG?"});
}

TEST_F(SettingTransfersTest, UsbReaderListClosedWithoutAReader) {
    usb.deviceChosen = false;
    store.CurrentInterface = settings::InterfaceCode::Usb;
    EXPECT_FALSE(transfers.DownloadSetting());
    EXPECT_EQ(usb.calls, std::vector<std::string>{"choose"});
    EXPECT_EQ(repaints, 1);

    // The upload keeps its recent entry and changes nothing.
    openSetting.recentList.AddRecent("MSR 100", settings::InterfaceCode::Usb);
    EXPECT_TRUE(transfers.UploadSetting("MSR 100", settings::InterfaceCode::Usb));
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(usb.calls, (std::vector<std::string>{"choose", "choose"}));
    EXPECT_TRUE(openSetting.CurrentDevice.empty());
}

TEST_F(SettingTransfersTest, MissingTransportIsReportedAndChangesNothing) {
    transfers.transports.keyboardWedge = nullptr;
    store.CurrentInterface = settings::InterfaceCode::KeyboardWedge;
    store.settings.DeviceId.current = 17;
    openChangedDeviceSetting();
    EXPECT_FALSE(transfers.DownloadSetting());
    EXPECT_EQ(store.settings.DeviceId.current, 17);
    EXPECT_TRUE(transfers.UploadSetting("NEW", settings::InterfaceCode::KeyboardWedge));
    const std::string text = "Transfers by PS/2 keyboard interface are not available yet.";
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{text, text}));
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    // The save question was not asked for an upload that cannot run.
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 100");
    EXPECT_TRUE(store.Modified);
}

TEST_F(SettingTransfersTest, SerialUploadMakesTheDeviceTheOpenSetting) {
    openSerialPort(com2, 1);
    openSetting.CurrentFile = "/home/u/OLD.CFG";
    EXPECT_TRUE(transfers.UploadSetting("MSR 100", settings::InterfaceCode::Rs232));
    EXPECT_EQ(session.DeviceName, "MSR 100");
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 100");
    EXPECT_TRUE(openSetting.CurrentFile.empty());
    EXPECT_EQ(store.settings.BeepTone.current, 2);
    EXPECT_FALSE(store.Modified);
    EXPECT_TRUE(window.treeBuilt);
    EXPECT_EQ(window.caption, "MSR 100 - Magtune Reader");
    EXPECT_TRUE(window.isEnabled(settings::SettingCommand::Download));
    const settings::RecentEntry& entry = openSetting.recentList.entries[0];
    EXPECT_EQ(entry.Name, "MSR 100");
    EXPECT_EQ(entry.Interface, settings::InterfaceCode::Rs232);
    EXPECT_EQ(entry.Com, 1);
    EXPECT_EQ(entry.Dcb, session.PortSettings.toBytes());
}

TEST_F(SettingTransfersTest, FailedUploadChangesNothing) {
    openSerialPort(com2, 1);
    openSetting.CurrentFile = "/home/u/OLD.CFG";
    serial.onUpload = [](settings::ConfigurationImage&) { return false; };
    EXPECT_FALSE(transfers.UploadSetting("MSR 100", settings::InterfaceCode::Rs232));
    EXPECT_EQ(openSetting.CurrentFile, "/home/u/OLD.CFG");
    EXPECT_TRUE(openSetting.CurrentDevice.empty());
    EXPECT_EQ(store.settings.BeepTone.current, store.settings.BeepTone.defaultValue);
    EXPECT_EQ(openSetting.recentList.entries[0].Name, "");
}

TEST_F(SettingTransfersTest, UploadCommandDropsTheNameOfAFailedUpload) {
    openSetting.recentList.AddRecent("MSR 100", settings::InterfaceCode::Usb);
    openSetting.recentList.AddRecent("/home/u/A.CFG", settings::InterfaceCode::SettingFile);
    dialogs.choose = [this](SelectionDialogKind) {
        store.CurrentInterface = settings::InterfaceCode::Usb;
        session.DeviceName = "MSR 100";
        return true;
    };
    usb.onUpload = [](settings::ConfigurationImage&) { return false; };
    transfers.upload();
    EXPECT_EQ(dialogs.runs, std::vector<SelectionDialogKind>{SelectionDialogKind::Upload});
    EXPECT_EQ(openSetting.recentList.entries[0].Name, "/home/u/A.CFG");
    EXPECT_EQ(openSetting.recentList.entries[1].Name, "");
    EXPECT_EQ(window.recentMenu, openSetting.recentList.Menu());
}

TEST_F(SettingTransfersTest, UploadCommandDoesNothingWhenTheDialogIsCancelled) {
    dialogs.choose = [](SelectionDialogKind) { return false; };
    transfers.upload();
    transfers.download();
    transfers.testPad();
    EXPECT_TRUE(serial.calls.empty());
    EXPECT_TRUE(usb.calls.empty());
    EXPECT_TRUE(wedge.calls.empty());
    EXPECT_EQ(dialogs.runs, (std::vector<SelectionDialogKind>{SelectionDialogKind::Upload,
                                                              SelectionDialogKind::Download,
                                                              SelectionDialogKind::TestPad}));
}

TEST_F(SettingTransfersTest, CancellingTheSaveQuestionKeepsEverything) {
    openSetting.recentList.AddRecent("MSR 200", settings::InterfaceCode::KeyboardWedge);
    openChangedDeviceSetting("MSR 100");
    store.CurrentInterface = settings::InterfaceCode::Usb;
    prompter.answers = {common::Answer::Cancel};
    openSetting.OpenRecent(0);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Setting is changed. Download to MSR 100?"});
    EXPECT_TRUE(wedge.calls.empty());
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 100");
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(openSetting.recentList.entries[0].Name, "MSR 200");
}

TEST_F(SettingTransfersTest, SaveQuestionDownloadFailureKeepsTheSettingOpen) {
    openChangedDeviceSetting("MSR 100");
    store.CurrentInterface = settings::InterfaceCode::Usb;
    usb.onDownload = [] { return false; };
    prompter.answers = {common::Answer::Yes};
    EXPECT_EQ(openSetting.QuerySaveChanges(), common::Answer::Cancel);
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 100");
    EXPECT_TRUE(store.Modified);

    usb.onDownload = [] { return true; };
    prompter.answers = {common::Answer::Yes, common::Answer::No};
    EXPECT_EQ(openSetting.QuerySaveChanges(), common::Answer::Yes);
    EXPECT_TRUE(openSetting.CurrentDevice.empty());
    EXPECT_FALSE(store.Modified);
}

TEST_F(SettingTransfersTest, SerialUploadReopensAPortClosedByTheSaveQuestion) {
    // The save question's download declines the quick test, which closes
    // the port that the upload dialog had opened.
    openChangedDeviceSetting("MSR 100");
    openSerialPort(com2, 1);
    store.CurrentInterface = settings::InterfaceCode::Rs232;
    prompter.answers = {common::Answer::Yes, common::Answer::No};
    EXPECT_TRUE(transfers.UploadSetting("MSR 200", settings::InterfaceCode::Rs232));
    // The service asks every transport for its reader; RS232 has none to
    // choose.
    EXPECT_EQ(serial.calls, (std::vector<std::string>{"choose", "download", "choose", "upload"}));
    EXPECT_EQ(ports.opened, std::vector<int>{1});
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 200");
    // Reconfigured with the block the first open left.
    ASSERT_FALSE(com2.appliedStates.empty());
    EXPECT_EQ(com2.appliedStates.back().BaudRate, 2400u);
}

TEST_F(SettingTransfersTest, SerialDownloadWithThePortGone) {
    store.CurrentInterface = settings::InterfaceCode::Rs232;
    session.CurrentComIndex = 4;  // no such port
    EXPECT_FALSE(transfers.DownloadSetting());
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{FakeComPorts::refusal(4)});
    EXPECT_TRUE(serial.calls.empty());
}

TEST_F(SettingTransfersTest, RecentSerialEntryReopensItsPortWithItsBlock) {
    platform::PortSettings stored;
    stored.DCBlength = platform::PortSettings::kByteSize;
    stored.BaudRate = 4800;
    stored.ByteSize = 7;
    stored.Parity = platform::PortSettings::kOddParity;
    openSetting.recentList.AddRecent("MSR 100", settings::InterfaceCode::Rs232, 1,
                                     stored.toBytes());
    store.CurrentInterface = settings::InterfaceCode::Usb;
    openSetting.OpenRecent(0);
    EXPECT_EQ(ports.opened, std::vector<int>{1});
    EXPECT_EQ(session.CurrentComIndex, 1);
    ASSERT_EQ(com2.appliedStates.size(), 1u);
    EXPECT_EQ(com2.appliedStates[0], stored);
    EXPECT_EQ(serial.calls, (std::vector<std::string>{"choose", "upload"}));
    EXPECT_EQ(openSetting.CurrentDevice, "MSR 100");
    EXPECT_EQ(store.CurrentInterface, settings::InterfaceCode::Rs232);
}

TEST_F(SettingTransfersTest, RecentSerialEntryWhosePortIsMissing) {
    openSetting.recentList.AddRecent("MSR 100", settings::InterfaceCode::Rs232, 6, {});
    openSetting.OpenRecent(0);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{FakeComPorts::refusal(6), "Failed to open MSR 100."}));
    for (const common::Message& m : prompter.messages) {
        EXPECT_EQ(m.caption, "Error");
        EXPECT_EQ(m.icon, common::MessageIcon::Warning);
    }
    EXPECT_EQ(openSetting.recentList.entries[0].Name, "");
    EXPECT_TRUE(serial.calls.empty());
}

TEST_F(SettingTransfersTest, RecentSerialEntryWhosePortCannotBeConfigured) {
    platform::PortSettings stored;
    stored.DCBlength = platform::PortSettings::kByteSize;
    stored.BaudRate = 4800;
    openSetting.recentList.AddRecent("MSR 100", settings::InterfaceCode::Rs232, 1,
                                     stored.toBytes());
    com2.failSetState = true;
    openSetting.OpenRecent(0);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{platform::SystemErrorText("SetCommState", EIO),
                                        "Failed to open MSR 100."}));
    EXPECT_TRUE(com2.closed);
    EXPECT_FALSE(session.isPortOpen());
    EXPECT_EQ(openSetting.recentList.entries[0].Name, "");
}

TEST_F(SettingTransfersTest, TestPadRunsTheWindowOfTheChosenInterface) {
    struct Case {
        std::int32_t interface;
        FakeTransport* transport;
    };
    for (const Case& c :
         {Case{settings::InterfaceCode::Rs232, &serial}, Case{settings::InterfaceCode::Usb, &usb},
          Case{settings::InterfaceCode::KeyboardWedge, &wedge}}) {
        dialogs.choose = [&](SelectionDialogKind kind) {
            EXPECT_EQ(kind, SelectionDialogKind::TestPad);
            store.CurrentInterface = c.interface;
            return true;
        };
        transfers.testPad();
        EXPECT_EQ(c.transport->calls, std::vector<std::string>{"test"});
    }
}

TEST_F(SettingTransfersTest, ReleaseDevicesReachesEveryTransport) {
    transfers.transports.keyboardWedge = nullptr;
    transfers.releaseDevices();
    EXPECT_EQ(serial.calls, std::vector<std::string>{"release"});
    EXPECT_EQ(usb.calls, std::vector<std::string>{"release"});
}

}  // namespace
}  // namespace magtune::shell
