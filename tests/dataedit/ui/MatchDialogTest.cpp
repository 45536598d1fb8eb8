#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dataedit/ui/DialogSupport.h"
#include "dataedit/ui/DialogTestSupport.h"
#include "dataedit/ui/frmMatch.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {

class MatchDialogTest : public QObject {
    Q_OBJECT

    test::ScriptedInput input_;
    test::FakePrompter prompter_;
    test::RecordingHelp help_;

  private slots:
    void init() {
        input_ = {};
        prompter_ = {};
        help_ = {};
    }

    void opensOnANewMatch() {
        MatchQualifier match;
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Define Match"));
        QVERIFY(test::child<QRadioButton>(&dialog, "optPos")->isChecked());
        QVERIFY(test::child(&dialog, "txtPos")->isVisible());
        QVERIFY(!test::child(&dialog, "chkMinus")->isVisible());
        QVERIFY(!test::child(&dialog, "txtLastPos")->isVisible());
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtPos"));
        const std::vector<std::pair<const char*, const char*>> captions = {
            {"optPos", "Position"},
            {"optAnyPos", "Any Position"},
            {"optLastPos", "Last Position"},
            {"chkMinus", "Minus"},
            {"cmdOK", "OK"},
            {"cmdCancel", "Cancel"},
            {"cmdHelp", "Help"}};
        for (const auto& [name, caption] : captions) {
            QCOMPARE(test::child<QAbstractButton>(&dialog, name)->text(), QString(caption));
        }
        QVERIFY(!dialog.result());
    }

    void reopensAStoredMatch() {
        MatchQualifier match{
            false, MatchKind::LastPosition, 0, {false, OffsetSign::Minus, 2}, "AB"};
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        QVERIFY(test::child<QRadioButton>(&dialog, "optLastPos")->isChecked());
        QVERIFY(test::child<QCheckBox>(&dialog, "chkMinus")->isChecked());
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtLastPos")->text(), QString("2"));
        QVERIFY(test::child(&dialog, "txtLastPos")->isVisible());
        QVERIFY(!test::child(&dialog, "txtPos")->isVisible());
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtMatchStr")->text(), QString("AB"));
    }

