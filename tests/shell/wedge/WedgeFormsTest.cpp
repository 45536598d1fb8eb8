// The keyboard wedge forms bound to their transfer, the key filter in front
// of the windows, and the whole road through zebapi to the simulated reader
// on the keyboard port.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <numeric>

#include "comm/ProtocolFrames.h"
#include "comm/ui/ReaderKeyEvents.h"
#include "comm/ui/WedgeKeyFilter.h"
#include "comm/ui/frmDnld.h"
#include "comm/ui/frmTest.h"
#include "comm/ui/frmUpld.h"
#include "platform/TempFolder.h"
#include "shell/StartupFiles.h"
#include "shell/WedgeTransportForms.h"
#include "support/ChildProcess.h"
#include "support/FakePrompter.h"
#include "wedge/FakeWedgeLibrary.h"
#include "wedge/WedgeSettings.h"

namespace magtune::shell {

namespace {

using namespace magtune::wedge;

using test::FakePrompter;
using test::FakeWedgeLibrary;

constexpr const char* kDownloadFailed = "Download failed. Please check your device and connection.";
constexpr const char* kUploadFailed = "Upload failed. Please check your device and connection.";

settings::ConfigurationImage PatternImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{0x5A});
    return image;
}

bool IsWake(const std::vector<std::uint8_t>& bytes) {
    const auto wake = comm::WakeSequence();
    return std::equal(bytes.begin(), bytes.end(), wake.begin(), wake.end());
}

// Only the protocol delay sleeps on this clock.
class StillClock : public platform::Clock {
  public:
    std::uint64_t nowMs() override { return 0; }
    void sleepMs(std::uint32_t) override {}
};

// What a form showed at one moment.
struct Seen {
    QString status;
    int progress = -1;
    bool waitCursor = false;
    int interval = -1;
    bool timerActive = false;

    bool operator==(const Seen&) const = default;
};

Seen SeenOn(const QWidget& form, const char* timerName) {
    Seen seen;
    seen.status = form.findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    seen.progress = form.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value();
    const QCursor* cursor = QApplication::overrideCursor();
    seen.waitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    const auto* timer = form.findChild<QTimer*>(QString::fromLatin1(timerName));
    seen.interval = timer->interval();
    seen.timerActive = timer->isActive();
    return seen;
}

// Steps a shown form's timer by hand until the transfer ends; false when
// it runs away.
bool RunToEnd(comm::frmWedgeTransfer& form, int ticks = 1000) {
    for (int i = 0; i < ticks && form.running(); ++i) {
        form.timerFired();
    }
    return !form.running();
}

}  // namespace

class WedgeFormsTest : public QObject {
    Q_OBJECT

  private:
    FakeWedgeLibrary library;
    StillClock clock;
    FakePrompter prompter;
    settings::ConfigurationImage image = PatternImage();

    // A reader that answers the wake bytes with "O" and everything else
    // with `answer`.
    void answerWith(std::function<std::string(const std::vector<std::uint8_t>&)> answer) {
        library.reader = [answer](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
            l.type(IsWake(bytes) ? "O" : answer(bytes));
        };
    }

  private slots:
    void init() {
        library = FakeWedgeLibrary();
        prompter = FakePrompter();
        image = PatternImage();
    }

    void cleanup() {
        // A form that failed a test must not leave its pointer behind.
        while (QApplication::overrideCursor() != nullptr) {
            QApplication::restoreOverrideCursor();
        }
    }

    void downloadFormFollowsItsTransfer() {
        comm::frmDnld form(library, clock, prompter, 5, image);
        QCOMPARE(form.windowTitle(), QStringLiteral("Download Settings (AT/PS2)"));
        QCOMPARE(form.objectName(), QStringLiteral("frmDnld"));
        std::vector<Seen> atSend;
        library.reader = [&](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
            atSend.push_back(SeenOn(form, "tmrDnld"));
            l.type(IsWake(bytes) ? "O" : "Y");
        };
        QVERIFY(!form.succeeded());
        form.show();
        // Activation: phase "Init" after 1 ms.
        QCOMPARE(SeenOn(form, "tmrDnld"), (Seen{"", 0, false, 1, true}));
        form.timerFired();
        QCOMPARE(SeenOn(form, "tmrDnld"), (Seen{"Connecting to device ...", 0, true, 20, true}));
        form.timerFired();
        QCOMPARE(SeenOn(form, "tmrDnld"),
                 (Seen{"Sending data, please wait ...", 50, true, 200, true}));
        form.timerFired();
        QCOMPARE(SeenOn(form, "tmrDnld"), (Seen{"Download succeed", 100, false, 200, false}));

        // The timer was off while each frame went out.
        QCOMPARE(atSend, (std::vector<Seen>{
                             {"Connecting to device ...", 0, false, 1, false},
                             {"Sending data, please wait ...", 50, true, 20, false},
                         }));
        QVERIFY(form.succeeded());
        QVERIFY(form.isHidden());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(prompter.texts(), (std::vector<std::string>{"Download finished successfully."}));
        QCOMPARE(library.calls.back(), std::string("ZebUnloadDriver"));
        const auto frame = comm::KeyboardDownload(image);
        QCOMPARE(library.sends.back(), std::vector<std::uint8_t>(frame.begin(), frame.end()));
    }

