#include "shell/select/SelectionDialogsTest.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/SimulatorProbe.h"
#include "platform/DeviceAccess.h"
#include "platform/SystemError.h"
#include "platform/TempFolder.h"
#include "shell/PortSettingsChoices.h"
#include "shell/PortSettingsDialog.h"
#include "shell/frmOpen.h"
#include "shell/frmSave.h"
#include "shell/frmSelect.h"
#include "shell/select/ModalDriver.h"
#include "support/ChildProcess.h"

namespace magtune::shell {

namespace {

constexpr const char* kBaudMessage =
    "Tarvik products donot support 110 baudrate, please select a different baudrate.";

template <typename T>
T* Child(QWidget* parent, const char* name) {
    auto* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("no control %s", name);
    }
    return child;
}

}  // namespace

struct SelectionDialogsTest::Fixture {
    settings::SettingStore store;
    comm::SerialSession session;
    comm::CommOptions options;
    test::MemoryFileSystem files;
    comm::TransferLog log{files, "/tmp/USBLog.txt"};
    test::FakePrompter prompter;
    comm::SerialLink link{session, options, log, prompter};
    test::FakeComPorts ports;
    test::FakeSerialPort com1;
    test::FakeSerialPort com3;
    test::FakePortConfigDialog portDialog;
    test::TempFolder folder;

    Fixture() {
        ports.available = {{0, &com1}, {2, &com3}};
        com3.systemState.DCBlength = platform::PortSettings::kByteSize;
        com3.systemState.BaudRate = 19200;
        std::filesystem::create_symlink("/dev/ttyUSB7", folder / "COM3");
    }

    InterfaceDialogContext context(bool fakePortDialog = true) {
        return InterfaceDialogContext{store, link, ports.opener(), folder.path,
                                      fakePortDialog ? &portDialog : nullptr};
    }

    void rememberRs232(int index) {
        store.CurrentInterface = settings::InterfaceCode::Rs232;
        session.CurrentComIndex = static_cast<std::uint16_t>(index);
    }
};

SelectionDialogsTest::SelectionDialogsTest() = default;
SelectionDialogsTest::~SelectionDialogsTest() = default;

void SelectionDialogsTest::init() {
    f = std::make_unique<Fixture>();
}

void SelectionDialogsTest::cleanup() {
    f.reset();
}

void SelectionDialogsTest::captionsAndControls() {
    frmOpen open(f->context(), "");
    frmSave save(f->context());
    frmSelect select(f->context());
    const std::pair<InterfaceDialog*, QString> dialogs[] = {
        {&open, QStringLiteral("Upload Setting")},
        {&save, QStringLiteral("Download Setting")},
        {&select, QStringLiteral("Test Pad")}};
    for (const auto& [dialog, caption] : dialogs) {
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(Child<QRadioButton>(dialog, "optRS232")->text(),
                 QStringLiteral("By RS232 Interface"));
        QCOMPARE(Child<QRadioButton>(dialog, "optKeybrd")->text(),
                 QStringLiteral("By PS/2 Keyboard Interface"));
        QCOMPARE(Child<QRadioButton>(dialog, "optUSB")->text(), QStringLiteral("By USB Interface"));
        QCOMPARE(Child<QLabel>(dialog, "lblCom")->text(), QStringLiteral("COM"));
        QCOMPARE(Child<QPushButton>(dialog, "cmdProperties")->text(), QStringLiteral("Properties"));
        auto* ok = Child<QPushButton>(dialog, "cmdOK");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(Child<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
        auto* list = Child<QComboBox>(dialog, "cboCom");
        QCOMPARE(list->count(), 32);
        for (int i = 0; i < 32; ++i) {
            QCOMPARE(list->itemText(i), QString::number(i + 1));
        }
        QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("txtDevName")) != nullptr,
                 dialog == &open);
    }
    QCOMPARE(Child<QLabel>(&open, "lblDevName")->text(), QStringLiteral("Enter Product Name:"));
}

