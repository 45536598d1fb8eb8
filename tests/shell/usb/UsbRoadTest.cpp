// The USB road of the desktop program against magtune-reader-sim: the real
// OruUsbHidCtrl and its server (both beside this test), the simulated bus,
// and the reader's keys typed into the forms.

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "shell/AppState.h"
#include "shell/UsbTransportForms.h"
#include "shell/select/ModalDriver.h"
#include "support/ChildProcess.h"
#include "support/FakePrompter.h"
#include "usbhid/client/UsbHidLibrary.h"

namespace magtune::shell {

using test::FakePrompter;
using test::WhenModal;
using Strings = std::vector<std::string>;

class UsbRoadTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir folder;
    std::unique_ptr<test::ChildProcess> reader;
    FakePrompter prompter;
    std::unique_ptr<AppState> state;
    std::unique_ptr<usbhid::UsbHidLibrary> library;
    std::unique_ptr<UsbTransportForms> usb;

    std::string path(const char* name) const {
        return QFile::encodeName(folder.filePath(QString::fromLatin1(name))).toStdString();
    }

    // frmUSB with reader `row` (0-based) taken by OK.
    bool choose(int row) {
        bool missed = false;
        WhenModal(
            QStringLiteral("frmUSB"),
            [row](QWidget* form) {
                form->findChild<QComboBox*>(QStringLiteral("cboUSB"))->setCurrentIndex(row);
                QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                                  Qt::LeftButton);
            },
            &missed);
        return usb->chooseDevice() && !missed;
    }

    void fill(std::uint8_t seed) {
        for (std::size_t i = 0; i < state->store.image.size(); ++i) {
            state->store.image[i] = static_cast<std::uint8_t>(seed + 3 * i);
        }
    }

  private slots:
    void initTestCase() {
        QVERIFY(folder.isValid());
        const std::string bus = path("bus");
        // The server that the library starts inherits both.
        qputenv("MAGTUNE_USB_SIM", QByteArray::fromStdString(bus));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
        // The first download is answered "N".
        reader = std::make_unique<test::ChildProcess>(std::vector<std::string>{
            MAGTUNE_READER_SIM_PATH, "--usb", bus, "--usb-device", "Tarvik MiniMag", "--usb-device",
            "Tarvik Desk", "--nak-first", "1", "--save", path("saved.cfg")});
        QCOMPARE(reader->firstLine(), bus);

        state = std::make_unique<AppState>(platform::ProgramFolder(), path(""));
        state->options.UsbDelay = 1;
        state->options.DriverDelay = 0;
        state->store.CurrentInterface = 3;
        library = std::make_unique<usbhid::UsbHidLibrary>(prompter);
        // The simulated reader's keys come from the bus that the program's
        // configuration names.
        usb = std::make_unique<UsbTransportForms>(*state, *library, prompter,
                                                  platform::RealFileSystem(),
                                                  platform::SystemClock(), nullptr, bus);
    }

    void init() { prompter = FakePrompter{}; }

    void aRejectedDownloadIsRetriedFromTheWake() {
        QVERIFY(choose(1));
        QCOMPARE(state->SelectedUsbName, std::string("Tarvik Desk"));
        fill(7);
        prompter.answers = {common::Answer::Yes};
        QVERIFY(usb->download(state->store.image));
        QCOMPARE(prompter.texts(),
                 (Strings{"Data or checksum error. Retry?", "Download finished successfully."}));
        platform::SystemError error;
        const auto saved = platform::RealFileSystem().readFile(path("saved.cfg"), error);
        QVERIFY(saved.has_value());
        QVERIFY(std::equal(saved->begin(), saved->end(), state->store.image.begin(),
                           state->store.image.end()));
    }

    void aDownloadThenAnUploadReturnsTheSameImage() {
        // The selected reader is the current entry: OK takes it as it is.
        QVERIFY(choose(1));
        fill(0x31);
        const settings::ConfigurationImage sent = state->store.image;
        QVERIFY(usb->download(state->store.image));
        state->store.image.fill(0);
        QVERIFY(choose(1));
        QVERIFY(usb->upload(state->store.image));
        QCOMPARE(state->store.image, sent);
        QCOMPARE(prompter.texts(),
                 (Strings{"Download finished successfully.", "Upload finished successfully."}));
    }

    void theTestPadServesUsb() {
        bool missed = false;
        QString caption;
        WhenModal(
            QStringLiteral("frmTest"),
            [&caption](QWidget* form) {
                caption = form->windowTitle();
                QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("cmdExit")),
                                  Qt::LeftButton);
            },
            &missed);
        usb->testPad();
        QVERIFY(!missed);
        QCOMPARE(caption, QStringLiteral("Test Pad (USB)"));
    }

    void theProgramsEndLetsTheReaderGo() {
        usb->releaseDevices();
        QVERIFY(state->SelectedUsbName.empty());
        QCOMPARE(library->UsbHidGetAvailableDeviceList(), 2);
        char name[256];
        std::uint8_t flag = 1;
        QCOMPARE(library->UsbHidEnumDeviceList(1, name, &flag), 1);
        QCOMPARE(flag, std::uint8_t{0});
        library->UsbHidReleaseDeviceList();
        QVERIFY(prompter.messages.empty());
    }

    void cleanupTestCase() {
        usb.reset();
        reader.reset();
    }
};

}  // namespace magtune::shell

QTEST_MAIN(magtune::shell::UsbRoadTest)
#include "UsbRoadTest.moc"