    void uploadFormReplacesTheImageOnlyWhenChecked() {
        const settings::ConfigurationImage readerImage = PatternImage();
        const std::string reply = comm::KeyboardUploadReplyDigits(readerImage);
        struct Case {
            const char* what;
            std::string typed;
            bool succeeded;
            std::vector<std::string> texts;
        };
        // One digit typed wrong: the check byte no longer matches.
        std::string wrongDigit = reply;
        wrongDigit[10] = wrongDigit[10] == '0' ? '1' : '0';
        const std::vector<Case> cases = {
            {"checked", reply, true, {"Upload finished successfully."}},
            {"wrong check", wrongDigit, false, {"Data or checksum error. Retry?", kUploadFailed}},
        };
        for (const auto& c : cases) {
            init();
            image.fill(0xEE);
            const settings::ConfigurationImage before = image;
            answerWith([&](const std::vector<std::uint8_t>&) { return c.typed; });
            prompter.answers = {common::Answer::No};
            comm::frmUpld form(library, clock, prompter, 5, image);
            QCOMPARE(form.windowTitle(), QStringLiteral("Upload Settings (AT/PS2)"));
            form.show();
            QVERIFY2(RunToEnd(form), c.what);
            QCOMPARE(form.succeeded(), c.succeeded);
            QCOMPARE(prompter.texts(), c.texts);
            QCOMPARE(image, c.succeeded ? readerImage : before);
            const Seen end = SeenOn(form, "tmrUpld");
            QCOMPARE(end.progress, c.succeeded ? 100 : 50);
            QVERIFY(!end.waitCursor);
            QVERIFY(!end.timerActive);
            QVERIFY(form.isHidden());
        }
    }

    void retryAfterATimeOutStartsOverFromTheWakeBytes() {
        int frames = 0;
        std::vector<Seen> atWake;
        comm::frmDnld form(library, clock, prompter, 5, image);
        library.reader = [&](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
            if (IsWake(bytes)) {
                atWake.push_back(SeenOn(form, "tmrDnld"));
                l.type("O");
            } else if (++frames == 2) {
                l.type("Y");
            }
        };
        prompter.answers = {common::Answer::Yes};
        form.show();
        QVERIFY(RunToEnd(form));
        QVERIFY(form.succeeded());
        QCOMPARE(frames, 2);
        QCOMPARE(prompter.texts(), (std::vector<std::string>{"Time out error. Retry?",
                                                             "Download finished successfully."}));
        QCOMPARE(prompter.messages[0].caption, std::string("Error"));
        QCOMPARE(prompter.messages[0].buttons, common::MessageButtons::YesNo);
        // The restart shows the connect step again from the start.
        QCOMPARE(atWake.size(), std::size_t{2});
        QCOMPARE(atWake[1].status, QStringLiteral("Connecting to device ..."));
        QCOMPARE(atWake[1].progress, 0);
        QVERIFY(!atWake[1].waitCursor);
    }

    void aFailedLoadEndsTheFormAtOnce() {
        library.failing = {"ZebLoadDriver0"};
        library.errorText = "Unable to open the driver,\nNo such device";
        comm::frmUpld form(library, clock, prompter, 5, image);
        form.show();
        form.timerFired();
        QVERIFY(!form.running());
        QVERIFY(form.isHidden());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(
            prompter.texts(),
            (std::vector<std::string>{"ZebLoadDriver()\nUnable to open the driver,\nNo such device",
                                      kUploadFailed}));
        QVERIFY(!form.findChild<QTimer*>(QStringLiteral("tmrUpld"))->isActive());
    }

