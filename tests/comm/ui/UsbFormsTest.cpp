#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <map>

#include "comm/CommFakes.h"
#include "comm/FakeUsbReaders.h"
#include "comm/ProtocolFrames.h"
#include "comm/ui/ReaderKeyEvents.h"
#include "comm/ui/frmUSB.h"
#include "comm/ui/frmUSBDnld.h"
#include "comm/ui/frmUSBUpld.h"
#include "support/FakePrompter.h"

namespace magtune::comm {

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

// A key as X11 reports it: the Linux input code of the key plus 8, and the
// text that the desktop's layout makes of it.
struct LayoutKey {
    quint32 x11Code;
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

void Type(QWidget& form, const LayoutKey& typed) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, typed.key, typed.modifiers, typed.x11Code, 0, 0, typed.text);
        QApplication::sendEvent(&form, &event);
    }
}

// What a reader's US keystrokes come to on a French desk: the digits are the
// shifted characters of the top row there, and A sits where Q is.
LayoutKey FrenchKey(char c) {
    static const std::map<char, LayoutKey> keys = {
        {'1', {10, Qt::Key_Ampersand, "&"}},
        {'2', {11, Qt::Key_Eacute, "\u00e9"}},
        {'3', {12, Qt::Key_QuoteDbl, "\""}},
        {'4', {13, Qt::Key_Apostrophe, "'"}},
        {'5', {14, Qt::Key_ParenLeft, "("}},
        {'6', {15, Qt::Key_Minus, "-"}},
        {'7', {16, Qt::Key_Egrave, "\u00e8"}},
        {'8', {17, Qt::Key_Underscore, "_"}},
        {'9', {18, Qt::Key_Ccedilla, "\u00e7"}},
        {'0', {19, Qt::Key_Agrave, "\u00e0"}},
        {'A', {38, Qt::Key_Q, "Q", Qt::ShiftModifier}},
        {'B', {56, Qt::Key_B, "B", Qt::ShiftModifier}},
        {'C', {54, Qt::Key_C, "C", Qt::ShiftModifier}},
        {'D', {40, Qt::Key_D, "D", Qt::ShiftModifier}},
        {'E', {26, Qt::Key_E, "E", Qt::ShiftModifier}},
        {'F', {41, Qt::Key_F, "F", Qt::ShiftModifier}},
        {'O', {32, Qt::Key_O, "O", Qt::ShiftModifier}},
    };
    return keys.at(c);
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
    settings::ConfigurationImage image{};
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
        prompter.answers = {common::Answer::Yes};
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
        settings::ConfigurationImage readerImage{};
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

    void aGermanDeskTakesTheReadersYByItsKey() {
        options.UsbLogEnable = true;
        frmUSBDnld form(context(), image);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        Type(form, {32, Qt::Key_O, "O", Qt::ShiftModifier});
        QCOMPARE(status(form), QStringLiteral("Sending data, please wait ..."));
        // The German layout swaps Y and Z: the key where the reader's Z is
        // types "y" there and is no answer; the reader's Y types "z".
        Type(form, {52, Qt::Key_Y, "y"});
        QVERIFY(form.isVisible());
        Type(form, {29, Qt::Key_Z, "Z", Qt::ShiftModifier});
        QVERIFY(!form.isVisible());
        QVERIFY(form.succeeded());
        QCOMPARE(files.text("/p/USBLog.txt"), std::string("O\nz\nY\n"));
    }

    void aFrenchDeskTakesTheReadersDigitsByTheirKeys() {
        settings::ConfigurationImage readerImage{};
        for (std::size_t i = 0; i < readerImage.size(); ++i) {
            readerImage[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        frmUSBUpld form(context(), image);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(status(form), QStringLiteral("Connecting to device ..."),
                                  kWaitMs);
        Type(form, FrenchKey('O'));
        QCOMPARE(status(form), QStringLiteral("Receiving data, please wait ..."));
        for (char digit : KeyboardUploadReplyDigits(readerImage)) {
            Type(form, FrenchKey(digit));
        }
        QVERIFY(form.succeeded());
        QCOMPARE(image, readerImage);
        QCOMPARE(prompter.texts(), Strings{"Upload finished successfully."});
    }

    void keysWithoutANativeCodeAreKnownByTheirQtKey() {
        // Synthesized events and platforms without physical key codes.
        const auto none = NativeKeyCodes::None;
        const auto x11 = NativeKeyCodes::EvdevPlus8;
        const QKeyEvent french1(QEvent::KeyPress, Qt::Key_Ampersand, Qt::NoModifier, 10, 0, 0, "&");
        const QKeyEvent synthesized(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, 0, 0, 0, "y");
        const QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 9, 0, 0, "\x1b");
        const QKeyEvent arrow(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, 111, 0, 0);
        const QKeyEvent other(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, 20, 0, 0, "-");
        QCOMPARE(ReaderCharactersOfEvent(french1, x11), std::string("1"));
        QCOMPARE(ReaderCharactersOfEvent(french1, none), std::string("&"));
        QCOMPARE(ReaderCharactersOfEvent(synthesized, x11), std::string("y"));
        QCOMPARE(ReaderCharactersOfEvent(escape, x11), std::string("\x1b"));
        QCOMPARE(ReaderCharactersOfEvent(arrow, x11), std::string());
        QCOMPARE(ReaderCharactersOfEvent(other, x11), std::string("-"));
    }

    void theUserCannotCloseARunningTransfer() {
        const settings::ConfigurationImage before = image;
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

}  // namespace magtune::comm

QTEST_MAIN(magtune::comm::UsbFormsTest)
#include "UsbFormsTest.moc"
