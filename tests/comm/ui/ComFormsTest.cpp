#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "comm/CommFakes.h"
#include "comm/ProtocolFrames.h"
#include "comm/SerialLink.h"
#include "comm/ui/frmComDn.h"
#include "comm/ui/frmComTest.h"
#include "comm/ui/frmComUp.h"
#include "support/FakePrompter.h"

namespace magtune::comm {

using test::FakePrompter;
using test::FakeSerialPort;

namespace {

bool Written(std::span<const std::uint8_t> data, std::span<const std::uint8_t> frame) {
    return std::equal(data.begin(), data.end(), frame.begin(), frame.end());
}

// What the forms showed at the moments the reader saw a frame.
struct Seen {
    QString status;
    int progress = -1;
    bool waitCursor = false;
};

}  // namespace

class ComFormsTest : public QObject {
    Q_OBJECT

  private:
    FakeSerialPort port;
    SerialSession session;
    CommOptions options;
    test::MemoryFileSystem files;
    TransferLog log{files, "/tmp/USBLog.txt"};
    FakePrompter prompter;
    SerialLink link{session, options, log, prompter};
    test::FakeClock clock;
    settings::ConfigurationImage readerImage{};
    bool answerConnect = true;
    bool answerTransfers = true;
    QWidget* form = nullptr;
    std::vector<Seen> seenAtConnect;
    std::vector<Seen> seenAtTransfer;

    Seen seen() const {
        Seen s;
        if (form != nullptr) {
            s.status = form->findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
            s.progress = form->findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value();
        }
        const QCursor* cursor = QApplication::overrideCursor();
        s.waitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        return s;
    }

    // A reader at 9600 baud that acknowledges the connect frame and the
    // download, and answers the upload request with readerImage.
    void answer(FakeSerialPort& p, std::span<const std::uint8_t> data) {
        if (Written(data, SerialConnectFrame())) {
            seenAtConnect.push_back(seen());
            if (answerConnect) {
                p.input.push_back(kAck);
            }
        } else if (Written(data, SerialUploadRequest())) {
            seenAtTransfer.push_back(seen());
            if (answerTransfers) {
                const auto reply = SerialUploadReply(readerImage);
                p.input.insert(p.input.end(), reply.begin(), reply.end());
            }
        } else if (data.size() == kSerialImageFrameSize) {
            seenAtTransfer.push_back(seen());
            if (answerTransfers) {
                p.input.push_back(kAck);
            }
        }
    }

  private slots:
    void init() {
        port = FakeSerialPort{};
        port.reader = [this](FakeSerialPort& p, std::span<const std::uint8_t> d) { answer(p, d); };
        // Every read a few milliseconds of the reader's time, so that the
        // answer time-outs pass in fewer timer ticks.
        port.onRead = [this] { clock.now += 5; };
        session.SerialPort = std::make_unique<test::PortHandle>(port);
        session.PortSettings.DCBlength = platform::PortSettings::kByteSize;
        session.PortSettings.BaudRate = 9600;
        session.DeviceName = "MSR 100";
        prompter.clear();
        answerConnect = true;
        answerTransfers = true;
        seenAtConnect.clear();
        seenAtTransfer.clear();
        readerImage.fill(0x5A);
    }

