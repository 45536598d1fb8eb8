#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "settings/SettingCatalogue.h"
#include "settings/StringInputShow.h"
#include "settings/ui/QtStringInput.h"
#include "settings/ui/RecordingHelpViewer.h"
#include "settings/ui/frmEdit.h"
#include "settings/ui/frmInput.h"
#include "support/FakePrompter.h"
#include "support/WidgetDriving.h"

using namespace magtune;
using magtune::test::FakePrompter;
using magtune::test::RecordingHelpViewer;

namespace {

constexpr const char* kBadInput = "Bad input. Please check length and syntax.";

using magtune::test::Child;
using magtune::test::Click;
using magtune::test::ShowActive;

settings::SettingStore StoreEditing(const char* group, const char* item) {
    settings::SettingStore store;
    store.EditGroup = group;
    store.EditItem = item;
    return store;
}

class ScriptedRunner : public settings::StringInputRunner {
  public:
    bool answer = false;
    settings::InputBlock seen;
    bool run(settings::InputBlock& block) override {
        seen = block;
        block.InputAccepted = answer;
        return answer;
    }
};

}  // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void editShowsTheRowAndItsCurrentValue();
    void editOfAValueBeyondTheListBeepsUntilOneIsChosen();
    void editStoresOnlyAChangedChoice_data();
    void editStoresOnlyAChangedChoice();
    void editDefaultThenCancelChangesNothing();
    void editIgnoresTypedCharacters();

    void inputShowsItsLabelAndNotation();
    void inputAppliesTheOpeningKey_data();
    void inputAppliesTheOpeningKey();
    void inputOkFollowsTheRuleOfTheValue_data();
    void inputOkFollowsTheRuleOfTheValue();
    void inputKeepsAnotherSpellingOfTheStoredByteUnmodified();
    void inputReturnsTheCaretInCharacters();
    void inputDefaultButton();
    void inputCancelLeavesTheBlockRefused();
    void inputOpensItsHelpTopics();
    void showStringInputFillsTheBlock();
    void qtStringInputRunsTheDialogModally();
};

void SettingsDialogsTest::editShowsTheRowAndItsCurrentValue() {
    settings::SettingStore store = StoreEditing("Beeps and Delays", "Beep Tone");
    FakePrompter prompter;
    settings::frmEdit dialog(store, prompter);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Setting"));
    QCOMPARE(Child<QLabel>(dialog, "Label1")->text(), QStringLiteral("Name:"));
    QCOMPARE(Child<QLabel>(dialog, "lblName")->text(), QStringLiteral("Beep Tone"));
    QCOMPARE(Child<QLabel>(dialog, "label2")->text(), QStringLiteral("Current Value:"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdOK")->text(), QStringLiteral("OK"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdDefault")->text(), QStringLiteral("Default"));
    auto* cboData = Child<QComboBox>(dialog, "cboData");
    QVERIFY(!cboData->isEditable());
    QStringList items;
    for (int i = 0; i < cboData->count(); ++i) {
        items << cboData->itemText(i);
    }
    QCOMPARE(items, QStringList({"None", "Low", "Medium", "High", "Low to High", "High to Low"}));
    QCOMPARE(cboData->currentText(), QStringLiteral("Medium"));
}

void SettingsDialogsTest::editOfAValueBeyondTheListBeepsUntilOneIsChosen() {
    settings::SettingStore store = StoreEditing("Magnetic Reader", "Track Selection");
    store.settings.TrackSelection.current = 7;
    FakePrompter prompter;
    settings::frmEdit dialog(store, prompter);
    ShowActive(dialog);
    auto* cboData = Child<QComboBox>(dialog, "cboData");
    QCOMPARE(cboData->currentIndex(), -1);

    Click(dialog, "cmdOK");
    Click(dialog, "cmdOK");
    QCOMPARE(prompter.beeps, 2);
    QVERIFY(prompter.messages.empty());
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.accepted());
    QCOMPARE(dialog.focusWidget(), cboData);
    QCOMPARE(store.settings.TrackSelection.current, 7);

    Click(dialog, "cmdDefault");
    QCOMPARE(cboData->currentText(), QStringLiteral("All Tracks"));
    Click(dialog, "cmdOK");
    QVERIFY(dialog.accepted());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(store.settings.TrackSelection.current, 0);
    QVERIFY(store.Modified);
}