void SelectionDialogsTest::loadShowsTheRememberedInterface() {
    struct Case {
        std::int32_t interface;
        const char* checked;
    };
    for (const Case c : {Case{2, "optKeybrd"}, Case{3, "optUSB"}, Case{0, "optUSB"}}) {
        f->store.CurrentInterface = c.interface;
        frmSave dialog(f->context());
        QVERIFY(Child<QRadioButton>(&dialog, c.checked)->isChecked());
        QVERIFY(!Child<QComboBox>(&dialog, "cboCom")->isVisibleTo(&dialog));
        QVERIFY(!Child<QPushButton>(&dialog, "cmdProperties")->isVisibleTo(&dialog));
    }
}

void SelectionDialogsTest::rs232ReopensTheRememberedPort() {
    f->rememberRs232(2);
    frmSelect dialog(f->context());
    QVERIFY(Child<QRadioButton>(&dialog, "optRS232")->isChecked());
    QCOMPARE(Child<QComboBox>(&dialog, "cboCom")->currentIndex(), 2);
    QVERIFY(Child<QComboBox>(&dialog, "cboCom")->isVisibleTo(&dialog));
    QVERIFY(Child<QPushButton>(&dialog, "cmdProperties")->isEnabled());
    QCOMPARE(f->ports.opened, std::vector<int>{2});
    QVERIFY(f->session.isPortOpen());
}

void SelectionDialogsTest::portHeldElsewhereIsReportedAtOk() {
    f->rememberRs232(1);
    frmSave dialog(f->context());
    dialog.show();
    QVERIFY(!Child<QPushButton>(&dialog, "cmdProperties")->isEnabled());
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QCOMPARE(f->prompter.texts(), std::vector<std::string>{test::FakeComPorts::refusal(1)});
    QCOMPARE(f->prompter.messages[0].caption, std::string("Error"));
    QCOMPARE(f->prompter.messages[0].icon, common::MessageIcon::Warning);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.downloadChosen());
    QCOMPARE(dialog.focusWidget(), Child<QComboBox>(&dialog, "cboCom"));

    // Another entry opens that port at once and OK takes it.
    Child<QComboBox>(&dialog, "cboCom")->setCurrentIndex(0);
    QVERIFY(Child<QPushButton>(&dialog, "cmdProperties")->isEnabled());
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY(dialog.downloadChosen());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(f->session.CurrentComIndex, std::uint16_t{0});
    QVERIFY(f->session.isPortOpen());
    QCOMPARE(f->store.CurrentInterface, settings::InterfaceCode::Rs232);
}

// The system's ports: the warning names the device, the reason and the way
// out, in the words the command line uses.
void SelectionDialogsTest::refusedPortsSayWhyAtOk() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QCOMPARE(::grantpt(master), 0);
    QCOMPARE(::unlockpt(master), 0);
    const std::string held = ::ptsname(master);
    const int holder = ::open(held.c_str(), O_RDWR | O_NOCTTY);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX), 0);
    const std::filesystem::path folder = f->folder.path;
    std::filesystem::create_symlink("/dev/null", folder / "COM2");
    std::filesystem::create_symlink(folder / "unplugged", folder / "COM4");
    std::filesystem::create_symlink(held, folder / "COM5");
    struct Case {
        int index;
        int code;
        const char* advice;
    };
    const Case cases[] = {
        {1, ENOTTY, "It is not a serial port: point the link COM2 in "},
        {3, ENOENT, "The device is not there: plug in the reader's serial adapter"},
        {4, EBUSY, "Another program has it open"},
    };
    InterfaceDialogContext context = f->context();
    context.openPort = SystemComPortOpener(f->folder.path);
    for (const Case& c : cases) {
        f->prompter.clear();
        f->rememberRs232(c.index);
        frmSave dialog(context);
        dialog.show();
        QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(f->prompter.texts(),
                 std::vector<std::string>{platform::PortNotAvailableText(
                     platform::ComPortPlace(c.index, f->folder.path), c.code)});
        const std::string& told = f->prompter.messages[0].text;
        QVERIFY2(told.starts_with("COM" + std::to_string(c.index + 1) + " is not available.\n"),
                 told.c_str());
        QVERIFY2(told.find(c.advice) != std::string::npos, told.c_str());
    }
    ::close(holder);
    ::close(master);
}

