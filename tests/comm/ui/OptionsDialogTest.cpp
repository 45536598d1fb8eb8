#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include "comm/ui/frmOptions.h"
#include "support/FakePrompter.h"
#include "support/WidgetDriving.h"

using namespace magtune;
using magtune::test::FakePrompter;

namespace {

using magtune::test::Child;
using magtune::test::Click;
using magtune::test::ShowActive;

void SetBox(QWidget& parent, const char* name, const char* text) {
    Child<QLineEdit>(parent, name)->setText(QString::fromLatin1(text));
}

// A box inside an up-down hands its focus to the up-down.
bool HasFocus(QWidget& dialog, const QString& name) {
    auto* box = Child<QLineEdit>(dialog, qPrintable(name));
    QWidget* focus = dialog.focusWidget();
    return focus && (focus == box || box->focusProxy() == focus);
}

QString Box(QWidget& parent, const char* name) {
    return Child<QLineEdit>(parent, name)->text();
}

comm::CommOptions Customised() {
    comm::CommOptions options;
    options.UsbDelay = 10;
    options.ProtocolDelay = 12;
    options.DriverDelay = 300;
    options.UsbLogEnable = true;
    options.ReadIntervalTimeout = 2000;
    options.ReadTotalTimeoutConstant = 3000;
    return options;
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void opensOnTheUsbPageWithTheOptions();
    void okValidatesAndStores_data();
    void okValidatesAndStores();
    void leavingAPageRunsItsRules_data();
    void leavingAPageRunsItsRules();
    void ctrlTabCyclesThePages();
    void boxesTakeDigitsOnly();
    void upDownsStepWithinTheirRange();
    void cancelAfterDefaultChangesNothing();
    void showsWhereTheTransferLogsGo();
};

void OptionsDialogTest::opensOnTheUsbPageWithTheOptions() {
    comm::CommOptions options = Customised();
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    auto* tabs = Child<QTabBar>(dialog, "tbsOptions");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("USB"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Serial"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(Child<QWidget>(dialog, "picOptions0")->isEnabled());
    QVERIFY(!Child<QWidget>(dialog, "picOptions1")->isEnabled());
    QCOMPARE(Box(dialog, "txtUSBDelay"), QStringLiteral("10"));
    QCOMPARE(Box(dialog, "txtProtocolDelay"), QStringLiteral("12"));
    QCOMPARE(Box(dialog, "txtIntervalTimeout"), QStringLiteral("2000"));
    QCOMPARE(Box(dialog, "txtTotalTimeoutConstant"), QStringLiteral("3000"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdUSBDefault")->text(), QStringLiteral("Default"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdSerialDefault")->text(), QStringLiteral("Default"));
    QCOMPARE(Child<QLabel>(dialog, "lblUSBms")->text(), QStringLiteral("ms"));
    QCOMPARE(Child<QLabel>(dialog, "lblProtocolms")->text(), QStringLiteral("ms"));
    for (const char* label :
         {"lblUSBDelay", "lblProtocolDelay", "lblIntervalTimeout", "lblTotalTimeoutConstant"}) {
        QVERIFY(!Child<QLabel>(dialog, label)->text().isEmpty());
    }
}

void OptionsDialogTest::okValidatesAndStores_data() {
    QTest::addColumn<QString>("usb");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("total");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    const QString range = QStringLiteral("Please input a value between 0 and 5000 ms.");
    QTest::newRow("all in range") << "0"
                                  << "20"
                                  << "0"
                                  << "5000" << true << ""
                                  << "";
    QTest::newRow("interval 6000") << "5"
                                   << "5"
                                   << "6000"
                                   << "1000" << false << "txtIntervalTimeout" << range;
    QTest::newRow("total 6000") << "5"
                                << "5"
                                << "1000"
                                << "6000" << false << "txtTotalTimeoutConstant" << range;
    QTest::newRow("empty total") << "5"
                                 << "5"
                                 << "1000"
                                 << "" << false << "txtTotalTimeoutConstant"
                                 << "";
    QTest::newRow("USB delay 21") << "21"
                                  << "5"
                                  << "1000"
                                  << "1000" << false << "txtUSBDelay"
                                  << "";
    QTest::newRow("protocol delay 4") << "5"
                                      << "4"
                                      << "1000"
                                      << "1000" << false << "txtProtocolDelay"
                                      << "";
    QTest::newRow("USB rules come first") << "5"
                                          << ""
                                          << "6000"
                                          << "1000" << false << "txtProtocolDelay"
                                          << "";
}

void OptionsDialogTest::okValidatesAndStores() {
    QFETCH(QString, usb);
    QFETCH(QString, protocol);
    QFETCH(QString, interval);
    QFETCH(QString, total);
    QFETCH(bool, accepted);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    const comm::CommOptions before = Customised();
    comm::CommOptions options = before;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    SetBox(dialog, "txtUSBDelay", qPrintable(usb));
    SetBox(dialog, "txtProtocolDelay", qPrintable(protocol));
    SetBox(dialog, "txtIntervalTimeout", qPrintable(interval));
    SetBox(dialog, "txtTotalTimeoutConstant", qPrintable(total));
    Click(dialog, "cmdOK");

    QCOMPARE(dialog.accepted(), accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    std::vector<std::string> expected;
    if (!message.isEmpty()) {
        expected.push_back(message.toStdString());
    }
    QCOMPARE(prompter.texts(), expected);
    for (const auto& shown : prompter.messages) {
        QCOMPARE(shown.caption, std::string("Error"));
    }
    if (accepted) {
        comm::CommOptions stored = before;
        stored.UsbDelay = usb.toInt();
        stored.ProtocolDelay = protocol.toInt();
        stored.ReadIntervalTimeout = interval.toInt();
        stored.ReadTotalTimeoutConstant = total.toInt();
        QVERIFY(options == stored);
    } else {
        QVERIFY(options == before);
        QVERIFY(HasFocus(dialog, focus));
        // The box in error is on the page shown.
        QVERIFY(dialog.focusWidget()->isEnabled());
        QVERIFY(dialog.focusWidget()->isVisible());
    }
}

void OptionsDialogTest::leavingAPageRunsItsRules_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty USB delay") << 0 << "txtUSBDelay"
                                     << "" << false << "";
    QTest::newRow("protocol delay 25") << 0 << "txtProtocolDelay"
                                       << "25" << false << "";
    QTest::newRow("valid USB page") << 0 << "txtUSBDelay"
                                    << "0" << true << "";
    QTest::newRow("serial 6000") << 1 << "txtTotalTimeoutConstant"
                                 << "6000" << false
                                 << "Please input a value between 0 and 5000 ms.";
    QTest::newRow("empty serial box") << 1 << "txtIntervalTimeout"
                                      << "" << false << "";
    QTest::newRow("valid serial page") << 1 << "txtIntervalTimeout"
                                       << "5000" << true << "";
}

void OptionsDialogTest::leavingAPageRunsItsRules() {
    QFETCH(int, from);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, changes);
    QFETCH(QString, message);
    comm::CommOptions options;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    auto* tabs = Child<QTabBar>(dialog, "tbsOptions");
    tabs->setCurrentIndex(from);
    QCOMPARE(tabs->currentIndex(), from);
    SetBox(dialog, qPrintable(box), qPrintable(text));

    const int to = 1 - from;
    tabs->setCurrentIndex(to);
    QCOMPARE(tabs->currentIndex(), changes ? to : from);
    const int shown = tabs->currentIndex();
    QVERIFY(Child<QWidget>(dialog, shown == 0 ? "picOptions0" : "picOptions1")->isEnabled());
    QVERIFY(!Child<QWidget>(dialog, shown == 0 ? "picOptions1" : "picOptions0")->isEnabled());
    std::vector<std::string> expected;
    if (!message.isEmpty()) {
        expected.push_back(message.toStdString());
    }
    QCOMPARE(prompter.texts(), expected);
    if (!changes) {
        QVERIFY(HasFocus(dialog, box));
    }
    QVERIFY(options == comm::CommOptions{});
}

void OptionsDialogTest::ctrlTabCyclesThePages() {
    comm::CommOptions options;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    auto* tabs = Child<QTabBar>(dialog, "tbsOptions");
    QTest::keyClick(Child<QWidget>(dialog, "txtUSBDelay"), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 1);
    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 0);
}