    void theUserCannotCloseARunningTransfer() {
        answerWith([](const std::vector<std::uint8_t>&) { return std::string(); });
        prompter.answers = {common::Answer::No};
        comm::frmDnld form(library, clock, prompter, 5, image);
        form.show();
        form.timerFired();
        form.close();
        form.reject();
        QVERIFY(form.isVisible());
        QVERIFY(form.running());
        QVERIFY(form.findChild<QTimer*>(QStringLiteral("tmrDnld"))->isActive());
        // Its finish lets go of the keyboard and stops the timer.
        QVERIFY(RunToEnd(form));
        QVERIFY(form.isHidden());
        QVERIFY(!form.findChild<QTimer*>(QStringLiteral("tmrDnld"))->isActive());
        QCOMPARE(prompter.texts(),
                 (std::vector<std::string>{"Time out error. Retry?", kDownloadFailed}));
        QCOMPARE(std::vector<std::string>(library.calls.end() - 2, library.calls.end()),
                 (std::vector<std::string>{"ZebEnableEcho(0)", "ZebUnloadDriver"}));
    }

    void aFormDestroyedMidTransferRestoresThePointer() {
        answerWith([](const std::vector<std::uint8_t>&) { return std::string(); });
        {
            comm::frmUpld form(library, clock, prompter, 5, image);
            form.show();
            form.timerFired();
            QVERIFY(QApplication::overrideCursor() != nullptr);
        }
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void testPadCaptionNamesTheInterface() {
        const std::vector<std::pair<std::int32_t, QString>> cases = {
            {settings::InterfaceCode::KeyboardWedge, QStringLiteral("Test Pad (AT/PS2)")},
            {settings::InterfaceCode::Usb, QStringLiteral("Test Pad (USB)")},
            {settings::InterfaceCode::Rs232, QStringLiteral("Test Pad (USB)")},
        };
        for (const auto& [interface, caption] : cases) {
            comm::frmTest form(interface);
            QCOMPARE(form.windowTitle(), caption);
        }
    }

    void testPadShowsTypedCardsUntilExit() {
        comm::frmTest form(settings::InterfaceCode::KeyboardWedge);
        form.show();
        auto* text = form.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"));
        QTest::keyClicks(text, "%B1234^DOE/J?");
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, ";1234=99?");
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(form.isVisible());
        QCOMPARE(text->toPlainText(), QStringLiteral("%B1234^DOE/J?\n;1234=99?\n"));
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
        QVERIFY(form.isHidden());
    }

    void keyFilterHandsKeysToTheHookAndSwallowsCapturedOnes() {
        struct Call {
            std::uint8_t virtualKey;
            std::uint8_t scanCode;
            bool down;
            bool operator==(const Call&) const = default;
        };
        std::vector<Call> calls;
        bool capture = false;
        comm::WedgeKeyFilter filter([&](std::uint8_t vk, std::uint8_t scan, bool down) {
            calls.push_back({vk, scan, down});
            return capture;
        });
        QLineEdit edit;
        edit.show();
        qApp->installEventFilter(&filter);

        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("a"));
        QVERIFY(calls.size() >= 2);
        QCOMPARE(calls.front(), (Call{'A', 0x1E, true}));

        capture = true;
        calls.clear();
        for (Qt::Key key : {Qt::Key_O, Qt::Key_7, Qt::Key_Return, Qt::Key_F5}) {
            QTest::keyClick(&edit, key);
        }
        QCOMPARE(edit.text(), QStringLiteral("a"));
        QCOMPARE(calls, (std::vector<Call>{{'O', 0x18, true},
                                           {'O', 0x18, false},
                                           {'7', 0x08, true},
                                           {'7', 0x08, false},
                                           {0x0D, 0x1C, true},
                                           {0x0D, 0x1C, false},
                                           {0, 0, true},
                                           {0, 0, false}}));

        // On a French desk the reader's "1" types "&": the hook still gets
        // the key of the 1.
        calls.clear();
        QKeyEvent french1(QEvent::KeyPress, Qt::Key_Ampersand, Qt::NoModifier, 10, 0, 0, "&");
        QApplication::sendEvent(&edit, &french1);
        QCOMPARE(calls, (std::vector<Call>{{'1', 0x02, true}}));
        qApp->removeEventFilter(&filter);
    }

    void keyStrokesComeFromX11KeyCodesWhenThereAreAny() {
        const QKeyEvent x11Key(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 38, 0, 0);
        const QKeyEvent synthesized(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0, 0, 0);
        const QKeyEvent arrow(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, 111, 0, 0);
        // An X11 key code names the key itself, whatever the layout calls it.
        const auto x11 = comm::NativeKeyCodes::EvdevPlus8;
        QCOMPARE(comm::KeyStrokeOfEvent(x11Key, x11), (wedge::KeyStroke{'A', 0x1E}));
        QCOMPARE(comm::KeyStrokeOfEvent(x11Key, comm::NativeKeyCodes::None),
                 (wedge::KeyStroke{'Q', 0x10}));
        QCOMPARE(comm::KeyStrokeOfEvent(synthesized, x11), (wedge::KeyStroke{'Q', 0x10}));
        QVERIFY(!comm::KeyStrokeOfEvent(arrow, x11).has_value());
    }
};