    void optionsShowTheirBoxes() {
        MatchQualifier match;
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        test::child<QLineEdit>(&dialog, "txtPos")->setText("4");
        test::child<QRadioButton>(&dialog, "optAnyPos")->click();
        QVERIFY(!test::child(&dialog, "txtPos")->isVisible());
        QVERIFY(!test::child(&dialog, "chkMinus")->isVisible());
        QVERIFY(!test::child(&dialog, "txtLastPos")->isVisible());
        test::child<QRadioButton>(&dialog, "optLastPos")->click();
        QVERIFY(test::child(&dialog, "chkMinus")->isVisible());
        QVERIFY(!test::child(&dialog, "txtLastPos")->isVisible());
        test::child<QCheckBox>(&dialog, "chkMinus")->click();
        QVERIFY(test::child(&dialog, "txtLastPos")->isVisible());
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtLastPos"));
        test::child<QCheckBox>(&dialog, "chkMinus")->click();
        QVERIFY(!test::child(&dialog, "txtLastPos")->isVisible());
        test::child<QRadioButton>(&dialog, "optPos")->click();
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtPos"));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtPos")->text(),
                 QString("4"));  // kept while hidden
    }

    void okRefuses_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("position");
        QTest::addColumn<bool>("minus");
        QTest::addColumn<QString>("minusValue");
        QTest::addColumn<QString>("matchString");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("empty position") << "optPos"
                                        << "" << false << ""
                                        << ""
                                        << "Please input start position."
                                        << "txtPos";
        QTest::newRow("not a number") << "optPos"
                                      << "7a" << false << ""
                                      << "A"
                                      << "Please input an integer value."
                                      << "txtPos";
        QTest::newRow("negative") << "optPos"
                                  << "-3" << false << ""
                                  << "A"
                                  << "Start position must be greater than or equal to 1."
                                  << "txtPos";
        QTest::newRow("beyond the format") << "optPos"
                                           << "128" << false << ""
                                           << "A"
                                           << "Start position must be less than or equal to 127."
                                           << "txtPos";
        QTest::newRow("no string after a position") << "optPos"
                                                    << "2" << false << ""
                                                    << ""
                                                    << "Please input match string."
                                                    << "txtMatchStr";
        QTest::newRow("no string") << "optAnyPos"
                                   << "" << false << ""
                                   << ""
                                   << "Please input match string."
                                   << "txtMatchStr";
        QTest::newRow("minus empty") << "optLastPos"
                                     << "" << true << ""
                                     << "A"
                                     << "Please input last position minus value."
                                     << "txtLastPos";
        QTest::newRow("minus zero") << "optLastPos"
                                    << "" << true << "0"
                                    << "A"
                                    << "Value must be greater than or equal to 1."
                                    << "txtLastPos";
        QTest::newRow("too long at the end") << "optLastPos"
                                             << "" << false << ""
                                             << "AB"
                                             << "Match string too long."
                                             << "";
    }

    void okRefuses() {
        QFETCH(QString, option);
        QFETCH(QString, position);
        QFETCH(bool, minus);
        QFETCH(QString, minusValue);
        QFETCH(QString, matchString);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        // Like a real message box, the message takes the activation away
        // and gives it back; the focus then is on the box in error.
        test::WindowedPrompter prompter;
        MatchQualifier match;
        frmMatch dialog(match, input_, prompter, help_);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        test::child<QRadioButton>(&dialog, option.toUtf8().constData())->click();
        test::child<QLineEdit>(&dialog, "txtPos")->setText(position);
        test::child<QCheckBox>(&dialog, "chkMinus")->setChecked(minus);
        test::child<QLineEdit>(&dialog, "txtLastPos")->setText(minusValue);
        test::child<QLineEdit>(&dialog, "txtMatchStr")->setText(matchString);
        test::child<QLineEdit>(&dialog, "txtMatchStr")->setFocus();
        test::child<QPushButton>(&dialog, "cmdOK")->click();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCoreApplication::processEvents();
        QCOMPARE(prompter.messages.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(prompter.messages[0].text), message);
        QCOMPARE(QString::fromStdString(prompter.messages[0].caption), QString("Error"));
        QVERIFY(prompter.messages[0].icon == common::MessageIcon::Warning);
        // "Match string too long." leaves the focus where it was.
        const QString expectedFocus = focus.isEmpty() ? "txtMatchStr" : focus;
        QCOMPARE(dialog.focusWidget()->objectName(), expectedFocus);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.result());
        QCOMPARE(match, MatchQualifier{});
    }

    void okStores() {
        MatchQualifier match;
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        test::child<QLineEdit>(&dialog, "txtPos")->setText(" 007 ");
        test::child<QLineEdit>(&dialog, "txtMatchStr")->setText("<d>");
        test::child<QPushButton>(&dialog, "cmdOK")->click();
        QVERIFY(prompter_.messages.empty());
        QVERIFY(dialog.result());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(match, (MatchQualifier{false, MatchKind::AtPosition, 7, {}, "<d>"}));

        // "Minus" 3 takes up to four bytes; "<d>" counts as one.
        MatchQualifier last;
        frmMatch second(last, input_, prompter_, help_);
        test::child<QRadioButton>(&second, "optLastPos")->click();
        test::child<QCheckBox>(&second, "chkMinus")->click();
        test::child<QLineEdit>(&second, "txtLastPos")->setText("3");
        test::child<QLineEdit>(&second, "txtMatchStr")->setText("<d><d>AB");
        test::child<QPushButton>(&second, "cmdOK")->click();
        QVERIFY(prompter_.messages.empty());
        QVERIFY(second.result());
        QCOMPARE(MatchText(last), std::string("<#>-3,\"<d><d>AB\""));
    }

    void cancelAndHelp() {
        MatchQualifier match{false, MatchKind::AnyPosition, 0, {}, "A"};
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        test::child<QPushButton>(&dialog, "cmdHelp")->click();
        QCOMPARE(help_.topics, std::vector<std::string>{"::/html/defmatch.htm"});
        test::child<QRadioButton>(&dialog, "optPos")->click();
        test::child<QLineEdit>(&dialog, "txtPos")->setText("1");
        test::child<QPushButton>(&dialog, "cmdCancel")->click();
        QVERIFY(!dialog.result());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(match, (MatchQualifier{false, MatchKind::AnyPosition, 0, {}, "A"}));
    }

    void matchBoxOpensTheInputOnAClick() {
        MatchQualifier match{false, MatchKind::AnyPosition, 0, {}, "xy"};
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        auto* box = test::child<QLineEdit>(&dialog, "txtMatchStr");
        input_.accept("x<d>y", 4);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
        QCOMPARE(input_.opened.size(), std::size_t{1});
        const settings::InputBlock& block = input_.opened[0];
        QCOMPARE(QString::fromStdString(block.InputLabel), QString("Match String"));
        QCOMPARE(QString::fromStdString(block.InputText), QString("xy"));
        QCOMPARE(int(block.InputKey), 0);
        QCOMPARE(int(block.InputCaret), 2);  // clicked after the text
        QCOMPARE(box->text(), QString("x<d>y"));
        QCOMPARE(box->cursorPosition(), 4);

        input_.cancel();
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(box->text(), QString("x<d>y"));  // a cancelled input changes nothing
    }

    void matchBoxPassesTheKeyTyped() {
        MatchQualifier match{false, MatchKind::AnyPosition, 0, {}, "xy"};
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        auto* box = test::child<QLineEdit>(&dialog, "txtMatchStr");
        box->setFocus();
        box->setCursorPosition(1);
        input_.accept("xAy", 2);
        QTest::keyClick(box, 'A');
        QCOMPARE(input_.opened.size(), std::size_t{1});
        QCOMPARE(int(input_.opened[0].InputKey), 65);
        QCOMPARE(int(input_.opened[0].InputCaret), 1);
        QCOMPARE(box->text(), QString("xAy"));  // the key itself went nowhere else
        input_.cancel();
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(int(input_.opened.back().InputKey), 8);
        QTest::keyClick(box, Qt::Key_Left);  // moving the caret opens nothing
        QCOMPARE(input_.opened.size(), std::size_t{2});
    }

    void matchBoxRefusesFormulaCodes() {
        MatchQualifier match;
        frmMatch dialog(match, input_, prompter_, help_);
        dialog.show();
        auto* box = test::child<QLineEdit>(&dialog, "txtMatchStr");
        input_.accept("AB<C8>");
        input_.accept("AB");
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(prompter_.messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(prompter_.messages[0].text)
                    .startsWith("The codes <C4>, <C5> and <C8>"));
        QCOMPARE(input_.opened.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(input_.opened[1].InputText),
                 QString("AB<C8>"));  // offered again
        QCOMPARE(box->text(), QString("AB"));
    }
};

int runMatchDialogTest(int argc, char** argv) {
    MatchDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::dataedit

#include "MatchDialogTest.moc"