void SettingsDialogsTest::editStoresOnlyAChangedChoice_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("modified");
    QTest::newRow("the current entry again") << "RS232"
                                             << "Baud Rate"
                                             << "9600" << 5 << false;
    QTest::newRow("another entry") << "RS232"
                                   << "Baud Rate"
                                   << "38400" << 7 << true;
    QTest::newRow("inverted item: Yes stores 0") << "Magnetic Reader"
                                                 << "Output Only When All Tracks Have Correct Data"
                                                 << "Yes" << 0 << true;
}

void SettingsDialogsTest::editStoresOnlyAChangedChoice() {
    QFETCH(QString, group);
    QFETCH(QString, item);
    QFETCH(QString, choice);
    QFETCH(int, stored);
    QFETCH(bool, modified);
    settings::SettingStore store = StoreEditing(qPrintable(group), qPrintable(item));
    FakePrompter prompter;
    settings::frmEdit dialog(store, prompter);
    ShowActive(dialog);
    auto* cboData = Child<QComboBox>(dialog, "cboData");
    cboData->setCurrentIndex(cboData->findText(choice));
    Click(dialog, "cmdOK");
    QVERIFY(dialog.accepted());
    QCOMPARE(store.Modified, modified);
    QCOMPARE(settings::CurrentChoice(*settings::FindRow(store.EditGroup, store.EditItem),
                                     store.settings),
             stored);
}

void SettingsDialogsTest::editDefaultThenCancelChangesNothing() {
    settings::SettingStore store = StoreEditing("RS232", "Baud Rate");
    store.settings.BaudRate.current = 2;
    FakePrompter prompter;
    settings::frmEdit dialog(store, prompter);
    ShowActive(dialog);
    Click(dialog, "cmdDefault");
    QCOMPARE(Child<QComboBox>(dialog, "cboData")->currentText(), QStringLiteral("9600"));
    Click(dialog, "cmdCancel");
    QVERIFY(!dialog.accepted());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(store.settings.BaudRate.current, 2);
    QVERIFY(!store.Modified);

    settings::frmEdit closed(store, prompter);
    ShowActive(closed);
    Child<QComboBox>(closed, "cboData")->setCurrentIndex(0);
    closed.close();
    QVERIFY(!closed.accepted());
    QCOMPARE(store.settings.BaudRate.current, 2);
}

void SettingsDialogsTest::editIgnoresTypedCharacters() {
    settings::SettingStore store = StoreEditing("Keyboard Wedge", "Language");
    FakePrompter prompter;
    settings::frmEdit dialog(store, prompter);
    ShowActive(dialog);
    auto* cboData = Child<QComboBox>(dialog, "cboData");
    cboData->setFocus();
    QTest::keyClicks(cboData, "Swedish");
    QCOMPARE(cboData->currentText(), QStringLiteral("U.S."));
    QTest::keyClick(cboData, Qt::Key_Down);
    QCOMPARE(cboData->currentText(), QStringLiteral("U.K."));
}