void SelectionDialogsTest::switchingToUsbClosesThePortAtOk() {
    f->rememberRs232(0);
    frmSelect dialog(f->context());
    dialog.show();
    QTest::mouseClick(Child<QRadioButton>(&dialog, "optUSB"), Qt::LeftButton);
    QVERIFY(!Child<QComboBox>(&dialog, "cboCom")->isVisible());
    QVERIFY(!Child<QLabel>(&dialog, "lblCom")->isVisible());
    QVERIFY(!Child<QPushButton>(&dialog, "cmdProperties")->isVisible());
    QVERIFY(f->session.isPortOpen());  // until OK
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(dialog.testChosen());
    QVERIFY(f->com1.closed);
    QVERIFY(!f->session.isPortOpen());
    QCOMPARE(f->store.CurrentInterface, settings::InterfaceCode::Usb);

    // Back to RS232 in a new dialog shows the port controls again.
    f->store.CurrentInterface = settings::InterfaceCode::KeyboardWedge;
    frmSelect again(f->context());
    again.show();
    QTest::mouseClick(Child<QRadioButton>(&again, "optRS232"), Qt::LeftButton);
    QVERIFY(Child<QComboBox>(&again, "cboCom")->isVisible());
    QVERIFY(f->session.isPortOpen());
}

void SelectionDialogsTest::productNameIsTypedInUpperCase() {
    f->store.CurrentInterface = settings::InterfaceCode::Usb;
    frmOpen dialog(f->context(), "");
    dialog.show();
    auto* name = Child<QLineEdit>(&dialog, "txtDevName");
    QTest::keyClicks(name, QStringLiteral("abc"));
    QCOMPARE(name->text(), QStringLiteral("ABC"));
    QTest::keyClicks(name, QStringLiteral(" x1"));
    QCOMPARE(name->text(), QStringLiteral("ABC X1"));
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY(dialog.uploadChosen());
    QCOMPARE(f->session.DeviceName, std::string("ABC X1"));
}

void SelectionDialogsTest::blankProductNameIsRefused() {
    f->store.CurrentInterface = settings::InterfaceCode::Usb;
    frmOpen dialog(f->context(), "");
    dialog.show();
    auto* name = Child<QLineEdit>(&dialog, "txtDevName");
    QTest::keyClicks(name, QStringLiteral("   "));
    Child<QPushButton>(&dialog, "cmdOK")->setFocus();
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.uploadChosen());
    QVERIFY(f->prompter.messages.empty());
    QCOMPARE(dialog.focusWidget(), name);
}