// zebapi loaded by name and the simulated reader on the keyboard port.
class WedgeRoadTest : public QObject {
    Q_OBJECT

  private:
    test::TempFolder folder;
    test::ScopedEnv registry{"MAGTUNE_REGISTRY_FILE", (folder / "registry.reg").c_str()};
    test::ScopedEnv socket{"ZEBAPI_SIM_SOCKET", (folder / "port").c_str()};
    std::unique_ptr<test::ChildProcess> reader;
    wedge::ZebApiLibrary zebApi;
    FakePrompter prompter;
    settings::SettingStore store;
    comm::CommOptions options;

  private slots:
    void initTestCase() {
        reader = std::make_unique<test::ChildProcess>(std::vector<std::string>{
            MAGTUNE_READER_SIM_PATH, "--wedge", folder / "port", "--save", folder / "held.cfg"});
        QCOMPARE(reader->firstLine(), folder / "port");
    }

    void downloadThenUploadReturnsTheSameImage() {
        WedgeTransportForms wedge(zebApi, store, options, prompter, platform::SystemClock(),
                                  nullptr);
        // A transfer that runs away is ended well before the test's limit.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialog->done(QDialog::Rejected);
            }
        });
        const settings::ConfigurationImage sent = PatternImage();
        store.image = sent;
        watchdog.start(20000);
        QVERIFY(wedge.download(store.image));
        store.image.fill(0);
        watchdog.start(20000);
        QVERIFY(wedge.upload(store.image));
        QCOMPARE(store.image, sent);
        QCOMPARE(prompter.texts(), (std::vector<std::string>{"Download finished successfully.",
                                                             "Upload finished successfully."}));
    }

    void keysAreSwallowedOnlyWhileTheLibraryCaptures() {
        WedgeTransportForms wedge(zebApi, store, options, prompter, platform::SystemClock(),
                                  nullptr);
        QLineEdit edit;
        edit.show();
        QCOMPARE(zebApi.ZebLoadDriver0(), 1);
        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(edit.text(), QString());
        char keys[16] = {};
        char scans[16] = {};
        QCOMPARE(zebApi.ZebGetEchoChars(keys, scans, sizeof keys), 2);
        QCOMPARE(QByteArray(scans), QByteArray("\x2D\x2D"));
        QCOMPARE(QByteArray(keys), QByteArray("XX"));

        QCOMPARE(zebApi.ZebEnableEcho(0), 1);
        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(edit.text(), QStringLiteral("x"));
        QCOMPARE(zebApi.ZebUnloadDriver(), 1);
        QTest::keyClick(&edit, Qt::Key_Y);
        QCOMPARE(edit.text(), QStringLiteral("xy"));
    }

    void theEchoFileRemovedAtStartIsTheLibrarysTrace() {
        QCOMPARE(WedgeEchoFilePath(), wedge::DefaultEchoTraceFile());
    }

    void theProgramsEndUnloadsADriverLeftLoaded() {
        WedgeTransportForms wedge(zebApi, store, options, prompter, platform::SystemClock(),
                                  nullptr);
        // Nothing ran: the end of the program does not touch the library.
        wedge.releaseDevices();
        store.image = PatternImage();
        QVERIFY(wedge.download(store.image));
        QCOMPARE(zebApi.ZebLoadDriver0(), 1);
        wedge.releaseDevices();
        // Unloaded: it loads again.
        QCOMPARE(zebApi.ZebLoadDriver0(), 1);
        QCOMPARE(zebApi.ZebUnloadDriver(), 1);
    }
};

}  // namespace magtune::shell

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    magtune::shell::WedgeFormsTest forms;
    magtune::shell::WedgeRoadTest road;
    int failures = QTest::qExec(&forms, argc, argv);
    failures += QTest::qExec(&road, argc, argv);
    return failures == 0 ? 0 : 1;
}

#include "WedgeFormsTest.moc"