void SettingsDialogsTest::inputShowsItsLabelAndNotation() {
    settings::SettingStore store = StoreEditing("RS232", "Receive Terminator");
    settings::InputBlock block;
    block.InputLabel = "Receive Terminator";
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Define Receive Terminator"));
    QCOMPARE(Child<QLabel>(dialog, "lblInput")->text(), QStringLiteral("Enter Content:"));
    QCOMPARE(Child<QLabel>(dialog, "lblNotation")->text(), QStringLiteral("Predefined Notations:"));
    QCOMPARE(Child<QLabel>(dialog, "lblASCII")->text(), QStringLiteral("ASCII Table"));
    QCOMPARE(Child<QLabel>(dialog, "lblFunction")->text(), QStringLiteral("Function Codes"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdHelp")->text(), QStringLiteral("Help"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdDefault")->text(), QStringLiteral("Default"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdOK")->text(), QStringLiteral("OK"));
    QCOMPARE(Child<QPushButton>(dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
    auto* notation = Child<QPlainTextEdit>(dialog, "txtNotation");
    QVERIFY(notation->isReadOnly());
    QCOMPARE(notation->toPlainText(), QStringLiteral("<t>:  Tab\n"
                                                     "<b>: Backspace\n"
                                                     "<r>:  Carriage return\n"
                                                     "<n>:  Line feed\n"
                                                     "<d>:  Any digit (data editing)\n"
                                                     "<a>:  Any letter (data editing)\n"
                                                     "<*>:  Interblock delay\n"
                                                     "<\">:  \" (quotation marks)\n"
                                                     "<dd>: Character in hexadecimal notation\n"
                                                     "<<>:  <\n"
                                                     "<>>:  >"));
}

void SettingsDialogsTest::inputAppliesTheOpeningKey_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("shownCaret");
    QTest::newRow("no key") << "xy" << 1 << 0 << "xy" << 1;
    QTest::newRow("typed A") << "xy" << 1 << 65 << "xAy" << 2;
    QTest::newRow("backspace") << "xy" << 1 << 8 << "y" << 0;
    QTest::newRow("backspace at the start") << "xy" << 0 << 8 << "xy" << 0;
    QTest::newRow("after a two-byte character") << "äb" << 1 << 65 << "äAb" << 2;
    QTest::newRow("backspace removes a whole character") << "aäb" << 2 << 8 << "ab" << 1;
    QTest::newRow("ANSI code of the euro sign") << "" << 0 << 0x80 << "€" << 1;
    QTest::newRow("code point beyond the code page") << "ab" << 2 << 0x3A9 << "abΩ" << 3;
    QTest::newRow("caret beyond the text") << "xy" << 40 << 65 << "xyA" << 3;
    QTest::newRow("negative caret") << "xy" << -3 << 8 << "xy" << 0;
}

void SettingsDialogsTest::inputAppliesTheOpeningKey() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(int, shownCaret);
    settings::SettingStore store = StoreEditing("Data Editing", "Formula1");
    settings::InputBlock block{text.toStdString(), "Match String", static_cast<std::int16_t>(caret),
                               static_cast<std::int16_t>(key), true};
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    ShowActive(dialog);
    auto* txtInput = Child<QLineEdit>(dialog, "txtInput");
    QCOMPARE(txtInput->text(), shown);
    QCOMPARE(txtInput->cursorPosition(), shownCaret);
    QCOMPARE(dialog.focusWidget(), txtInput);
    QVERIFY(!block.InputAccepted);
}

void SettingsDialogsTest::inputOkFollowsTheRuleOfTheValue_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");

    QTest::newRow("terminator <r>") << "RS232"
                                    << "Receive Terminator"
                                    << "Receive Terminator"
                                    << "<r>" << true << "";
    QTest::newRow("terminator empty") << "RS232"
                                      << "Receive Terminator"
                                      << "Receive Terminator"
                                      << "" << true << "";
    QTest::newRow("terminator delay") << "RS232"
                                      << "Receive Terminator"
                                      << "Receive Terminator"
                                      << "<*>" << false << kBadInput;
    QTest::newRow("separator delay") << "Magnetic Reader"
                                     << "Separator Character"
                                     << "Separator Character"
                                     << "<*>" << true << "";
    QTest::newRow("separator two characters") << "Magnetic Reader"
                                              << "Separator Character"
                                              << "Separator Character"
                                              << "ab" << false << kBadInput;
    QTest::newRow("track 2 delimiter of 8") << "Magnetic Reader"
                                            << "Track 2 Output Sequence"
                                            << "Delimiter/Text"
                                            << "12345678" << true << "";
    QTest::newRow("track 2 delimiter of 9")
        << "Magnetic Reader"
        << "Track 2 Output Sequence"
        << "Delimiter/Text"
        << "123456789" << false
        << "Input too long. The maximum allowed size for this input is 8 characters (bytes).";
    QTest::newRow("track 1 delimiter of 9") << "Magnetic Reader"
                                            << "Track 1 Output Sequence"
                                            << "Delimiter/Text"
                                            << "123456789" << true << "";
    QTest::newRow("empty delimiter") << "Magnetic Reader"
                                     << "Track 1 Output Sequence"
                                     << "Delimiter/Text"
                                     << "" << false << "";
    QTest::newRow("empty match string") << "Data Editing"
                                        << "Formula1"
                                        << "Match String"
                                        << "" << false << "";
    QTest::newRow("match string with wildcards") << "Data Editing"
                                                 << "Formula1"
                                                 << "Match String"
                                                 << "<d><a>" << true << "";
    QTest::newRow("new modifier with a delay") << "Data Editing"
                                               << "Formula1"
                                               << "New Modifier"
                                               << "<*>ID" << true << "";
}

void SettingsDialogsTest::inputOkFollowsTheRuleOfTheValue() {
    QFETCH(QString, group);
    QFETCH(QString, item);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    settings::SettingStore store = StoreEditing(qPrintable(group), qPrintable(item));
    settings::InputBlock block{"", label.toStdString(), 0, 0, false};
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    ShowActive(dialog);
    auto* txtInput = Child<QLineEdit>(dialog, "txtInput");
    txtInput->setText(text);
    Click(dialog, "cmdOK");

    QCOMPARE(block.InputAccepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    std::vector<std::string> expected;
    if (!message.isEmpty()) {
        expected.push_back(message.toStdString());
    }
    QCOMPARE(prompter.texts(), expected);
    if (accepted) {
        QCOMPARE(QString::fromStdString(block.InputText), text);
    } else {
        QCOMPARE(dialog.focusWidget(), txtInput);
        QVERIFY(!store.Modified);
    }
}

void SettingsDialogsTest::inputKeepsAnotherSpellingOfTheStoredByteUnmodified() {
    struct Case {
        const char* text;
        std::uint8_t byte;
        bool modified;
    };
    // Each case starts from the previous one's stored value.
    const Case cases[] = {
        {"<r>", 0x0D, true},
        {"<0D>", 0x0D, false},
        {"", 0xFF, true},
    };
    settings::SettingStore store = StoreEditing("RS232", "Receive Terminator");
    const settings::CatalogueRow* row = settings::FindRow("RS232", "Receive Terminator");
    for (const Case& c : cases) {
        store.Modified = false;
        settings::InputBlock block;
        FakePrompter prompter;
        RecordingHelpViewer help;
        settings::QtStringInput runner(store, prompter, help);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            Child<QLineEdit>(*dialog, "txtInput")->setText(QString::fromUtf8(c.text));
            Click(*dialog, "cmdOK");
        });
        QVERIFY(settings::ShowStringInput(
            runner, block, store.settings.ReceiveTerminator.currentText, "", store.EditItem));
        QCOMPARE(store.settings.ReceiveTerminator.currentText, std::string(c.text));
        QCOMPARE(store.settings.ReceiveTerminator.byte, c.byte);
        QCOMPARE(store.Modified, c.modified);
    }
    QCOMPARE(settings::ValueText(*row, store.settings), std::string("None"));
}

