#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dataedit/ui/DialogTestSupport.h"
#include "dataedit/ui/frmFmula.h"
#include "dataedit/ui/frmMatch.h"
#include "dataedit/ui/frmOStr.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {

namespace {

// IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER
Formula exampleFormula() {
    Formula formula;
    formula.empty = false;
    formula.inputIds[21] = 1;
    formula.minLength = 10;
    formula.maxLength = 40;
    formula.matches.push_back({false, MatchKind::AtPosition, 1, {}, "<d>"});
    formula.outputs.push_back({false, OutputKind::Literal, "ID:", {}, {}});
    OutputString piece;
    piece.empty = false;
    piece.kind = OutputKind::FromOriginal;
    piece.start = {false, SpecKind::Number, 2, {}, {}};
    piece.end = {false, SpecKind::Number, 5, {}, {}};
    formula.outputs.push_back(piece);
    return formula;
}

}  // namespace

class FormulaDialogTest : public QObject {
    Q_OBJECT

    test::ScriptedInput input_;
    test::FakePrompter prompter_;
    test::RecordingHelp help_;

    QListWidget* list(QWidget* dialog, const char* name) {
        return test::child<QListWidget>(dialog, name);
    }
    void click(QWidget* dialog, const char* name) {
        test::child<QAbstractButton>(dialog, name)->click();
    }
    bool shown(QWidget* dialog, const char* name) { return test::child(dialog, name)->isVisible(); }
    QString lastMessage() const {
        return prompter_.messages.empty() ? QString()
                                          : QString::fromStdString(prompter_.messages.back().text);
    }

  private slots:
    void init() {
        input_ = {};
        prompter_ = {};
        help_ = {};
    }

    void opensOnANewFormula() {
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Define Formula"));
        QCOMPARE(test::rowTexts(list(&dialog, "lstInpId")),
                 (QStringList{"MSR Track 1", "MSR Track 2", "MSR Track 3", "All MSR Input",
                              "All Input"}));
        QVERIFY(list(&dialog, "lstInpId")->selectionMode() == QAbstractItemView::MultiSelection);
        for (const char* name :
             {"lstInpId", "lblMin", "lblMax", "txtMinLen", "txtMaxLen", "lstMatch", "cmdAddMatch",
              "cmdDelMatch", "cmdMatchUp", "cmdMatchDown"}) {
            QVERIFY2(!shown(&dialog, name), name);
        }
        for (const char* name : {"chkInpId", "chkLength", "chkMatch"}) {
            QVERIFY2(!test::child<QCheckBox>(&dialog, name)->isChecked(), name);
        }
        QCOMPARE(list(&dialog, "lstOutput")->count(), 0);

        struct Control {
            const char* name;
            const char* caption;
            const char* tip;
        };
        const std::vector<Control> controls = {
            {"chkInpId", "Input ID", ""},
            {"chkLength", "Length", ""},
            {"chkMatch", "Match", ""},
            {"cmdAddMatch", "Add", "add match"},
            {"cmdDelMatch", "Del", "delete match"},
            {"cmdMatchUp", "", "move up"},
            {"cmdMatchDown", "", "move down"},
            {"cmdSimplyAdd", "Add New", "add new output"},
            {"cmdFromOrig", "From Original", "pick from original data"},
            {"cmdDelete", "Delete", "delete output"},
            {"cmdOutputUp", "", "move up"},
            {"cmdOutputDown", "", "move down"},
            {"cmdOK", "OK", ""},
            {"cmdCancel", "Cancel", ""},
            {"cmdHelp", "Help", ""}};
        for (const Control& control : controls) {
            auto* button = test::child<QAbstractButton>(&dialog, control.name);
            QVERIFY2(button, control.name);
            QCOMPARE(button->text(), QString(control.caption));
            QCOMPARE(button->toolTip(), QString(control.tip));
        }
        QCOMPARE(test::child<QLabel>(&dialog, "lblMin")->text(), QString("Min:"));
        QCOMPARE(test::child<QLabel>(&dialog, "lblMax")->text(), QString("Max:"));
        QStringList titles;
        for (const QGroupBox* frame : dialog.findChildren<QGroupBox*>()) {
            titles << frame->title();
        }
        QCOMPARE(titles, (QStringList{"Qualifier", "Modifier"}));
    }

