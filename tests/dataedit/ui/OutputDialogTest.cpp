#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dataedit/ui/DialogTestSupport.h"
#include "dataedit/ui/frmOStr.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {

class OutputDialogTest : public QObject {
    Q_OBJECT

    test::ScriptedInput input_;
    test::FakePrompter prompter_;
    test::RecordingHelp help_;

    void setText(QWidget* dialog, const char* name, const QString& text) {
        test::child<QLineEdit>(dialog, name)->setText(text);
    }
    void click(QWidget* dialog, const char* name) {
        test::child<QAbstractButton>(dialog, name)->click();
    }
    bool checked(QWidget* dialog, const char* name) {
        return test::child<QAbstractButton>(dialog, name)->isChecked();
    }
    bool shown(QWidget* dialog, const char* name) { return test::child(dialog, name)->isVisible(); }

  private slots:
    void init() {
        input_ = {};
        prompter_ = {};
        help_ = {};
    }

    void opensOnANewOutput() {
        OutputString output;
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Output From Original Data"));
        QVERIFY(checked(&dialog, "optStaFrom"));
        QVERIFY(checked(&dialog, "optEndNumber"));
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtStaFrom"));
        for (const char* name : {"txtStaFrom", "txtEndNumber"}) {
            QVERIFY2(shown(&dialog, name), name);
        }
        for (const char* name : {"chkStaMinus", "txtStaMinus", "txtStaMatch", "chkStaOffset",
                                 "fraStaOffset", "txtStaOffset", "chkEndMinus", "txtEndMinus",
                                 "txtEndMatch", "chkEndOffset", "fraEndOffset", "txtEndOffset"}) {
            QVERIFY2(!shown(&dialog, name), name);
        }
        const std::vector<std::pair<const char*, const char*>> captions = {
            {"optStaFrom", "From Position"},
            {"optStaLast", "From Last Position"},
            {"optStaMatch", "After Matching"},
            {"chkStaMinus", "Minus"},
            {"chkStaOffset", "Use Offset"},
            {"optStaPlus", "+"},
            {"optStaMinus", "-"},
            {"optEndNumber", "Number Of Characters To Output"},
            {"optEndLast", "All Remaining"},
            {"optEndMatch", "After Matching"},
            {"chkEndMinus", "Minus"},
            {"chkEndOffset", "Use Offset"},
            {"optEndPlus", "+"},
            {"optEndMinus", "-"},
            {"cmdOK", "OK"},
            {"cmdCancel", "Cancel"},
            {"cmdHelp", "Help"}};
        for (const auto& [name, caption] : captions) {
            QCOMPARE(test::child<QAbstractButton>(&dialog, name)->text(), QString(caption));
        }
        const QList<QGroupBox*> frames = dialog.findChildren<QGroupBox*>();
        QStringList titles;
        for (const QGroupBox* frame : frames) {
            titles << frame->title();
        }
        QVERIFY(titles.contains("Start Parameter"));
        QVERIFY(titles.contains("End Parameter"));
    }

    void reopensAStoredOutput() {
        OutputString output;
        output.empty = false;
        output.kind = OutputKind::FromOriginal;
        output.start = {false, SpecKind::AfterMatch, 0, "=", {false, OffsetSign::Minus, 1}};
        output.end = {false, SpecKind::LastPosition, 0, {}, {false, OffsetSign::Minus, 2}};
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        QVERIFY(checked(&dialog, "optStaMatch"));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtStaMatch")->text(), QString("="));
        QVERIFY(checked(&dialog, "chkStaOffset"));
        QVERIFY(checked(&dialog, "optStaMinus"));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtStaOffset")->text(), QString("1"));
        QVERIFY(shown(&dialog, "fraStaOffset"));
        QVERIFY(checked(&dialog, "optEndLast"));
        QVERIFY(checked(&dialog, "chkEndMinus"));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtEndMinus")->text(), QString("2"));
        QVERIFY(dialog.focusWidget() != test::child(&dialog, "txtStaFrom"));
        click(&dialog, "cmdOK");
        QVERIFY(dialog.result());
        QCOMPARE(OutputText(output), std::string("O-STR,\"=\"-1,<#>-2"));
    }

