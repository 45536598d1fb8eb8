// The provisioning window against four simulated readers, each on a
// pseudo-terminal of its own behind a COM link, one of them faulty.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>

#include "app/ProvisionReport.h"
#include "app/ProvisionSession.h"
#include "app/RuntimeConfig.h"
#include "platform/FilePreferencesStore.h"
#include "platform/TempFolder.h"
#include "settings/FakeFileDialog.h"
#include "settings/ui/RecordingHelpViewer.h"
#include "shell/AppState.h"
#include "shell/DesktopProvision.h"
#include "shell/frmMain.h"
#include "shell/frmProvision.h"
#include "shell/select/ModalDriver.h"
#include "support/ChildProcess.h"
#include "support/FakePrompter.h"
#include "support/JsonReader.h"

namespace magtune::shell {

namespace {

namespace fs = std::filesystem;

constexpr int kRunLimitMs = 90000;

const char* const kWrongImage =
    "Verify failed: Beeps and Delays/Beep Tone differs (the setting has \"Medium\", the reader "
    "\"High\").";

const char* const kStoppedConnecting =
    "Stopped while connecting: nothing was written to the reader.";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A row of the window's list as the user reads it.
struct Row {
    QString port, device, baud, time, state, message;
};

// The window over a folder of its own: COM links, reports and screenshots.
struct Bench {
    test::TempFolder folder;
    std::string ports = folder / "ports";
    std::vector<std::unique_ptr<test::ChildProcess>> readers;
    test::FakePrompter prompter;
    test::FakeFileDialog fileDialog;
    settings::SettingStore setting;
    comm::CommOptions options;
    std::unique_ptr<frmProvision> window;

    Bench() : Bench([](Bench& b) { return app::SerialProvisionMachine(b.options, b.ports); }) {}
    explicit Bench(const std::function<app::ProvisionSession::Machine(Bench&)>& machine) {
        fs::create_directory(ports);
        setting.settings.ResetToDefaults();
        window = std::make_unique<frmProvision>(setting, "/work/site-a.cfg", true, machine(*this),
                                                prompter, fileDialog, platform::RealFileSystem());
        window->show();
    }

    bool startReaders(std::vector<std::string> args) {
        args.insert(args.begin(), {MAGTUNE_READER_SIM_PATH, "--link-dir", ports});
        readers.push_back(std::make_unique<test::ChildProcess>(args));
        return !readers.back()->firstLine().empty();
    }

    template <typename Widget>
    Widget* child(const char* name) {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }
    QTreeWidget* list() { return child<QTreeWidget>("lvReaders"); }
    QString summary() { return child<QLabel>("lblSummary")->text(); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }

    std::vector<Row> rows() {
        std::vector<Row> out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list()->topLevelItem(i);
            out.push_back({item->text(0), item->text(1), item->text(2), item->text(3),
                           item->text(4), item->text(5)});
        }
        return out;
    }
    // The window has shown the end: its refresh saw the run finished (after
    // a stop, Stop is off long before that).
    bool finished() {
        return window->session().phase() == app::ProvisionSession::Phase::Finished &&
               !child<QTimer>("tmrRefresh")->isActive();
    }

    // Kept beside the test program, to be looked at.
    void screenshot(const char* name) {
        QDir().mkpath(QStringLiteral(MAGTUNE_SCREENSHOT_DIR));
        QVERIFY(window->grab().save(
            QStringLiteral(MAGTUNE_SCREENSHOT_DIR "/%1.png").arg(QString::fromLatin1(name))));
    }
};

}  // namespace

class ProvisionWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void fourReadersOneHoldingAnotherSetting();
    void badChoicesStartNothing();
    void closingWhileReadersRunStopsAndWaits();
    void stopEndsAConnectScanAndFreesThePort();
    void allPortsTakesOnlyThePortsThatOpen();
    void settingsMenuOpensTheWindowForTheOpenSetting();
    void usbReadersOfTheSimulatedBusInTurn();
    void keysTypedDuringAUsbRunGoToTheReader();
};