void SelectionDialogsTest::uploadDialogStartsWithTheOpenDevice() {
    for (std::int32_t interface : {settings::InterfaceCode::Usb, settings::InterfaceCode::Rs232}) {
        init();
        f->store.CurrentInterface = interface;
        frmOpen dialog(f->context(), "MSR 100");
        auto* name = Child<QLineEdit>(&dialog, "txtDevName");
        QCOMPARE(name->text(), QStringLiteral("MSR 100"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // The focus is in the name, the caret after it, nothing selected.
        QCOMPARE(dialog.focusWidget(), name);
        QCOMPARE(name->cursorPosition(), 7);
        QVERIFY(!name->hasSelectedText());
        QTest::keyClicks(name, "x");
        QCOMPARE(name->text(), QStringLiteral("MSR 100X"));
    }
}

// Beside the port list: the device the chosen port opens, looked up again
// at each choice (a link in the ports folder wins over the fixed slot).
void SelectionDialogsTest::portListShowsTheDeviceBesideIt() {
    std::filesystem::create_symlink("/dev/null", f->folder / "COM5");
    f->rememberRs232(2);
    frmSave dialog(f->context());
    dialog.show();
    auto* list = Child<QComboBox>(&dialog, "cboCom");
    auto* device = Child<QLabel>(&dialog, "lblComDevice");
    QVERIFY(device->isVisible());
    QCOMPARE(device->text(), QStringLiteral("/dev/ttyUSB7 (not present)"));
    list->setCurrentIndex(4);
    QCOMPARE(device->text(), QStringLiteral("/dev/null"));
    std::filesystem::create_symlink("/dev/nothing-here", f->folder / "COM9");
    list->setCurrentIndex(8);
    QCOMPARE(device->text(), QStringLiteral("/dev/nothing-here (not present)"));
    Child<QRadioButton>(&dialog, "optUSB")->setChecked(true);
    QVERIFY(!device->isVisible());
}

// A simulated reader is an option of its own while it runs: it comes and
// goes with the simulator, OK takes the interface it plays, and the next
// dialog selects it again as soon as it is seen.
void SelectionDialogsTest::simulatedReaderIsOfferedWhileItRuns() {
    auto plays = std::make_shared<std::atomic<std::int32_t>>(0);
    bool lastChoseSimulator = false;
    InterfaceDialogContext context = f->context();
    context.findSimulator = [plays] { return app::SimulatedReader{plays->load(), "/run/sim"}; };
    context.lastChoseSimulator = &lastChoseSimulator;
    f->store.CurrentInterface = settings::InterfaceCode::Usb;
    {
        frmSave dialog(context);
        dialog.show();
        auto* sim = Child<QRadioButton>(&dialog, "optSim");
        auto* label = Child<QLabel>(&dialog, "lblSim");
        QTest::qWait(300);
        QVERIFY(!sim->isVisible());
        QVERIFY(Child<QRadioButton>(&dialog, "optUSB")->isChecked());

        plays->store(settings::InterfaceCode::KeyboardWedge);
        QTRY_VERIFY(sim->isVisible());
        QCOMPARE(sim->text(), QStringLiteral("By Simulated Reader"));
        QCOMPARE(label->text(), QStringLiteral("(magtune-reader-sim on the keyboard port)"));
        QVERIFY(!sim->isChecked());  // offered, not imposed
        sim->setChecked(true);
        // The simulator goes away: its interface takes the selection.
        plays->store(0);
        QTRY_VERIFY(!sim->isVisible());
        QVERIFY(Child<QRadioButton>(&dialog, "optKeybrd")->isChecked());

        plays->store(settings::InterfaceCode::Usb);
        QTRY_VERIFY(sim->isVisible());
        QCOMPARE(label->text(), QStringLiteral("(magtune-reader-sim on the USB bus)"));
        sim->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
        QVERIFY(dialog.downloadChosen());
        QCOMPARE(f->store.CurrentInterface, settings::InterfaceCode::Usb);
        QVERIFY(lastChoseSimulator);
    }
    {
        frmSelect dialog(context);
        dialog.show();
        auto* sim = Child<QRadioButton>(&dialog, "optSim");
        QTRY_VERIFY(sim->isChecked());
        Child<QRadioButton>(&dialog, "optUSB")->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
        QVERIFY(dialog.testChosen());
        QCOMPARE(f->store.CurrentInterface, settings::InterfaceCode::Usb);
        QVERIFY(!lastChoseSimulator);
    }
}

// The simulator as a user starts it: found at the socket the configuration
// names while it runs, and no longer once it ended, although it leaves its
// socket file behind when killed.
void SelectionDialogsTest::aRunningSimulatorIsFound() {
    struct Case {
        const char* option;
        std::int32_t interface;
        const char* label;
    };
    const Case cases[] = {
        {"--usb", settings::InterfaceCode::Usb, "(magtune-reader-sim on the USB bus)"},
        {"--wedge", settings::InterfaceCode::KeyboardWedge,
         "(magtune-reader-sim on the keyboard port)"},
    };
    for (const Case& c : cases) {
        init();
        const std::string socket = f->folder / "sim.sock";
        app::RuntimeConfig config;
        (c.interface == settings::InterfaceCode::Usb ? config.usbSimulatorBus
                                                     : config.wedgeSimulatorSocket) = socket;
        InterfaceDialogContext context = f->context();
        context.findSimulator = [config] { return app::FindRunningSimulator(config); };
        auto simulator = std::make_unique<test::ChildProcess>(
            std::vector<std::string>{MAGTUNE_READER_SIM_PATH, c.option, socket});
        QCOMPARE(simulator->firstLine(), socket);

        frmOpen dialog(context, "DESK");
        dialog.show();
        auto* sim = Child<QRadioButton>(&dialog, "optSim");
        QTRY_VERIFY(sim->isVisible());
        QCOMPARE(Child<QLabel>(&dialog, "lblSim")->text(), QString::fromLatin1(c.label));
        sim->click();
        // MAGTUNE_SHOTS_DIR keeps a picture of the dialog to look at.
        if (const char* shots = std::getenv("MAGTUNE_SHOTS_DIR")) {
            dialog.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/frmOpen-sim-") +
                               QString::fromLatin1(c.option + 2) + QStringLiteral(".png"));
        }
        simulator->sendSignal(SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!sim->isVisible(), 5000);
        QVERIFY(Child<QRadioButton>(
                    &dialog, c.interface == settings::InterfaceCode::Usb ? "optUSB" : "optKeybrd")
                    ->isChecked());
        QVERIFY(std::filesystem::exists(socket));  // killed: the file stays
        dialog.reject();
    }
}

void SelectionDialogsTest::cancelClosesThePort() {
    for (bool escape : {false, true}) {
        init();
        f->rememberRs232(0);
        frmOpen dialog(f->context(), "MSR 100");
        dialog.show();
        if (escape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::mouseClick(Child<QPushButton>(&dialog, "cmdCancel"), Qt::LeftButton);
        }
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.uploadChosen());
        QVERIFY(f->com1.closed);
        QCOMPARE(f->session.DeviceName, std::string());
    }
}