    void downloadFormShowsEachStep() {
        settings::ConfigurationImage image{};
        frmComDn dn(link, clock, image);
        form = &dn;
        QCOMPARE(dn.windowTitle(), QStringLiteral("Download Setting (RS232)"));
        QCOMPARE(dn.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value(), 0);
        dn.exec();
        form = nullptr;
        QVERIFY(dn.succeeded());
        QVERIFY(!dn.isVisible());
        QVERIFY(!seenAtConnect.empty());
        QCOMPARE(seenAtConnect[0].status, QStringLiteral("Connecting to device ..."));
        QCOMPARE(seenAtConnect[0].progress, 0);
        QVERIFY(seenAtConnect[0].waitCursor);
        QCOMPARE(seenAtTransfer.size(), std::size_t{1});
        QCOMPARE(seenAtTransfer[0].status, QStringLiteral("Downloading to device ..."));
        QCOMPARE(seenAtTransfer[0].progress, 50);
        QVERIFY(!seenAtTransfer[0].waitCursor);
        QCOMPARE(dn.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Download succeed"));
        QCOMPARE(dn.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value(), 100);
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Download finished successfully."});
        QCOMPARE(prompter.messages[0].caption, std::string("Magtune Reader"));
        // The port stays open for the quick test.
        QVERIFY(session.isPortOpen());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The first frame drawn says what the form does: the status and the
    // bar are there before the event loop runs once.
    void firstFrameShowsTheConnectStep() {
        settings::ConfigurationImage image{};
        struct Case {
            std::unique_ptr<frmComProgress> form;
            QString status;
        };
        Case cases[2];
        cases[0] = {std::make_unique<frmComDn>(link, clock, image), "Connecting to device ..."};
        cases[1] = {std::make_unique<frmComUp>(link, clock, image), "Connecting to MSR 100 ..."};
        for (Case& c : cases) {
            c.form->show();
            auto* status = c.form->findChild<QLabel*>(QStringLiteral("lblStatus"));
            auto* bar = c.form->findChild<QProgressBar*>(QStringLiteral("pgbStatus"));
            const QImage shown = c.form->grab().toImage();
            QCOMPARE(status->text(), c.status);
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->value(), 0);
            QVERIFY(c.form->running());
            // What was grabbed holds the text: without it the form looks
            // different.
            const QString text = status->text();
            status->clear();
            QVERIFY(c.form->grab().toImage() != shown);
            status->setText(text);
            c.form->reject();
            QVERIFY(!c.form->isVisible());
        }
    }

    // Closing the form (close box or Esc) cancels the scan or the transfer:
    // failed, no message, PortSettings and the image as they were.
    void closingCancelsTheTransfer() {
        struct Case {
            const char* when;
            bool upload;
            bool answer;
            bool escape;
        };
        for (const Case c :
             {Case{"scan", false, false, false}, Case{"scan", true, false, true},
              Case{"transfer", false, true, true}, Case{"transfer", true, true, false}}) {
            init();
            answerConnect = c.answer;
            answerTransfers = false;
            session.PortSettings.BaudRate = 9600;
            settings::ConfigurationImage image{};
            image.fill(0x11);
            const settings::ConfigurationImage before = image;
            std::unique_ptr<frmComProgress> form;
            if (c.upload) {
                form = std::make_unique<frmComUp>(link, clock, image);
            } else {
                form = std::make_unique<frmComDn>(link, clock, image);
            }
            int reads = 0;
            port.onRead = [&] {
                clock.now += 5;
                // In the scan: past the first rate; in the transfer: waiting
                // for the answer.
                if (++reads == (c.answer ? 3 : 150)) {
                    QTimer::singleShot(0, form.get(), [&form, &c] {
                        if (c.escape) {
                            QTest::keyClick(form.get(), Qt::Key_Escape);
                        } else {
                            form->close();
                        }
                    });
                }
            };
            form->exec();
            QVERIFY2(!form->transfer().succeeded(), c.when);
            QVERIFY2(form->transfer().cancelled(), c.when);
            QVERIFY2(!form->isVisible(), c.when);
            QVERIFY2(prompter.messages.empty(), c.when);
            QCOMPARE(session.PortSettings.BaudRate, 9600u);
            QCOMPARE(port.appliedStates.empty() ? 9600u : port.appliedStates.back().BaudRate,
                     9600u);
            QVERIFY2(image == before, c.when);
            QVERIFY2(seenAtConnect.size() < 800, c.when);
            QVERIFY2(seenAtTransfer.size() <= 1, c.when);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            QCOMPARE(session.isPortOpen(), !c.upload);
        }
    }

    void downloadFormReportsASilentReader() {
        answerConnect = false;
        settings::ConfigurationImage image{};
        frmComDn dn(link, clock, image);
        dn.exec();
        QVERIFY(!dn.succeeded());
        QVERIFY(!session.DownloadSucceeded);
        // 100 connect frames at each of the eight rates.
        QCOMPARE(seenAtConnect.size(), std::size_t{800});
        QCOMPARE(dn.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Connect failed"));
        QCOMPARE(dn.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value(), 0);
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Failed to connect to device."});
        QCOMPARE(prompter.messages[0].caption, std::string("Error"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void downloadWithoutAnswerSendsThreeTimes() {
        answerTransfers = false;
        settings::ConfigurationImage image{};
        frmComDn dn(link, clock, image);
        dn.exec();
        QVERIFY(!dn.succeeded());
        QCOMPARE(seenAtTransfer.size(), std::size_t{3});
        QCOMPARE(dn.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Download failed"));
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Download setting failed."});
    }

    void uploadFormTakesTheReadersImage() {
        settings::ConfigurationImage image{};
        frmComUp up(link, clock, image);
        form = &up;
        QCOMPARE(up.windowTitle(), QStringLiteral("Upload Setting (RS232)"));
        up.exec();
        form = nullptr;
        QVERIFY(up.succeeded());
        QVERIFY(image == readerImage);
        QCOMPARE(seenAtConnect[0].status, QStringLiteral("Connecting to MSR 100 ..."));
        QCOMPARE(seenAtTransfer[0].status, QStringLiteral("Upload setting from MSR 100 ..."));
        QCOMPARE(seenAtTransfer[0].progress, 50);
        QCOMPARE(up.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Upload succeed"));
        QCOMPARE(up.findChild<QProgressBar*>(QStringLiteral("pgbStatus"))->value(), 100);
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Upload finished successfully."});
        QVERIFY(!session.isPortOpen());
        QVERIFY(port.closed);
    }

    void failedUploadKeepsTheImage() {
        answerTransfers = false;
        settings::ConfigurationImage image{};
        image.fill(0x11);
        const settings::ConfigurationImage before = image;
        frmComUp up(link, clock, image);
        up.exec();
        QVERIFY(!up.succeeded());
        QVERIFY(image == before);
        QCOMPARE(seenAtTransfer.size(), std::size_t{6});
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Upload setting from MSR 100 failed."});
        QVERIFY(!session.isPortOpen());
    }

    void uploadConnectFailureNamesTheDevice() {
        answerConnect = false;
        settings::ConfigurationImage image{};
        frmComUp up(link, clock, image);
        up.exec();
        QCOMPARE(prompter.texts(), std::vector<std::string>{"Failed to connect to MSR 100."});
        QCOMPARE(up.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Connect failed"));
    }

    // The test pad shows the reader's bytes, one line per track ending,
    // until Exit; then the port is closed.
    void testPadShowsWhatTheReaderSendsUntilExit() {
        const std::string card = "%B1234^CARD\r\n;5678?\r\xE9";
        port.input.assign(card.begin(), card.end());
        frmComTest pad(link);
        QCOMPARE(pad.windowTitle(), QStringLiteral("Test Pad (RS232)"));
        auto* exit = pad.findChild<QPushButton*>(QStringLiteral("cmdExit"));
        QVERIFY(exit != nullptr);
        QCOMPARE(exit->text(), QStringLiteral("Exit"));
        int reads = 0;
        port.onRead = [&] {
            // Once the card is shown and the reader is quiet, the user leaves.
            if (port.input.empty() && ++reads == 5) {
                QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
            }
        };
        pad.exec();
        QCOMPARE(pad.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"))->toPlainText(),
                 QString::fromUtf8("%B1234^CARD\n;5678?\n\u00e9"));
        QVERIFY(port.closed);
        QVERIFY(!session.isPortOpen());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void closingTheTestPadEndsItsLoop() {
        for (bool escape : {false, true}) {
            init();
            frmComTest pad(link);
            int reads = 0;
            port.onRead = [&] {
                if (++reads == 3) {
                    QTimer::singleShot(0, &pad, [&pad, escape] {
                        if (escape) {
                            QTest::keyClick(&pad, Qt::Key_Escape);
                        } else {
                            pad.close();
                        }
                    });
                }
            };
            pad.exec();
            QVERIFY(port.closed);
            QVERIFY(!pad.isVisible());
            QVERIFY(reads < 100);
        }
    }

    void testPadEndsWhenThePortFails() {
        port.failReadAt = 4;
        frmComTest pad(link);
        pad.exec();
        QVERIFY(port.closed);
        QCOMPARE(prompter.messages.size(), std::size_t{1});
        QVERIFY(prompter.messages[0].text.rfind("ReadFile():\n", 0) == 0);
    }
};

}  // namespace magtune::comm

QTEST_MAIN(magtune::comm::ComFormsTest)
#include "ComFormsTest.moc"