void ProvisionWindowTest::fourReadersOneHoldingAnotherSetting() {
    Bench b;
    QVERIFY(
        b.startReaders({"--count", "4", "--reader", "3:wrong-image", "--reader", "2:baud=2400"}));
    QCOMPARE(b.child<QLabel>("lblSetting")->text(),
             QStringLiteral("Setting: /work/site-a.cfg (with its unsaved changes)"));
    QVERIFY(!b.child<QPushButton>("cmdSave")->isEnabled());
    b.child<QLineEdit>("txtComList")->setText(QStringLiteral("1-4"));
    b.click("cmdStart");

    // Under way: the choice is locked, Stop is offered, rows come in.
    QVERIFY(!b.child<QPushButton>("cmdStart")->isEnabled());
    QVERIFY(!b.child<QLineEdit>("txtComList")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(b.list()->topLevelItemCount() == 4 || b.finished(), 10000);
    if (!b.finished()) {
        QVERIFY(b.child<QPushButton>("cmdStop")->isEnabled());
        b.screenshot("provision-running");
    }
    QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
    b.screenshot("provision-finished");

    const auto rows = b.rows();
    QCOMPARE(rows.size(), std::size_t{4});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const QString port = QStringLiteral("COM%1").arg(i + 1);
        QCOMPARE(row.port, port);
        QVERIFY2(row.device.startsWith(QStringLiteral("/dev/")), qPrintable(row.device));
        QCOMPARE(row.baud, i == 1 ? QStringLiteral("2400") : QStringLiteral("9600"));
        QVERIFY2(row.time.endsWith(QLatin1Char('s')), qPrintable(row.time));
        QCOMPARE(row.state, i == 2 ? QStringLiteral("failed") : QStringLiteral("verified"));
        QCOMPARE(row.message, i == 2 ? QString::fromUtf8(kWrongImage) : QString());
    }
    QCOMPARE(b.summary(), QStringLiteral("4 readers: 3 verified, 1 failed."));
    // What the readers had to say is in their rows, not in message boxes.
    QCOMPARE(b.prompter.texts(), std::vector<std::string>{});

    // The report as the command line writes it, in either form.
    QVERIFY(b.child<QPushButton>("cmdSave")->isEnabled());
    const std::string json = b.folder / "report.json";
    const std::string csv = b.folder / "report.csv";
    b.fileDialog.choices = {json, csv, std::nullopt};
    b.click("cmdSave");
    b.click("cmdSave");
    b.click("cmdSave");
    QCOMPARE(b.fileDialog.requests.size(), std::size_t{3});
    QCOMPARE(b.fileDialog.requests[0].kind, settings::FileDialogRequest::Kind::Save);
    QVERIFY(b.fileDialog.requests[0].promptBeforeOverwrite);
    const auto results = b.window->session().results();
    QCOMPARE(ReadText(json), app::ProvisionJson("/work/site-a.cfg", results));
    QCOMPARE(ReadText(csv), app::ProvisionCsv(results));
    const auto report = test::JsonReader::Parse(ReadText(json));
    QVERIFY(report);
    QCOMPARE((*report)["setting"].text, std::string("/work/site-a.cfg"));
    QCOMPARE((*report)["verified"].number, 3.0);
    QCOMPARE((*report)["failed"].number, 1.0);
    QCOMPARE((*report)["readers"].items.at(2)["message"].text, std::string(kWrongImage));
    // Cancelling the last dialog kept the name of the report saved before.
    QCOMPARE(b.child<QLabel>("lblReport")->text(),
             QStringLiteral("The report is in %1.").arg(QString::fromStdString(csv)));

    // A report that cannot be written is said so, and the list stays.
    b.fileDialog.choices = {b.folder / "missing/report.json"};
    b.click("cmdSave");
    QCOMPARE(b.prompter.messages.size(), std::size_t{1});
    QVERIFY2(b.prompter.messages[0].text.starts_with("Failed to write the report " +
                                                     (b.folder / "missing/report.json")),
             b.prompter.messages[0].text.c_str());
    QCOMPARE(b.prompter.messages[0].caption, std::string("Error"));
    QCOMPARE(b.list()->topLevelItemCount(), 4);
}