void OptionsDialogTest::boxesTakeDigitsOnly() {
    comm::CommOptions options;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    auto* usb = Child<QLineEdit>(dialog, "txtUSBDelay");
    usb->clear();
    QTest::keyClicks(Child<QWidget>(dialog, "updUSBDelay"), "1a-");
    QTest::keyClicks(usb, " 2.");
    QCOMPARE(usb->text(), QStringLiteral("12"));
    QTest::keyClick(usb, Qt::Key_Backspace);
    QCOMPARE(usb->text(), QStringLiteral("1"));

    Child<QTabBar>(dialog, "tbsOptions")->setCurrentIndex(1);
    auto* interval = Child<QLineEdit>(dialog, "txtIntervalTimeout");
    interval->clear();
    QTest::keyClicks(interval, "4x00+0");
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(interval, &accented);
    QCOMPARE(interval->text(), QStringLiteral("4000"));
}

void OptionsDialogTest::upDownsStepWithinTheirRange() {
    comm::CommOptions options;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    auto* usb = Child<QAbstractSpinBox>(dialog, "updUSBDelay");
    auto* protocol = Child<QAbstractSpinBox>(dialog, "updProtocolDelay");
    usb->stepBy(1);
    QCOMPARE(Box(dialog, "txtUSBDelay"), QStringLiteral("6"));
    usb->stepBy(-100);
    QCOMPARE(Box(dialog, "txtUSBDelay"), QStringLiteral("0"));
    protocol->stepBy(100);
    QCOMPARE(Box(dialog, "txtProtocolDelay"), QStringLiteral("20"));
    SetBox(dialog, "txtProtocolDelay", "");
    protocol->stepBy(1);
    QCOMPARE(Box(dialog, "txtProtocolDelay"), QStringLiteral("5"));
    SetBox(dialog, "txtProtocolDelay", "99999999999");
    protocol->stepBy(-1);
    QCOMPARE(Box(dialog, "txtProtocolDelay"), QStringLiteral("20"));
}

