#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "comm/CommFakes.h"
#include "comm/FakeUsbReaders.h"
#include "comm/ProtocolFrames.h"
#include "comm/ui/frmUSB.h"
#include "comm/ui/frmUSBDnld.h"
#include "comm/ui/frmUSBUpld.h"
#include "support/FakePrompter.h"

namespace magtune {

using test::FakePrompter;
using test::FakeUsbReaders;
using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kWaitMs = 5000;
const Bytes kWake = {0xEC, 0xEC, 0xEC};

template <typename Frame>
Bytes Concat(const Bytes& head, const Frame& frame) {
    Bytes all = head;
    all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

// Runs the event loop until the form has closed (false when it has not
// within kWaitMs); unlike QTRY_*, without pauses between the timer ticks.
bool WaitUntilClosed(QDialog& form) {
    QEventLoop loop;
    QObject::connect(&form, &QDialog::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    if (form.isVisible()) {
        loop.exec();
    }
    return !form.isVisible();
}

bool WaitCursor() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

}  // namespace

class UsbFormsTest : public QObject {
    Q_OBJECT

  private:
    FakeUsbReaders library;
    test::FakeClock clock;
    FakePrompter prompter;
    CommOptions options;
    test::MemoryFileSystem files;
    TransferLog log{files, "/p/USBLog.txt"};
    TransferLog dump{files, "/p/USBDump.txt"};
    ConfigurationImage image{};
    std::string selectedName;

    UsbTransferContext context() { return {library, clock, prompter, options, log, dump}; }

    static QString status(QWidget& form) {
        return form.findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    }
    static int progress(QWidget& form) {
        return form.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value();
    }
    static QTimer* timer(QWidget& form, const char* name) {
        return form.findChild<QTimer*>(QString::fromLatin1(name));
    }

  private slots:
    void init() {
        library = FakeUsbReaders{};
        prompter = FakePrompter{};
        options = CommOptions{};
        files.files.clear();
        for (std::size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<std::uint8_t>(0xA0 ^ i);
        }
        selectedName.clear();
    }

    // ---- frmUSB ----

    void readerListShowsEveryReaderWithTheSelectedOneCurrent() {
        library.readers = {{"Tarvik One", false}, {"Tarvik Two", true}, {"Tarvik Three", false}};
        frmUSB form(library, clock, prompter, 0, selectedName);
        QCOMPARE(form.windowTitle(), QStringLiteral("Select USB device"));
        auto* list = form.findChild<QComboBox*>(QStringLiteral("cboUSB"));
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->itemText(0), QStringLiteral("1 - Tarvik One"));
        QCOMPARE(list->itemText(2), QStringLiteral("3 - Tarvik Three"));
        QCOMPARE(list->itemData(1).toInt(), 1);
        QCOMPARE(list->itemData(2).toInt(), 0);
        QCOMPARE(list->currentIndex(), 1);
        auto* ok = form.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->text(),
                 QStringLiteral("Cancel"));
        QVERIFY(!WaitCursor());
    }

    void readerNamesFollowTheProgramTitle() {
        library.readers = {{"Tarvik USB Reader", false}};
        frmUSB plain(library, clock, prompter, 0, selectedName);
        QCOMPARE(plain.findChild<QComboBox*>(QStringLiteral("cboUSB"))->itemText(0),
                 QStringLiteral("1 - Tarvik USB Reader"));
        frmUSB branded(library, clock, prompter, 0, selectedName, nullptr, "Ostra Pro");
        QCOMPARE(branded.findChild<QComboBox*>(QStringLiteral("cboUSB"))->itemText(0),
                 QStringLiteral("1 - Quell USB Reader"));
        branded.show();
        QTest::mouseClick(branded.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QVERIFY(branded.chosen());
        QCOMPARE(selectedName, std::string("Quell USB Reader"));
    }

    void okSelectsTheChosenReader() {
        library.readers = {{"Tarvik One", false}, {"Tarvik Two", false}};
        selectedName = "Tarvik One";
        frmUSB form(library, clock, prompter, 1500, selectedName);
        form.show();
        form.findChild<QComboBox*>(QStringLiteral("cboUSB"))->setCurrentIndex(1);
        library.calls.clear();
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QCOMPARE(library.calls, (Strings{"deselect", "select 1"}));
        QCOMPARE(clock.now, std::uint64_t{3000});
        QVERIFY(form.chosen());
        QCOMPARE(selectedName, std::string("Tarvik Two"));
        QVERIFY(!form.isVisible());
        QVERIFY(!WaitCursor());
    }

    void aRefusedSelectionKeepsTheListOpen() {
        library.readers = {{"Tarvik One", false}};
        library.selectFails = true;
        frmUSB form(library, clock, prompter, 0, selectedName);
        form.show();
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QCOMPARE(prompter.texts(), Strings{"Failed to select Tarvik One"});
        QVERIFY(form.isVisible());
        QVERIFY(!form.chosen());
        QVERIFY(!WaitCursor());
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                          Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.chosen());
        QVERIFY(selectedName.empty());
    }

    void noReaderEndsTheListAtOnce() {
        frmUSB form(library, clock, prompter, 0, selectedName);
        // Should exec() wait for the user, this ends it and the test fails.
        QTimer::singleShot(kWaitMs, &form, &QDialog::reject);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QVERIFY(elapsed.elapsed() < kWaitMs);
        QVERIFY(!form.chosen());
        QCOMPARE(prompter.texts(),
                 Strings{"No USB device found. Please check your device connection."});
        QCOMPARE(prompter.messages[0].caption, std::string("Magtune Reader"));
    }