void ProvisionWindowTest::badChoicesStartNothing() {
    const struct {
        const char* comList;
        bool comPorts;
        const char* devices;
        const char* message;
        const char* focus;
    } cases[] = {
        {"8-1", true, "", "COM ports: \"8-1\": the range 8-1 runs downwards; write 1-8.",
         "txtComList"},
        {"33", true, "", "COM ports: \"33\": there is no COM33 (ports are 1 to 32).", "txtComList"},
        {"", true, "", "COM ports: \"\": no port given.", "txtComList"},
        {"1", true, "/dev/ttyS0 /dev/ttyS0", "Device paths: /dev/ttyS0 is given twice.",
         "txtDevices"},
        {"1", false, "", "Choose the readers: COM ports, device paths or USB readers.",
         "chkComPorts"},
    };
    Bench b;
    QApplication::setActiveWindow(b.window.get());
    QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
    for (const auto& c : cases) {
        b.prompter.clear();
        b.child<QCheckBox>("chkComPorts")->setChecked(c.comPorts);
        b.child<QLineEdit>("txtComList")->setText(QString::fromUtf8(c.comList));
        b.child<QLineEdit>("txtDevices")->setText(QString::fromUtf8(c.devices));
        b.click("cmdStart");
        QCOMPARE(b.prompter.texts(), std::vector<std::string>{c.message});
        QCOMPARE(b.prompter.messages[0].caption, std::string("Error"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(c.focus));
        QCOMPARE(b.window->session().phase(), app::ProvisionSession::Phase::Idle);
        QVERIFY(b.child<QPushButton>("cmdStart")->isEnabled());
    }
}

void ProvisionWindowTest::closingWhileReadersRunStopsAndWaits() {
    Bench b;
    // The silent reader keeps its port busy with a connect scan over every
    // rate, many times longer than the other reader takes to be verified.
    QVERIFY(b.startReaders({"--count", "2", "--reader", "1:silent"}));
    b.child<QLineEdit>("txtComList")->setText(QStringLiteral("1-2"));
    b.click("cmdStart");
    QTRY_VERIFY_WITH_TIMEOUT(b.rows().size() == 2 && b.rows()[1].state == "verified", kRunLimitMs);
    QVERIFY(!b.finished());
    b.window->close();
    // The window stays until the run has ended, Stop is done with.
    QVERIFY(b.window->isVisible());
    QVERIFY(!b.child<QPushButton>("cmdStop")->isEnabled());
    b.screenshot("provision-stopping");
    QTRY_VERIFY_WITH_TIMEOUT(!b.window->isVisible(), kRunLimitMs);
    const auto rows = b.rows();
    QCOMPARE(rows.size(), std::size_t{2});
    // The scan was given up, not run to its end.
    QCOMPARE(rows[0].state, QStringLiteral("failed"));
    QCOMPARE(rows[0].message, QString::fromUtf8(kStoppedConnecting));
    QCOMPARE(rows[1].state, QStringLiteral("verified"));
    QCOMPARE(b.summary(), QStringLiteral("Stopped. 2 readers: 1 verified, 1 failed."));
    QVERIFY(b.prompter.messages.empty());
}

void ProvisionWindowTest::stopEndsAConnectScanAndFreesThePort() {
    Bench b;
    QVERIFY(b.startReaders({"--count", "1", "--reader", "1:silent"}));
    b.child<QLineEdit>("txtComList")->setText(QStringLiteral("1"));
    for (int run = 0; run < 2; ++run) {
        b.click("cmdStart");
        // A port that was not let go would fail at once: "COM1 is not available."
        QTRY_VERIFY_WITH_TIMEOUT(
            b.rows().size() == 1 && b.rows()[0].message == "Connecting to device ...", kRunLimitMs);
        b.click("cmdStop");
        QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
        const auto rows = b.rows();
        QCOMPARE(rows[0].state, QStringLiteral("failed"));
        QCOMPARE(rows[0].message, QString::fromUtf8(kStoppedConnecting));
        QCOMPARE(rows[0].baud, QStringLiteral("-"));
        QCOMPARE(b.summary(), QStringLiteral("Stopped. 1 reader: 1 failed."));
    }
    QVERIFY(b.prompter.messages.empty());
}

void ProvisionWindowTest::allPortsTakesOnlyThePortsThatOpen() {
    Bench b;
    QVERIFY(b.startReaders({"--count", "3", "--reader", "2:nak"}));
    // The other ports lead nowhere, whatever serial ports this machine has.
    for (int n = 4; n <= 32; ++n) {
        fs::create_symlink(b.folder / "unplugged", b.ports + "/COM" + std::to_string(n));
    }
    b.child<QCheckBox>("chkAllPorts")->setChecked(true);
    QVERIFY(!b.child<QLineEdit>("txtComList")->isEnabled());
    b.child<QCheckBox>("chkVerify")->setChecked(false);
    b.click("cmdStart");
    QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
    const auto rows = b.rows();
    QCOMPARE(rows.size(), std::size_t{3});
    QCOMPARE(rows[0].state, QStringLiteral("downloaded"));
    QCOMPARE(rows[1].state, QStringLiteral("failed"));
    QCOMPARE(rows[1].message, QStringLiteral("Download setting failed."));
    QCOMPARE(rows[2].state, QStringLiteral("downloaded"));
    QCOMPARE(b.summary(), QStringLiteral("3 readers: 2 downloaded, 1 failed."));

    // A second run replaces the rows of the first.
    b.child<QCheckBox>("chkVerify")->setChecked(true);
    b.click("cmdStart");
    QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
    QCOMPARE(b.summary(), QStringLiteral("3 readers: 2 verified, 1 failed."));
    QCOMPARE(b.list()->topLevelItemCount(), 3);
}

void ProvisionWindowTest::settingsMenuOpensTheWindowForTheOpenSetting() {
    test::TempFolder folder;
    test::FakePrompter prompter;
    test::RecordingHelpViewer help;
    test::FakeFileDialog fileDialog;
    platform::FilePreferencesStore preferences(folder / "registry.reg");
    AppState state(folder.path, folder.path);
    frmMain window(state, {prompter, help, fileDialog, preferences, platform::RealFileSystem()});
    QVERIFY(window.load());
    auto* provision = window.findChild<QAction*>(QStringLiteral("mnuSettingProvision"));
    QVERIFY(provision != nullptr);
    // Without readers to reach the command is not offered.
    QVERIFY(!provision->isVisible());
    window.setProvisionMachine(app::SerialProvisionMachine(state.options, folder / "ports"));
    QVERIFY(provision->isVisible());
    QCOMPARE(provision->text(), QStringLiteral("&Provision..."));
    // Like Download, it needs an open setting.
    QVERIFY(!provision->isEnabled());
    window.findChild<QAction*>(QStringLiteral("mnuFileNew"))->trigger();
    QVERIFY(provision->isEnabled());

    QString setting;
    bool missed = false;
    test::WhenModal(
        QStringLiteral("frmProvision"),
        [&](QWidget* dialog) {
            setting = dialog->findChild<QLabel*>(QStringLiteral("lblSetting"))->text();
            dialog->close();
        },
        &missed);
    provision->trigger();
    QVERIFY(!missed);
    QCOMPARE(setting,
             QStringLiteral("Setting: %1").arg(QString::fromStdString(folder / "Untitled")));

    // The next opening starts with the readers chosen last time.
    QString comList;
    bool allPorts = true;
    bool verify = true;
    test::WhenModal(
        QStringLiteral("frmProvision"),
        [&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("txtComList"))
                ->setText(QStringLiteral("3-5,9"));
            dialog->findChild<QCheckBox*>(QStringLiteral("chkVerify"))->setChecked(false);
            dialog->close();
        },
        &missed);
    provision->trigger();
    test::WhenModal(
        QStringLiteral("frmProvision"),
        [&](QWidget* dialog) {
            comList = dialog->findChild<QLineEdit*>(QStringLiteral("txtComList"))->text();
            allPorts = dialog->findChild<QCheckBox*>(QStringLiteral("chkAllPorts"))->isChecked();
            verify = dialog->findChild<QCheckBox*>(QStringLiteral("chkVerify"))->isChecked();
            dialog->close();
        },
        &missed);
    provision->trigger();
    QVERIFY(!missed);
    QCOMPARE(comList, QStringLiteral("3-5,9"));
    QVERIFY(!allPorts);
    QVERIFY(!verify);
}