void OptionsDialogTest::cancelAfterDefaultChangesNothing() {
    const comm::CommOptions before = Customised();
    comm::CommOptions options = before;
    FakePrompter prompter;
    comm::frmOptions dialog(options, prompter);
    ShowActive(dialog);
    Click(dialog, "cmdUSBDefault");
    QCOMPARE(Box(dialog, "txtUSBDelay"), QStringLiteral("5"));
    QCOMPARE(Box(dialog, "txtProtocolDelay"), QStringLiteral("5"));
    Child<QTabBar>(dialog, "tbsOptions")->setCurrentIndex(1);
    Click(dialog, "cmdSerialDefault");
    QCOMPARE(Box(dialog, "txtIntervalTimeout"), QStringLiteral("1000"));
    QCOMPARE(Box(dialog, "txtTotalTimeoutConstant"), QStringLiteral("1000"));
    Click(dialog, "cmdCancel");
    QVERIFY(!dialog.accepted());
    QVERIFY(!dialog.isVisible());
    QVERIFY(options == before);
}

void OptionsDialogTest::showsWhereTheTransferLogsGo() {
    for (bool enabled : {true, false}) {
        comm::CommOptions options = Customised();
        options.UsbLogEnable = enabled;
        FakePrompter prompter;
        comm::frmOptions dialog(options, prompter, "/home/u/.local/state/magtune", nullptr,
                                "/home/u/.config/magtune/registry.reg");
        ShowActive(dialog);
        auto* label = Child<QLabel>(dialog, "lblLogFolder");
        QVERIFY(label->isVisible());
        // The switch, as the technician writes it into that file.
        QVERIFY(label->text().contains(
            QStringLiteral("\"USB Log Enable\"=dword:0000000%1").arg(enabled ? 0 : 1)));
        QVERIFY(label->text().contains(QStringLiteral("/home/u/.config/magtune/registry.reg")));
        QVERIFY(
            label->text().contains(QStringLiteral("/home/u/.local/state/magtune/USBLog.txt and "
                                                  "/home/u/.local/state/magtune/USBDump.txt")));
        QCOMPARE(label->text().startsWith(QStringLiteral("Transfer logs are written to")), enabled);
    }
}

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