    void opensOnAStoredFormula() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        QVERIFY(test::child<QCheckBox>(&dialog, "chkInpId")->isChecked());
        QVERIFY(shown(&dialog, "lstInpId"));
        const QList<QListWidgetItem*> selected = list(&dialog, "lstInpId")->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0]->text(), QString("MSR Track 2"));
        QVERIFY(test::child<QCheckBox>(&dialog, "chkLength")->isChecked());
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtMinLen")->text(), QString("10"));
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtMaxLen")->text(), QString("40"));
        QVERIFY(test::child<QCheckBox>(&dialog, "chkMatch")->isChecked());
        QVERIFY(shown(&dialog, "cmdMatchDown"));
        QCOMPARE(test::rowTexts(list(&dialog, "lstMatch")), QStringList{"1,\"<d>\""});
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")), (QStringList{"\"ID:\"", "O-STR,2,5"}));

        click(&dialog, "cmdOK");
        QVERIFY(dialog.result());
        QCOMPARE(formula, exampleFormula());
    }

    void checkBoxesShowAndHideButKeepValues() {
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "chkLength");
        for (const char* name : {"lblMin", "lblMax", "txtMinLen", "txtMaxLen"}) {
            QVERIFY2(shown(&dialog, name), name);
        }
        QCOMPARE(dialog.focusWidget(), test::child(&dialog, "txtMinLen"));
        test::child<QLineEdit>(&dialog, "txtMinLen")->setText("3");
        click(&dialog, "chkLength");
        QVERIFY(!shown(&dialog, "txtMinLen"));
        click(&dialog, "chkLength");
        QCOMPARE(test::child<QLineEdit>(&dialog, "txtMinLen")->text(), QString("3"));
        click(&dialog, "chkInpId");
        QVERIFY(shown(&dialog, "lstInpId"));
        click(&dialog, "chkMatch");
        QVERIFY(shown(&dialog, "lstMatch"));
        QVERIFY(shown(&dialog, "cmdAddMatch"));
        click(&dialog, "chkMatch");
        QVERIFY(!shown(&dialog, "cmdMatchUp"));
    }

    void okRefuses_data() {
        QTest::addColumn<QStringList>("checks");
        QTest::addColumn<QString>("minText");
        QTest::addColumn<QString>("maxText");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QStringList length{"chkLength"};
        QTest::newRow("no input id") << QStringList{"chkInpId"} << ""
                                     << ""
                                     << "Please check input id."
                                     << "lstInpId";
        QTest::newRow("no minimum") << length << ""
                                    << "5"
                                    << "Please input minimum length."
                                    << "txtMinLen";
        QTest::newRow("7a") << length << "7a"
                            << "9"
                            << "Please input an integer value."
                            << "txtMinLen";
        QTest::newRow("0") << length << "0"
                           << "9"
                           << "Minimum length must be greater than or equal to 1."
                           << "txtMinLen";
        QTest::newRow("128") << length << "128"
                             << "9"
                             << "Minimum length out of range."
                             << "txtMinLen";
        QTest::newRow("no maximum") << length << "5"
                                    << " "
                                    << "Please input maximum length."
                                    << "txtMaxLen";
        QTest::newRow("max 7a") << length << "5"
                                << "7a"
                                << "Please input an integer value."
                                << "txtMaxLen";
        QTest::newRow("max -1") << length << "5"
                                << "-1"
                                << "Maximum length must be greater than or equal to 1."
                                << "txtMaxLen";
        QTest::newRow("max 128") << length << "5"
                                 << "128"
                                 << "Maximum length out of range."
                                 << "txtMaxLen";
        QTest::newRow("6 and 5") << length << "6"
                                 << "5"
                                 << "Minimum length cannot be greater than maximum length."
                                 << "txtMinLen";
        QTest::newRow("no match") << QStringList{"chkMatch"} << ""
                                  << ""
                                  << "Please define match qualifier."
                                  << "lstMatch";
        QTest::newRow("nothing defined") << QStringList{} << ""
                                         << ""
                                         << ""
                                         << "";
    }

    void okRefuses() {
        QFETCH(QStringList, checks);
        QFETCH(QString, minText);
        QFETCH(QString, maxText);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        for (const QString& name : checks) {
            click(&dialog, name.toUtf8().constData());
        }
        test::child<QLineEdit>(&dialog, "txtMinLen")->setText(minText);
        test::child<QLineEdit>(&dialog, "txtMaxLen")->setText(maxText);
        test::child(&dialog, "cmdHelp")->setFocus();
        click(&dialog, "cmdOK");
        if (message.isEmpty()) {
            QVERIFY(prompter_.messages.empty());
            QCOMPARE(dialog.focusWidget()->objectName(), QString("cmdHelp"));
        } else {
            QCOMPARE(prompter_.messages.size(), std::size_t{1});
            QCOMPARE(lastMessage(), message);
            QCOMPARE(QString::fromStdString(prompter_.messages[0].caption), QString("Error"));
            QVERIFY(prompter_.messages[0].icon == common::MessageIcon::Warning);
            QCOMPARE(dialog.focusWidget()->objectName(), focus);
        }
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.result());
        QCOMPARE(formula, Formula{});
    }

    void okStoresLengthAndInputIds_data() {
        QTest::addColumn<QString>("minText");
        QTest::addColumn<QString>("maxText");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::newRow("5 and 5") << "5"
                                 << "5" << 5 << 5;
        QTest::newRow("+7") << "+7"
                            << " 127" << 7 << 127;
    }

    void okStoresLengthAndInputIds() {
        QFETCH(QString, minText);
        QFETCH(QString, maxText);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "chkInpId");
        list(&dialog, "lstInpId")->item(0)->setSelected(true);
        list(&dialog, "lstInpId")->item(4)->setSelected(true);
        click(&dialog, "chkLength");
        test::child<QLineEdit>(&dialog, "txtMinLen")->setText(minText);
        test::child<QLineEdit>(&dialog, "txtMaxLen")->setText(maxText);
        click(&dialog, "cmdOK");
        QVERIFY(prompter_.messages.empty());
        QVERIFY(dialog.result());
        QVERIFY(!formula.empty);
        QCOMPARE(int(formula.minLength), minimum);
        QCOMPARE(int(formula.maxLength), maximum);
        QCOMPARE(FormulaText(formula).substr(0, 14), std::string("IN_ID,20,27,LE"));
    }

    void uncheckingMatchRemovesTheMatchesOnOk() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "chkMatch");
        QCOMPARE(list(&dialog, "lstMatch")->count(), 1);   // the row stays
        QCOMPARE(formula.matches.size(), std::size_t{1});  // until OK
        click(&dialog, "cmdOK");
        QVERIFY(dialog.result());
        QVERIFY(formula.matches.empty());
        QCOMPARE(FormulaText(formula), std::string("IN_ID,21,LEN,10,40,\"ID:\",O-STR,2,5,ENTER"));
    }

    void deleteAsksWithNoAsTheDefault() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        list(&dialog, "lstMatch")->setCurrentRow(0);
        click(&dialog, "cmdDelMatch");  // the fake answers the default
        QCOMPARE(prompter_.messages.size(), std::size_t{1});
        const common::Message& question = prompter_.messages[0];
        QCOMPARE(QString::fromStdString(question.text), QString("Delete Match 1,\"<d>\" ?"));
        QCOMPARE(QString::fromStdString(question.caption), QString("Magtune Reader"));
        QVERIFY(question.buttons == common::MessageButtons::YesNo);
        QVERIFY(question.defaultButton == common::Answer::No);
        QVERIFY(question.icon == common::MessageIcon::Question);
        QCOMPARE(formula.matches.size(), std::size_t{1});

        prompter_.answers.push_back(common::Answer::Yes);
        click(&dialog, "cmdDelMatch");
        QVERIFY(formula.matches.empty());
        QCOMPARE(list(&dialog, "lstMatch")->count(), 0);

        list(&dialog, "lstOutput")->setCurrentRow(1);
        click(&dialog, "cmdDelete");
        QCOMPARE(lastMessage(), QString("Delete Output O-STR,2,5 ?"));
        QVERIFY(prompter_.messages.back().defaultButton == common::Answer::No);
        QCOMPARE(formula.outputs.size(), std::size_t{2});
        prompter_.answers.push_back(common::Answer::Yes);
        click(&dialog, "cmdDelete");
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")), QStringList{"\"ID:\""});
        QCOMPARE(formula.outputs.size(), std::size_t{1});

        // Nothing selected: no question.
        list(&dialog, "lstOutput")->clearSelection();
        const std::size_t asked = prompter_.messages.size();
        click(&dialog, "cmdDelete");
        QCOMPARE(prompter_.messages.size(), asked);
    }

    void addNewAsksForALiteral() {
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        input_.cancel();
        click(&dialog, "cmdSimplyAdd");
        QCOMPARE(list(&dialog, "lstOutput")->count(), 0);
        const settings::InputBlock& block = input_.opened.at(0);
        QCOMPARE(QString::fromStdString(block.InputLabel), QString("New Modifier"));
        QVERIFY(block.InputText.empty());
        QCOMPARE(int(block.InputCaret), 0);
        QCOMPARE(int(block.InputKey), 0);

        // A delimiter code is refused and the text offered again.
        input_.accept("ID<C4>:");
        input_.accept("ID:<*>");
        click(&dialog, "cmdSimplyAdd");
        QCOMPARE(prompter_.messages.size(), std::size_t{1});
        QVERIFY(lastMessage().contains("<C4>, <C5> and <C8>"));
        QCOMPARE(QString::fromStdString(input_.opened.at(2).InputText), QString("ID<C4>:"));
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")), QStringList{"\"ID:<*>\""});
        QCOMPARE(formula.outputs.size(), std::size_t{1});
        QCOMPARE(formula.outputs[0].kind, OutputKind::Literal);
        QVERIFY(!formula.outputs[0].empty);

        click(&dialog, "cmdOK");  // only an output: a formula without qualifiers
        QVERIFY(dialog.result());
        QCOMPARE(FormulaText(formula), std::string("\"ID:<*>\",ENTER"));
    }

    void doubleClickEditsALiteral() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        input_.accept("No:");
        test::doubleClickRow(list(&dialog, "lstOutput"), 0);
        QCOMPARE(input_.opened.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(input_.opened[0].InputText), QString("ID:"));
        QCOMPARE(QString::fromStdString(input_.opened[0].InputLabel), QString("New Modifier"));
        QCOMPARE(list(&dialog, "lstOutput")->item(0)->text(), QString("\"No:\""));
        QCOMPARE(formula.outputs[0].literal, std::string("No:"));
    }

    void addsAndEditsMatchesThroughTheMatchDialog() {
        Formula formula;
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "chkMatch");
        const test::ModalAction<frmMatch> action1([](frmMatch& match) {
            test::child<QRadioButton>(&match, "optAnyPos")->click();
            test::child<QLineEdit>(&match, "txtMatchStr")->setText("A");
            test::child<QPushButton>(&match, "cmdOK")->click();
        });
        click(&dialog, "cmdAddMatch");
        QVERIFY(action1.found());
        QCOMPARE(test::rowTexts(list(&dialog, "lstMatch")), QStringList{"<*>,\"A\""});

        const test::ModalAction<frmMatch> action2(
            [](frmMatch& match) { test::child<QPushButton>(&match, "cmdCancel")->click(); });
        click(&dialog, "cmdAddMatch");
        QVERIFY(action2.found());
        QCOMPARE(formula.matches.size(), std::size_t{1});

        bool wasAnyPosition = false;
        const test::ModalAction<frmMatch> action3([&wasAnyPosition](frmMatch& match) {
            wasAnyPosition = test::child<QRadioButton>(&match, "optAnyPos")->isChecked();
            test::child<QRadioButton>(&match, "optPos")->click();
            test::child<QLineEdit>(&match, "txtPos")->setText("3");
            test::child<QPushButton>(&match, "cmdOK")->click();
        });
        test::doubleClickRow(list(&dialog, "lstMatch"), 0);
        QVERIFY(action3.found());
        QVERIFY(wasAnyPosition);
        QCOMPARE(test::rowTexts(list(&dialog, "lstMatch")), QStringList{"3,\"A\""});
        QCOMPARE(formula.matches.size(), std::size_t{1});
        QCOMPARE(MatchText(formula.matches[0]), std::string("3,\"A\""));
    }

    void addsAndEditsPiecesThroughTheOutputDialog() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        const test::ModalAction<frmOStr> action4([](frmOStr& output) {
            test::child<QLineEdit>(&output, "txtStaFrom")->setText("1");
            test::child<QLineEdit>(&output, "txtEndNumber")->setText("4");
            test::child<QPushButton>(&output, "cmdOK")->click();
        });
        click(&dialog, "cmdFromOrig");
        QVERIFY(action4.found());
        QCOMPARE(list(&dialog, "lstOutput")->item(2)->text(), QString("O-STR,1,4"));

        QString startShown;
        const test::ModalAction<frmOStr> action5([&startShown](frmOStr& output) {
            startShown = test::child<QLineEdit>(&output, "txtStaFrom")->text();
            test::child<QLineEdit>(&output, "txtEndNumber")->setText("6");
            test::child<QPushButton>(&output, "cmdOK")->click();
        });
        test::doubleClickRow(list(&dialog, "lstOutput"), 1);
        QVERIFY(action5.found());
        QCOMPARE(startShown, QString("2"));
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")),
                 (QStringList{"\"ID:\"", "O-STR,2,6", "O-STR,1,4"}));
        QCOMPARE(OutputText(formula.outputs[1]), std::string("O-STR,2,6"));
    }

    void upAndDownMoveRowsAndRecords() {
        Formula formula = exampleFormula();
        formula.matches.push_back({false, MatchKind::AnyPosition, 0, {}, "B"});
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        QListWidget* outputs = list(&dialog, "lstOutput");
        outputs->setCurrentRow(0);
        click(&dialog, "cmdOutputUp");  // first row: nothing
        QCOMPARE(test::rowTexts(outputs), (QStringList{"\"ID:\"", "O-STR,2,5"}));
        click(&dialog, "cmdOutputDown");
        QCOMPARE(test::rowTexts(outputs), (QStringList{"O-STR,2,5", "\"ID:\""}));
        QCOMPARE(outputs->currentRow(), 1);
        QVERIFY(outputs->item(1)->isSelected());
        QCOMPARE(OutputText(formula.outputs[0]), std::string("O-STR,2,5"));
        click(&dialog, "cmdOutputDown");  // last row: nothing
        QCOMPARE(OutputText(formula.outputs[1]), std::string("\"ID:\""));

        QListWidget* matches = list(&dialog, "lstMatch");
        matches->setCurrentRow(1);
        click(&dialog, "cmdMatchUp");
        QCOMPARE(test::rowTexts(matches), (QStringList{"<*>,\"B\"", "1,\"<d>\""}));
        QCOMPARE(matches->currentRow(), 0);
        QCOMPARE(formula.matches[0].matchString, std::string("B"));
    }

    // A part without a text has no row; the rows still reach their own records.
    void rowsSkipPartsWithoutText() {
        Formula formula = exampleFormula();
        formula.outputs.insert(formula.outputs.begin(), OutputString{});
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")), (QStringList{"\"ID:\"", "O-STR,2,5"}));
        list(&dialog, "lstOutput")->setCurrentRow(1);
        prompter_.answers.push_back(common::Answer::Yes);
        click(&dialog, "cmdDelete");
        QCOMPARE(formula.outputs.size(), std::size_t{2});
        QCOMPARE(formula.outputs[1].literal, std::string("ID:"));
        input_.accept("X");
        test::doubleClickRow(list(&dialog, "lstOutput"), 0);
        QCOMPARE(formula.outputs[1].literal, std::string("X"));
    }

    void cancelAndHelp() {
        Formula formula = exampleFormula();
        frmFmula dialog(formula, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "cmdHelp");
        QCOMPARE(help_.topics, std::vector<std::string>{"::/html/defformula.htm"});
        click(&dialog, "chkInpId");
        click(&dialog, "cmdCancel");
        QVERIFY(!dialog.result());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(formula, exampleFormula());
    }
};

int runFormulaDialogTest(int argc, char** argv) {
    FormulaDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::dataedit

#include "FormulaDialogTest.moc"