void ProvisionWindowTest::usbReadersOfTheSimulatedBusInTurn() {
    test::TempFolder folder;
    const std::string bus = folder / "bus";
    // The server that the library starts inherits both.
    test::ScopedEnv sim("MAGTUNE_USB_SIM", bus.c_str());
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", folder.path.c_str());
    // Both devices lead to the one simulated reader, which refuses its first
    // download.
    test::ChildProcess reader({MAGTUNE_READER_SIM_PATH, "--usb", bus, "--usb-device",
                               "Tarvik MiniMag", "--usb-device", "Tarvik Desk", "--nak-first",
                               "1"});
    QCOMPARE(reader.firstLine(), bus);
    const app::RuntimeConfig config = app::ReadRuntimeConfig();
    int released = 0;
    Bench b([&](Bench& bench) {
        bench.options.UsbDelay = 1;
        bench.options.DriverDelay = 0;
        return DesktopProvisionMachine(bench.options, config, [&released] { ++released; });
    });
    QVERIFY(!b.child<QCheckBox>("chkUsb")->isHidden());
    b.child<QCheckBox>("chkComPorts")->setChecked(false);
    b.child<QCheckBox>("chkUsb")->setChecked(true);
    b.click("cmdStart");
    QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
    // The reader that the single transfers held was let go first.
    QCOMPARE(released, 1);
    const auto rows = b.rows();
    QCOMPARE(rows.size(), std::size_t{2});
    QCOMPARE(rows[0].port, QStringLiteral("USB 1"));
    QCOMPARE(rows[0].device, QStringLiteral("Tarvik MiniMag"));
    QCOMPARE(rows[0].baud, QStringLiteral("-"));
    QCOMPARE(rows[0].state, QStringLiteral("failed"));
    QCOMPARE(rows[0].message,
             QStringLiteral("Download failed. Please check your device and connection."));
    QCOMPARE(rows[1].port, QStringLiteral("USB 2"));
    QCOMPARE(rows[1].device, QStringLiteral("Tarvik Desk"));
    QCOMPARE(rows[1].state, QStringLiteral("verified"));
    QCOMPARE(b.summary(), QStringLiteral("2 readers: 1 verified, 1 failed."));
    QCOMPARE(b.prompter.texts(), std::vector<std::string>{});
    b.screenshot("provision-usb");
}

