#include <QTemporaryDir>
#include <memory>

#include "ui/MainWindowHarness.h"

namespace magtune::shell {

class DataEditingTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<test::MainWindowHarness> h_;

    static dataedit::Formula Literal(const std::string& text) {
        dataedit::Formula f;
        f.empty = false;
        f.outputs.push_back({false, dataedit::OutputKind::Literal, text, {}, {}});
        return f;
    }
    // Adds formulas through the toolbar, each output the next text.
    void addFormulas(const std::vector<std::string>& texts) {
        for (const auto& text : texts) {
            h_->editors.onFormula = [text](dataedit::Formula& f) { f = Literal(text); };
            h_->trigger(QStringLiteral("Add"));
        }
    }
    QStringList labels() {
        QStringList out;
        for (const QString& row : h_->rows()) {
            out << row.section(QLatin1Char('='), 0, 0) + QLatin1Char(':') +
                       row.section(QLatin1Char('"'), 1, 1);
        }
        return out;
    }
    void selectRow(int row) { h_->clickRow(row); }

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        h_ = std::make_unique<test::MainWindowHarness>(dir_->path());
        QVERIFY(h_->start());
        h_->trigger(QStringLiteral("New"));
        h_->clickNode(QStringLiteral("Data Editing"));
    }
    void cleanup() {
        h_.reset();
        dir_.reset();
    }

    void placeholderRowOpensNothing() {
        QCOMPARE(h_->rows(), QStringList{"(no formula defined)="});
        selectRow(0);
        QTest::keyClick(h_->list(), Qt::Key_Return);
        h_->doubleClickRow(0);
        QVERIFY(h_->editors.calls.empty());
        // Nor does Delete on it ask anything.
        h_->trigger(QStringLiteral("Delete"));
        QVERIFY(h_->prompter.messages.empty());
    }

    void doubleClickCountsOnlyRightAfterAClick() {
        addFormulas({"A"});
        auto* timer = h_->find<QTimer>(QStringLiteral("tmrClick"));
        QCOMPARE(timer->interval(), 500);
        QVERIFY(timer->isSingleShot());
        h_->editors.calls.clear();

        // A double-click that no click marked (the mark has run out).
        QTreeWidgetItem* row = h_->list()->topLevelItem(0);
        emit h_->list()->itemDoubleClicked(row, 0);
        QVERIFY(h_->editors.calls.empty());

        h_->clickRow(0);
        QVERIFY(timer->isActive());
        timer->setInterval(1);
        h_->clickRow(0);
        QTest::qWait(20);
        emit h_->list()->itemDoubleClicked(row, 0);
        QVERIFY(h_->editors.calls.empty());

        timer->setInterval(500);
        h_->doubleClickRow(0);
        QCOMPARE(h_->editors.calls, std::vector<std::string>{"formula|Data Editing|Formula1"});
    }

    void addedFormulasAreListedAndMarkTheCaption() {
        addFormulas({"A", "B", "C"});
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:B", "Formula3:C"}));
        QCOMPARE(h_->selectedRow(), -1);
        QVERIFY(h_->window.windowTitle().endsWith(QLatin1Char('*')));
        QCOMPARE(h_->editors.calls.size(), 3u);
        QCOMPARE(h_->editors.calls[0], std::string("formula|Data Editing|"));

        // A cancelled dialog adds nothing.
        h_->editors.accept = false;
        h_->trigger(QStringLiteral("mnuDataEditingAdd"));
        QCOMPARE(h_->list()->topLevelItemCount(), 3);
    }

    void formulaThatDoesNotFitLeavesTheList() {
        addFormulas({std::string(150, 'x')});
        const dataedit::FormulaMemory memory = h_->state.store.settings.dataEditing.memory;
        addFormulas({"0123456789"});
        QCOMPARE(h_->list()->topLevelItemCount(), 1);
        QCOMPARE(h_->state.store.settings.dataEditing.memory, memory);
        QCOMPARE(test::Texts(h_->prompter.texts()),
                 QStringList{"Memory space for data editing is full. Please reduce formulas or "
                             "shorten formula expressions."});
    }

    void deleteAsksAndSelectsTheRowThatTookItsPlace() {
        addFormulas({"A", "B", "C"});
        selectRow(2);
        h_->prompter.answers = {common::Answer::Yes};
        h_->trigger(QStringLiteral("Delete"));
        QCOMPARE(h_->prompter.messages.size(), 1u);
        const common::Message& question = h_->prompter.messages[0];
        QCOMPARE(question.text, std::string("Delete Formula3 ?"));
        QCOMPARE(question.caption, std::string("Magtune Reader"));
        QVERIFY(question.buttons == common::MessageButtons::YesNo);
        QVERIFY(question.defaultButton == common::Answer::No);
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:B"}));
        QCOMPARE(h_->selectedRow(), 1);

        h_->prompter.answers = {common::Answer::No};
        h_->trigger(QStringLiteral("mnuDataEditingDelete"));
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:B"}));

        selectRow(0);
        h_->prompter.answers = {common::Answer::Yes};
        h_->trigger(QStringLiteral("mnuDataEditingDelete"));
        QCOMPARE(labels(), QStringList{"Formula1:B"});
        QCOMPARE(h_->selectedRow(), 0);

        h_->prompter.answers = {common::Answer::Yes};
        h_->trigger(QStringLiteral("Delete"));
        QCOMPARE(h_->rows(), QStringList{"(no formula defined)="});
        QCOMPARE(h_->selectedRow(), -1);
    }

    void upAndDownMoveTheSelectedFormula() {
        addFormulas({"A", "B", "C"});
        selectRow(1);
        h_->trigger(QStringLiteral("Up"));
        QCOMPARE(labels(), (QStringList{"Formula1:B", "Formula2:A", "Formula3:C"}));
        QCOMPARE(h_->selectedRow(), 0);

        h_->trigger(QStringLiteral("mnuDataEditingUp"));
        QCOMPARE(labels(), (QStringList{"Formula1:B", "Formula2:A", "Formula3:C"}));

        h_->trigger(QStringLiteral("Down"));
        h_->trigger(QStringLiteral("mnuDataEditingDown"));
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:C", "Formula3:B"}));
        QCOMPARE(h_->selectedRow(), 2);
        h_->trigger(QStringLiteral("Down"));
        QCOMPARE(h_->selectedRow(), 2);

        // Without a selected row nothing moves.
        h_->list()->clearSelection();
        h_->trigger(QStringLiteral("Up"));
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:C", "Formula3:B"}));
        QVERIFY(h_->prompter.messages.empty());
    }

    void editedFormulaIsReselected() {
        addFormulas({"A", "B"});
        h_->editors.onFormula = [](dataedit::Formula& f) { f = Literal("Z"); };
        selectRow(1);
        QTest::keyClick(h_->list(), Qt::Key_Return);
        QCOMPARE(labels(), (QStringList{"Formula1:A", "Formula2:Z"}));
        QCOMPARE(h_->selectedRow(), 1);
    }
};

int RunDataEditingTests(int argc, char** argv) {
    DataEditingTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "DataEditingTest.moc"