void SettingsDialogsTest::inputReturnsTheCaretInCharacters() {
    settings::SettingStore store = StoreEditing("Data Editing", "Formula1");
    settings::InputBlock block{"xy", "Match String", 1, 'A', false};
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    ShowActive(dialog);
    Click(dialog, "cmdOK");
    QVERIFY(block.InputAccepted);
    QCOMPARE(block.InputText, std::string("xAy"));
    QCOMPARE(block.InputCaret, std::int16_t{2});

    settings::InputBlock wide{"äöü", "Match String", 3, 0, false};
    settings::frmInput again(store, wide, prompter, help);
    ShowActive(again);
    Click(again, "cmdOK");
    QVERIFY(wide.InputAccepted);
    QCOMPARE(wide.InputCaret, std::int16_t{3});
}

void SettingsDialogsTest::inputDefaultButton() {
    struct Case {
        const char* group;
        const char* label;
        bool enabled;
        const char* afterDefault;
    };
    const Case cases[] = {
        {"RS232", "Receive Terminator", true, ""},
        {"Magnetic Reader", "Separator Character", true, ""},
        {"Magnetic Reader", "Delimiter/Text", true, "<t>"},
        {"Data Editing", "Match String", false, "<t>"},
        {"Data Editing", "New Modifier", false, "<t>"},
    };
    for (const Case& c : cases) {
        settings::SettingStore store = StoreEditing(c.group, "Track 1 Output Sequence");
        settings::InputBlock block{"<t>", c.label, 3, 0, false};
        FakePrompter prompter;
        RecordingHelpViewer help;
        settings::frmInput dialog(store, block, prompter, help);
        ShowActive(dialog);
        auto* cmdDefault = Child<QPushButton>(dialog, "cmdDefault");
        QCOMPARE(cmdDefault->isEnabled(), c.enabled);
        cmdDefault->click();
        QCOMPARE(Child<QLineEdit>(dialog, "txtInput")->text(), QString::fromUtf8(c.afterDefault));
        QVERIFY(!store.Modified);
    }
}