// A real USB reader types its answers: while a run with USB readers goes on,
// the keys that reach the window are the reader's, whichever control has the
// focus.
void ProvisionWindowTest::keysTypedDuringAUsbRunGoToTheReader() {
    std::mutex mutex;
    std::condition_variable cv;
    std::string typed;
    auto machine = [&](Bench&) {
        app::ProvisionSession::Machine m;
        // The USB reader never appears: the list is counted but never ends.
        m.readers = [](const app::ProvisionTarget&, common::Prompter&, comm::TransferView&) {
            return nullptr;
        };
        m.usbReaderCount = [&](std::string&) {
            std::unique_lock lock(mutex);
            cv.wait_for(lock, std::chrono::seconds(20), [&] { return typed.size() >= 2; });
            return std::size_t{0};
        };
        m.typed = [&](const std::string& keys) {
            std::lock_guard lock(mutex);
            typed += keys;
            cv.notify_all();
        };
        return m;
    };
    Bench b(machine);
    QApplication::setActiveWindow(b.window.get());
    QVERIFY(QTest::qWaitForWindowActive(b.window.get()));
    b.child<QCheckBox>("chkComPorts")->setChecked(false);
    b.child<QCheckBox>("chkUsb")->setChecked(true);
    b.click("cmdStart");
    QTest::keyClicks(b.list(), QStringLiteral("O"));
    QTest::keyClicks(b.child<QPushButton>("cmdStop"), QStringLiteral("y"));
    QTRY_VERIFY_WITH_TIMEOUT(b.finished(), kRunLimitMs);
    {
        std::lock_guard lock(mutex);
        QCOMPARE(typed, std::string("Oy"));
    }
    // Once the run is over, keys are the window's own again.
    QTest::keyClicks(b.list(), QStringLiteral("N"));
    std::lock_guard lock(mutex);
    QCOMPARE(typed, std::string("Oy"));
}

int RunProvisionWindowTests(int argc, char** argv) {
    ProvisionWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "ProvisionWindowTest.moc"
