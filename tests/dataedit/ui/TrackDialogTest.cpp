#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "dataedit/ui/DialogTestSupport.h"
#include "dataedit/ui/frmTrack.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {

namespace {

TrackSequenceEntry field(std::uint16_t code) {
    return {code, {}};
}
TrackSequenceEntry literal(const std::string& text) {
    return {kTrackLiteral, text};
}

}  // namespace

class TrackDialogTest : public QObject {
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
    void addSource(QWidget* dialog, const QString& name) {
        QListWidget* sources = list(dialog, "lstSource");
        sources->setCurrentItem(sources->findItems(name, Qt::MatchExactly).value(0));
        click(dialog, "cmdAdd");
    }

  private slots:
    void init() {
        input_ = {};
        prompter_ = {};
        help_ = {};
    }

    void opensOnTheTrack() {
        TrackOutputSequence sequence{field(0x31), literal("^"), field(0x32), literal("")};
        frmTrack dialog(1, sequence, input_, prompter_, help_);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Track 1 Output Sequence"));
        QCOMPARE(test::rowTexts(list(&dialog, "lstSource")),
                 (QStringList{"Account Number", "Last Name", "First Name", "Expiration Year",
                              "Expiration Month", "Discretionary Data", "All Information",
                              "Delimiter/Text"}));
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")),
                 (QStringList{"Account Number", "\"^\"", "Last Name", "None"}));
        QCOMPARE(test::child<QLabel>(&dialog, "lblSource")->text(), QString("Sources Available:"));
        QCOMPARE(test::child<QLabel>(&dialog, "lblOutput")->text(), QString("Actual Output:"));
        QCOMPARE(test::child<QAbstractButton>(&dialog, "cmdUp")->toolTip(), QString("move up"));
        QCOMPARE(test::child<QAbstractButton>(&dialog, "cmdDown")->toolTip(), QString("move down"));
        QCOMPARE(test::child<QAbstractButton>(&dialog, "cmdDefault")->text(), QString("Default"));
        QCOMPARE(test::child<QAbstractButton>(&dialog, "cmdCancel")->text(), QString("Cancel"));
        QCOMPARE(test::child<QAbstractButton>(&dialog, "cmdHelp")->text(), QString("Help"));