void SelectionDialogsTest::propertiesRefuses110Baud() {
    f->rememberRs232(2);
    frmSave dialog(f->context());
    dialog.show();
    platform::PortSettings slow = f->com3.systemState;
    slow.BaudRate = 110;
    platform::PortSettings fixed = slow;
    fixed.BaudRate = 2400;
    f->portDialog.answers = {slow, fixed};
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdProperties"), Qt::LeftButton);
    QCOMPARE(f->prompter.texts(), std::vector<std::string>{kBaudMessage});
    QCOMPARE(f->portDialog.shown.size(), std::size_t{2});
    QCOMPARE(f->portDialog.shown[0].portName, std::string("COM3"));
    QVERIFY(f->portDialog.shown[1].settings == slow);
    QCOMPARE(f->session.PortSettings.BaudRate, 2400u);
    QVERIFY(f->com3.appliedStates.empty());
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QCOMPARE(f->com3.appliedStates.back().BaudRate, 2400u);
}

void SelectionDialogsTest::propertiesReportsAFailedRead() {
    f->rememberRs232(2);
    f->com3.failGetState = true;
    frmSave dialog(f->context());
    dialog.show();
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdProperties"), Qt::LeftButton);
    QVERIFY(f->portDialog.shown.empty());
    QCOMPARE(f->prompter.texts(),
             std::vector<std::string>{platform::SystemErrorText("GetCommState", EIO)});
    QVERIFY(dialog.isVisible());
}

// Properties through the program's own port dialog, shown modally.
void SelectionDialogsTest::propertiesShowsThePortDialog() {
    f->rememberRs232(2);
    f->session.PortSettings = f->com3.systemState;
    frmSave dialog(f->context(false));
    dialog.show();
    bool missed = false;
    auto choose = [](const char* rate) {
        return [rate](QWidget* portDialog) {
            auto* list = Child<QComboBox>(portDialog, "cboBaudRate");
            list->setCurrentIndex(list->findText(QString::fromLatin1(rate)));
            QTest::mouseClick(Child<QPushButton>(portDialog, "cmdOK"), Qt::LeftButton);
        };
    };
    test::WhenModal(
        QStringLiteral("PortSettingsDialog"),
        [&](QWidget* portDialog) {
            QCOMPARE(portDialog->windowTitle(), QStringLiteral("COM3 Properties"));
            QCOMPARE(Child<QComboBox>(portDialog, "cboBaudRate")->currentText(),
                     QStringLiteral("19200"));
            // Refused: shown again with 110 as the user left it.
            test::WhenModal(
                QStringLiteral("PortSettingsDialog"),
                [&](QWidget* again) {
                    QCOMPARE(Child<QComboBox>(again, "cboBaudRate")->currentText(),
                             QStringLiteral("110"));
                    choose("4800")(again);
                },
                &missed);
            choose("110")(portDialog);
        },
        &missed);
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdProperties"), Qt::LeftButton);
    QVERIFY(!missed);
    QCOMPARE(f->prompter.texts(), std::vector<std::string>{kBaudMessage});
    QCOMPARE(f->session.PortSettings.BaudRate, 4800u);
}