void SettingsDialogsTest::inputCancelLeavesTheBlockRefused() {
    settings::SettingStore store = StoreEditing("RS232", "Receive Terminator");
    settings::InputBlock block{"<r>", "Receive Terminator", 3, 0, true};
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    ShowActive(dialog);
    Child<QLineEdit>(dialog, "txtInput")->setText(QStringLiteral("<n>"));
    Click(dialog, "cmdCancel");
    QVERIFY(!block.InputAccepted);
    QCOMPARE(block.InputText, std::string("<r>"));
    QCOMPARE(store.settings.ReceiveTerminator.byte, std::uint8_t{0xFF});

    settings::frmInput closed(store, block, prompter, help);
    ShowActive(closed);
    closed.close();
    QVERIFY(!block.InputAccepted);
}

void SettingsDialogsTest::inputOpensItsHelpTopics() {
    settings::SettingStore store = StoreEditing("RS232", "Receive Terminator");
    settings::InputBlock block{"", "Receive Terminator", 0, 0, false};
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::frmInput dialog(store, block, prompter, help);
    ShowActive(dialog);
    Click(dialog, "lblASCII");
    Click(dialog, "lblFunction");
    Click(dialog, "cmdHelp");
    QCOMPARE(help.topics, (std::vector<std::string>{"::/html/ascii.htm", "::/html/functblpc.htm",
                                                    "::/html/input.htm"}));
    QVERIFY(dialog.isVisible());
}

void SettingsDialogsTest::showStringInputFillsTheBlock() {
    ScriptedRunner runner;
    settings::InputBlock block{"old", "old label", 9, 65, true};
    runner.answer = false;
    QVERIFY(!settings::ShowStringInput(runner, block, "<r>äb", "", "Receive Terminator"));
    QCOMPARE(runner.seen.InputText, std::string("<r>äb"));
    QCOMPARE(runner.seen.InputLabel, std::string("Receive Terminator"));
    QCOMPARE(runner.seen.InputCaret, std::int16_t{5});
    QCOMPARE(runner.seen.InputKey, std::int16_t{0});

    runner.answer = true;
    QVERIFY(
        settings::ShowStringInput(runner, block, "", "Delimiter/Text", "Track 2 Output Sequence"));
    QCOMPARE(runner.seen.InputLabel, std::string("Delimiter/Text"));
    QCOMPARE(runner.seen.InputCaret, std::int16_t{0});
}

void SettingsDialogsTest::qtStringInputRunsTheDialogModally() {
    settings::SettingStore store = StoreEditing("Magnetic Reader", "Track 2 Output Sequence");
    FakePrompter prompter;
    RecordingHelpViewer help;
    settings::QtStringInput runner(store, prompter, help);
    settings::InputBlock block;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        Click(*dialog, "cmdCancel");
    });
    QVERIFY(!settings::ShowStringInput(runner, block, "<t>", "Delimiter/Text"));
    QCOMPARE(caption, QStringLiteral("Define Delimiter/Text"));
    QVERIFY(!block.InputAccepted);
}

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