        TrackOutputSequence second;
        frmTrack track2(2, second, input_, prompter_, help_);
        QCOMPARE(track2.windowTitle(), QString("Track 2 Output Sequence"));
        QCOMPARE(test::rowTexts(list(&track2, "lstSource")),
                 (QStringList{"Account Number", "Expiration Year", "Expiration Month",
                              "Discretionary Data", "All Information", "Delimiter/Text"}));
    }

    void addsFieldsAndDelimiters() {
        TrackOutputSequence sequence;
        frmTrack dialog(2, sequence, input_, prompter_, help_);
        dialog.show();
        addSource(&dialog, "Account Number");
        input_.accept("=");
        addSource(&dialog, "Delimiter/Text");
        const settings::InputBlock& block = input_.opened.at(0);
        QCOMPARE(QString::fromStdString(block.InputLabel), QString("Delimiter/Text"));
        QVERIFY(block.InputText.empty());
        QCOMPARE(int(block.InputCaret), 0);
        QCOMPARE(int(block.InputKey), 0);
        input_.cancel();
        addSource(&dialog, "Delimiter/Text");  // cancelled: nothing added
        addSource(&dialog, "Expiration Year");
        QCOMPARE(test::rowTexts(list(&dialog, "lstOutput")),
                 (QStringList{"Account Number", "\"=\"", "Expiration Year"}));
        QCOMPARE(sequence, (TrackOutputSequence{field(0x31), literal("="), field(0x32)}));
        click(&dialog, "cmdOK");
        QVERIFY(prompter_.messages.empty());
        QVERIFY(dialog.result());
        QCOMPARE(TrackSequenceText(sequence, 2), std::string("<Account>\"=\"<ExpireYear>"));
    }

    void okRefusesWhatTheTrackCannotHold_data() {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<int>("fieldsAfter");
        QTest::addColumn<QString>("message");
        QTest::newRow("track 2, eight bytes") << 2 << "12345678" << 0 << "";
        QTest::newRow("track 2, nine bytes")
            << 2 << "12345678" << 1
            << "Definition cannot exceed 8 bytes limit. Please carefully design your output.";
        QTest::newRow("track 2, six fields and three bytes")
            << 2 << "abc" << 6
            << "Definition cannot exceed 8 bytes limit. Please carefully design your output.";
        QTest::newRow("track 1, sixteen bytes") << 1 << "<t>2345678901234<*>6" << 0 << "";
        QTest::newRow("track 1, seventeen bytes")
            << 1 << "<t>2345678901234<*>6" << 1
            << "Definition cannot exceed 16 bytes limit. Please carefully design your output.";
    }

    void okRefusesWhatTheTrackCannotHold() {
        QFETCH(int, track);
        QFETCH(QString, delimiter);
        QFETCH(int, fieldsAfter);
        QFETCH(QString, message);
        TrackOutputSequence sequence;
        frmTrack dialog(track, sequence, input_, prompter_, help_);
        dialog.show();
        input_.accept(delimiter.toStdString());
        addSource(&dialog, "Delimiter/Text");
        for (int i = 0; i < fieldsAfter; ++i) {
            addSource(&dialog, "Account Number");  // the limit is not applied here
        }
        QCOMPARE(list(&dialog, "lstOutput")->count(), 1 + fieldsAfter);
        click(&dialog, "cmdOK");
        if (message.isEmpty()) {
            QVERIFY(prompter_.messages.empty());
            QVERIFY(dialog.result());
        } else {
            QCOMPARE(prompter_.messages.size(), std::size_t{1});
            QCOMPARE(QString::fromStdString(prompter_.messages[0].text), message);
            QCOMPARE(QString::fromStdString(prompter_.messages[0].caption), QString("Error"));
            QVERIFY(prompter_.messages[0].icon == common::MessageIcon::Warning);
            QVERIFY(dialog.isVisible());
            QVERIFY(!dialog.result());
        }
    }

    void refusesTheEndCodeInADelimiter() {
        TrackOutputSequence sequence;
        frmTrack dialog(1, sequence, input_, prompter_, help_);
        dialog.show();
        input_.accept("^<FF>");
        input_.accept("^");
        addSource(&dialog, "Delimiter/Text");
        QCOMPARE(prompter_.messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(prompter_.messages[0].text).startsWith("The code <FF>"));
        QCOMPARE(QString::fromStdString(input_.opened.at(1).InputText), QString("^<FF>"));
        QCOMPARE(sequence, TrackOutputSequence{literal("^")});
    }

    void deleteMoveEditAndDefault() {
        TrackOutputSequence sequence{field(0x31), literal("^"), field(0x32)};
        frmTrack dialog(1, sequence, input_, prompter_, help_);
        dialog.show();
        QListWidget* output = list(&dialog, "lstOutput");
        output->setCurrentRow(0);
        click(&dialog, "cmdUp");  // first row: nothing
        click(&dialog, "cmdDown");
        QCOMPARE(test::rowTexts(output), (QStringList{"\"^\"", "Account Number", "Last Name"}));
        QCOMPARE(output->currentRow(), 1);
        QCOMPARE(sequence, (TrackOutputSequence{literal("^"), field(0x31), field(0x32)}));

        input_.accept("<t>1");
        test::doubleClickRow(output, 0);
        QCOMPARE(QString::fromStdString(input_.opened.at(0).InputText), QString("^"));
        QCOMPARE(int(input_.opened.at(0).InputCaret), 1);
        QCOMPARE(output->item(0)->text(), QString("\"<t>1\""));
        test::doubleClickRow(output, 1);  // a field row opens nothing
        QCOMPARE(input_.opened.size(), std::size_t{1});

        output->setCurrentRow(1);
        click(&dialog, "cmdDel");
        QCOMPARE(test::rowTexts(output), (QStringList{"\"<t>1\"", "Last Name"}));
        QVERIFY(prompter_.messages.empty());  // no confirmation
        QCOMPARE(sequence, (TrackOutputSequence{literal("<t>1"), field(0x32)}));

        click(&dialog, "cmdDefault");
        QCOMPARE(output->count(), 0);
        QVERIFY(sequence.empty());
        QCOMPARE(list(&dialog, "lstSource")->count(), 8);
        click(&dialog, "cmdOK");
        QVERIFY(dialog.result());
    }

    void cancelAndHelp() {
        TrackOutputSequence sequence{field(0x31)};
        frmTrack dialog(2, sequence, input_, prompter_, help_);
        dialog.show();
        click(&dialog, "cmdHelp");
        frmTrack track1(1, sequence, input_, prompter_, help_);
        click(&track1, "cmdHelp");
        QCOMPARE(help_.topics,
                 (std::vector<std::string>{"::/html/deftrack2.htm", "::/html/deftrack1.htm"}));
        click(&dialog, "cmdCancel");
        QVERIFY(!dialog.result());
        QVERIFY(!dialog.isVisible());
    }
};

int runTrackDialogTest(int argc, char** argv) {
    TrackDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::dataedit

#include "TrackDialogTest.moc"