    void optionsShowTheirBoxes() {
        OutputString output;
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "optStaMatch");
        QVERIFY(!shown(&dialog, "txtStaFrom"));
        QVERIFY(shown(&dialog, "txtStaMatch"));
        QVERIFY(shown(&dialog, "chkStaOffset"));
        QVERIFY(!shown(&dialog, "fraStaOffset"));
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtStaMatch"));
        click(&dialog, "chkStaOffset");
        QVERIFY(shown(&dialog, "fraStaOffset"));
        QVERIFY(shown(&dialog, "txtStaOffset"));
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtStaOffset"));
        click(&dialog, "optEndLast");
        QVERIFY(shown(&dialog, "chkEndMinus"));
        QVERIFY(!shown(&dialog, "txtEndMinus"));
        QVERIFY(!shown(&dialog, "txtEndNumber"));
        click(&dialog, "chkEndMinus");
        QVERIFY(shown(&dialog, "txtEndMinus"));
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtEndMinus"));
        click(&dialog, "optStaLast");
        QVERIFY(!shown(&dialog, "txtStaMatch"));
        QVERIFY(!shown(&dialog, "fraStaOffset"));
        QVERIFY(!shown(&dialog, "txtStaOffset"));
        QVERIFY(shown(&dialog, "chkStaMinus"));
    }

    void switchingKeepsHiddenTextsButStoresTheSelectedOption() {
        OutputString output;
        output.empty = false;
        output.kind = OutputKind::FromOriginal;
        output.start = {false, SpecKind::AfterMatch, 0, "=", {false, OffsetSign::Plus, 1}};
        output.end = {false, SpecKind::Number, 4, {}, {}};
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "optStaFrom");
        setText(&dialog, "txtStaFrom", "2");
        click(&dialog, "optStaMatch");
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtStaMatch")->text(), QString("="));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtStaOffset")->text(), QString("1"));
        click(&dialog, "optStaFrom");
        click(&dialog, "cmdOK");
        QVERIFY(dialog.result());
        QCOMPARE(OutputText(output), std::string("O-STR,2,4"));
        QVERIFY(output.start.matchString.empty());
    }

    void okRefuses_data() {
        QTest::addColumn<QStringList>("actions");  // "name" clicks, "name=text" fills a box
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("start empty") << QStringList{} << "Please input start position."
                                     << "txtStaFrom";
        QTest::newRow("start -3") << QStringList{"txtStaFrom=-3", "txtEndNumber=1"}
                                  << "Position must be greater than or equal to 1."
                                  << "txtStaFrom";
        QTest::newRow("start 128") << QStringList{"txtStaFrom=128", "txtEndNumber=1"}
                                   << "Position must be less than or equal to 127."
                                   << "txtStaFrom";
        QTest::newRow("minus empty") << QStringList{"optStaLast", "chkStaMinus", "txtEndNumber=1"}
                                     << "Please input minus value."
                                     << "txtStaMinus";
        QTest::newRow("no pattern")
            << QStringList{"optStaMatch", "txtEndNumber=1"} << "Please input string pattern."
            << "txtStaMatch";
        QTest::newRow("offset 0") << QStringList{"optStaMatch", "txtStaMatch==", "chkStaOffset",
                                                 "txtStaOffset=0", "txtEndNumber=1"}
                                  << "Offset must be greater than or equal to 1."
                                  << "txtStaOffset";
        QTest::newRow("end empty")
            << QStringList{"txtStaFrom=1"} << "Please input number of characters to output."
            << "txtEndNumber";
        QTest::newRow("end x") << QStringList{"txtStaFrom=1", "txtEndNumber=x"}
                               << "Please input an integer value."
                               << "txtEndNumber";
        QTest::newRow("end 0") << QStringList{"txtStaFrom=1", "txtEndNumber=0"}
                               << "Number must be greater than or equal to 1."
                               << "txtEndNumber";
        QTest::newRow("end minus 0")
            << QStringList{"txtStaFrom=1", "optEndLast", "chkEndMinus", "txtEndMinus=0"}
            << "Value must be greater than or equal to 1."
            << "txtEndMinus";
        QTest::newRow("end offset")
            << QStringList{"txtStaFrom=1", "optEndMatch", "txtEndMatch=^", "chkEndOffset"}
            << "Please input offset."
            << "txtEndOffset";
        QTest::newRow("43 after a match")
            << QStringList{"optStaMatch", "txtStaMatch==", "txtEndNumber=43"}
            << "The number of characters to output cannot be 43 or 45 after \"After Matching\" "
               "without \"Use Offset\": the reader would take it for an offset."
            << "txtEndNumber";
        QTest::newRow("45 after the last position")
            << QStringList{"optStaLast", "txtEndNumber=45"}
            << "The number of characters to output cannot be 45 after \"From Last Position\" "
               "without \"Minus\": the reader would take it for the minus value."
            << "txtEndNumber";
    }

    void okRefuses() {
        QFETCH(QStringList, actions);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        // Like a real message box, the message takes the activation away
        // and gives it back; the focus then is on the box in error.
        test::WindowedPrompter prompter;
        OutputString output;
        frmOStr dialog(output, input_, prompter, help_);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        for (const QString& action : actions) {
            const qsizetype eq = action.indexOf('=');
            const QByteArray name = action.left(eq < 0 ? action.size() : eq).toUtf8();
            if (eq < 0) {
                click(&dialog, name.constData());
            } else {
                setText(&dialog, name.constData(), action.mid(eq + 1));
            }
        }
        click(&dialog, "cmdOK");
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCoreApplication::processEvents();
        QCOMPARE(prompter.messages.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(prompter.messages[0].text), message);
        QCOMPARE(QString::fromStdString(prompter.messages[0].caption), QString("Error"));
        QCOMPARE(dialog.focusWidget()->objectName(), focus);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.result());
        QCOMPARE(output, OutputString{});
    }

    void okStores() {
        OutputString output;
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "optStaMatch");
        input_.accept("=");
        QTest::mouseClick(test::child(&dialog, "txtStaMatch"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(input_.opened.at(0).InputLabel), QString("Match String"));
        click(&dialog, "chkStaOffset");
        setText(&dialog, "txtStaOffset", "+1");
        click(&dialog, "optEndLast");
        click(&dialog, "chkEndMinus");
        setText(&dialog, "txtEndMinus", "1");
        click(&dialog, "cmdOK");
        QVERIFY(prompter_.messages.empty());
        QVERIFY(dialog.result());
        QCOMPARE(OutputText(output), std::string("O-STR,\"=\"+1,<#>-1"));
        QVERIFY(!output.empty);
        QCOMPARE(output.kind, OutputKind::FromOriginal);
    }

    void cancelAndHelp() {
        OutputString output;
        frmOStr dialog(output, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "cmdHelp");
        QCOMPARE(help_.topics, std::vector<std::string>{"::/html/output.htm"});
        setText(&dialog, "txtStaFrom", "1");
        setText(&dialog, "txtEndNumber", "1");
        click(&dialog, "cmdCancel");
        QVERIFY(!dialog.result());
        QCOMPARE(output, OutputString{});
    }
};

int runOutputDialogTest(int argc, char** argv) {
    OutputDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::dataedit

#include "OutputDialogTest.moc"