void SelectionDialogsTest::portDialogEditsTheBlock() {
    platform::PortSettings block;
    block.DCBlength = platform::PortSettings::kByteSize;
    block.BaudRate = 4800;
    block.ByteSize = 7;
    block.StopBits = platform::PortSettings::kTwoStopBits;
    block.XonChar = 0x11;
    block.XoffChar = 0x13;
    SetParity(block, platform::PortSettings::kEvenParity);
    SetFlowControl(block, FlowControl::Hardware);
    PortSettingsDialog dialog(QStringLiteral("COM3"), block);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("COM3 Properties"));
    QCOMPARE(Child<QComboBox>(&dialog, "cboBaudRate")->currentText(), QStringLiteral("4800"));
    QCOMPARE(Child<QComboBox>(&dialog, "cboDataBits")->currentText(), QStringLiteral("7"));
    QCOMPARE(Child<QComboBox>(&dialog, "cboParity")->currentText(), QStringLiteral("Even"));
    QCOMPARE(Child<QComboBox>(&dialog, "cboStopBits")->currentText(), QStringLiteral("2"));
    QCOMPARE(Child<QComboBox>(&dialog, "cboFlowControl")->currentText(),
             QStringLiteral("Hardware"));
    // Untouched lists leave the block as it was.
    QVERIFY(dialog.settings() == block);

    dialog.show();
    auto* flow = Child<QComboBox>(&dialog, "cboFlowControl");
    flow->setCurrentIndex(flow->findText(QStringLiteral("None")));
    auto* rate = Child<QComboBox>(&dialog, "cboBaudRate");
    rate->setCurrentIndex(rate->findText(QStringLiteral("19200")));
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdOK"), Qt::LeftButton);
    QVERIFY(dialog.accepted());
    const platform::PortSettings chosen = dialog.settings();
    QCOMPARE(chosen.BaudRate, 19200u);
    QCOMPARE(FlowControlOf(chosen), FlowControl::None);
    QCOMPARE(chosen.ByteSize, std::uint8_t{7});
    QCOMPARE(chosen.XonChar, std::uint8_t{0x11});
    QCOMPARE(chosen.XoffChar, std::uint8_t{0x13});
}

void SelectionDialogsTest::portDialogRestoresDefaultsAndCancels() {
    platform::PortSettings block;
    block.BaudRate = 250000;  // not listed: still shown and kept
    block.ByteSize = 5;
    PortSettingsDialog dialog(QStringLiteral("COM1"), block);
    QCOMPARE(Child<QComboBox>(&dialog, "cboBaudRate")->currentText(), QStringLiteral("250000"));
    QCOMPARE(dialog.settings().BaudRate, 250000u);
    dialog.show();
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdRestoreDefaults"), Qt::LeftButton);
    const platform::PortSettings defaults = dialog.settings();
    QCOMPARE(defaults.BaudRate, 9600u);
    QCOMPARE(defaults.ByteSize, std::uint8_t{8});
    QCOMPARE(defaults.Parity, platform::PortSettings::kNoParity);
    QCOMPARE(defaults.StopBits, platform::PortSettings::kOneStopBit);
    QTest::mouseClick(Child<QPushButton>(&dialog, "cmdCancel"), Qt::LeftButton);
    QVERIFY(!dialog.accepted());
}

}  // namespace magtune::shell