    // ---- frmUSBDnld, frmUSBUpld ----

    void downloadFollowsTheReadersKeys() {
        options.UsbLogEnable = true;
        files.put("/p/USBDump.txt", "old");
        frmUSBDnld form(context(), image);
        QCOMPARE(form.windowTitle(), QStringLiteral("Download Settings (USB)"));
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        QCOMPARE(library.codes, kWake);
        QVERIFY(timer(form, "tmrDnld")->isActive());
        QCOMPARE(timer(form, "tmrDnld")->interval(), 500);
        QCOMPARE(progress(form), 0);
        QVERIFY(WaitCursor());

        QTest::keyClicks(&form, "YO");  // "Y" before "O" is no answer
        QCOMPARE(status(form), QStringLiteral("Sending data, please wait ..."));
        QCOMPARE(progress(form), 50);
        QCOMPARE(library.codes, Concat(kWake, KeyboardDownload(image)));
        QCOMPARE(timer(form, "tmrDnld")->interval(), 20000);
        QVERIFY(form.isVisible());

        QTest::keyClicks(&form, "y");
        QVERIFY(!form.isVisible());
        QVERIFY(form.succeeded());
        QCOMPARE(status(form), QStringLiteral("Download succeed"));
        QCOMPARE(progress(form), 100);
        QCOMPARE(prompter.texts(), Strings{"Download finished successfully."});
        QCOMPARE(prompter.messages[0].caption, std::string("Magtune Reader"));
        QCOMPARE(library.calls.back(), std::string("channel 254"));
        QVERIFY(!timer(form, "tmrDnld")->isActive());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // Every key that reached the form, one a line.
        QCOMPARE(files.text("/p/USBLog.txt"), std::string("Y\nO\ny\n"));
        QCOMPARE(files.text("/p/USBDump.txt"), std::string());
    }

    void aSilentReaderEndsWithTheConnectFailure() {
        frmUSBDnld form(context(), image);
        form.show();
        QVERIFY(WaitUntilClosed(form));
        QVERIFY(!form.succeeded());
        QCOMPARE(prompter.texts(),
                 (Strings{"Failed to connect to device.",
                          "Download failed. Please check your device and connection."}));
        QCOMPARE(library.calls, (Strings{"ready", "channel 253", "channel 254"}));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void aLibraryThatNeverGetsReadyIsPolledAThousandTimes() {
        library.ready = false;
        frmUSBDnld form(context(), image);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Preparing for download ..."),
                                  kWaitMs);
        QVERIFY(WaitUntilClosed(form));
        QCOMPARE(std::count(library.calls.begin(), library.calls.end(), "ready"), 1000);
        QCOMPARE(prompter.texts(),
                 (Strings{"Failed to load USB driver.",
                          "Download failed. Please check your device and connection."}));
    }

    void aRejectedDownloadRetriesFromTheWake() {
        prompter.answers = {Answer::Yes};
        frmUSBDnld form(context(), image);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        QTest::keyClicks(&form, "ON");
        QCOMPARE(prompter.texts(), Strings{"Data or checksum error. Retry?"});
        QCOMPARE(prompter.messages[0].caption, std::string("Error"));
        // The channel was left before the question and is entered afresh.
        QTRY_COMPARE_WITH_TIMEOUT(library.codes.size(), 3 + 260 + 3u, kWaitMs);
        QCOMPARE(Bytes(library.codes.end() - 3, library.codes.end()), kWake);
        QCOMPARE(status(form), QStringLiteral("Connecting to device ..."));
        QTest::keyClicks(&form, "OY");
        QVERIFY(form.succeeded());
        QCOMPARE(library.calls, (Strings{"ready", "channel 253", "channel 254", "ready",
                                         "channel 253", "channel 254"}));
    }

    void uploadTakesLowerCaseDigits() {
        ConfigurationImage readerImage{};
        for (std::size_t i = 0; i < readerImage.size(); ++i) {
            readerImage[i] = static_cast<std::uint8_t>(255 - i);
        }
        frmUSBUpld form(context(), image);
        QCOMPARE(form.windowTitle(), QStringLiteral("Upload Settings (USB)"));
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        QTest::keyClicks(&form, "o");
        QCOMPARE(status(form), QStringLiteral("Receiving data, please wait ..."));
        QCOMPARE(timer(form, "tmrUpld")->interval(), 20000);
        QTest::keyClicks(&form,
                         QString::fromStdString(KeyboardUploadReplyDigits(readerImage)).toLower());
        QVERIFY(form.succeeded());
        QCOMPARE(image, readerImage);
        QCOMPARE(status(form), QStringLiteral("Upload succeed"));
        QCOMPARE(progress(form), 100);
        QCOMPARE(prompter.texts(), Strings{"Upload finished successfully."});
        QVERIFY(!form.isVisible());
    }

    void theUserCannotCloseARunningTransfer() {
        const ConfigurationImage before = image;
        frmUSBUpld form(context(), image);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        form.close();
        form.reject();
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        // It ends in its own time, with the channel left and nothing changed.
        QVERIFY(WaitUntilClosed(form));
        QCOMPARE(library.calls.back(), std::string("channel 254"));
        QCOMPARE(image, before);
    }
};

}  // namespace magtune

QTEST_MAIN(magtune::UsbFormsTest)
#include "UsbFormsTest.moc"
