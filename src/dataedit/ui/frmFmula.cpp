#include "dataedit/ui/frmFmula.h"

#include <algorithm>
#include <utility>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "dataedit/ui/DialogSupport.h"
#include "dataedit/ui/frmMatch.h"
#include "dataedit/ui/frmOStr.h"

namespace magtune::dataedit {

namespace {

constexpr const char* kLiteralLabel = "New Modifier";

// Fills a list with the texts of the records that have one.
template <class Record, class TextOf>
void fillRows(QListWidget* list, const std::vector<Record>& records,
              std::vector<std::size_t>& index, TextOf textOf) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string text = textOf(records[i]);
        if (!text.empty()) {
            list->addItem(QString::fromStdString(text));
            index.push_back(i);
        }
    }
}

template <class Record>
void appendRow(QListWidget* list, std::vector<Record>& records, std::vector<std::size_t>& index,
               const Record& record, const std::string& text) {
    records.push_back(record);
    list->addItem(QString::fromStdString(text));
    index.push_back(records.size() - 1);
}

template <class Record>
void removeRow(QListWidget* list, std::vector<Record>& records, std::vector<std::size_t>& index,
               int row) {
    const std::size_t removed = index[row];
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(removed));
    delete list->takeItem(row);
    index.erase(index.begin() + row);
    for (std::size_t& i : index) {
        if (i > removed) {
            --i;
        }
    }
}

template <class Record>
void moveRow(QListWidget* list, std::vector<Record>& records, const std::vector<std::size_t>& index,
             int delta) {
    if (const auto rows = MoveSelectedRow(list, delta)) {
        std::swap(records[index[rows->first]], records[index[rows->second]]);
    }
}

QGridLayout* buttonColumn(std::initializer_list<QPushButton*> buttons) {
    auto* column = new QGridLayout;
    int row = 0;
    for (QPushButton* button : buttons) {
        column->addWidget(button, row++, 0);
    }
    column->setRowStretch(row, 1);
    return column;
}

}  // namespace

frmFmula::frmFmula(Formula& EditedFormula, settings::StringInputRunner& input,
                   common::Prompter& prompter, common::HelpViewer& help, QWidget* parent)
    : EditDialog(parent), edited_(EditedFormula), input_(input), prompter_(prompter), help_(help) {
    setObjectName("frmFmula");
    setWindowTitle("Define Formula");

    auto* qualifier = new QGroupBox("Qualifier", this);
    qualifier->setObjectName("fraQualifier");
    chkInpId_ = Named(new QCheckBox("Input ID", qualifier), "chkInpId");
    lstInpId_ = Named(new QListWidget(qualifier), "lstInpId");
    lstInpId_->setSelectionMode(QAbstractItemView::MultiSelection);
    chkLength_ = Named(new QCheckBox("Length", qualifier), "chkLength");
    lblMin_ = Named(new QLabel("Min:", qualifier), "lblMin");
    txtMinLen_ = MakeNumberBox(qualifier, "txtMinLen");
    lblMax_ = Named(new QLabel("Max:", qualifier), "lblMax");
    txtMaxLen_ = MakeNumberBox(qualifier, "txtMaxLen");
    chkMatch_ = Named(new QCheckBox("Match", qualifier), "chkMatch");
    lstMatch_ = Named(new QListWidget(qualifier), "lstMatch");
    cmdAddMatch_ = MakeButton(qualifier, "cmdAddMatch", "Add", "add match");
    cmdDelMatch_ = MakeButton(qualifier, "cmdDelMatch", "Del", "delete match");
    cmdMatchUp_ = MakeMoveButton(qualifier, "cmdMatchUp", true);
    cmdMatchDown_ = MakeMoveButton(qualifier, "cmdMatchDown", false);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             lstInpId_, lblMin_, txtMinLen_, lblMax_, txtMaxLen_, lstMatch_, cmdAddMatch_,
             cmdDelMatch_, cmdMatchUp_, cmdMatchDown_}) {
        KeepPlaceWhenHidden(widget);
    }

    for (const InputIdRow& row : InputIdRows(edited_)) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.text), lstInpId_);
        item->setData(Qt::UserRole, row.id);
    }
    lstInpId_->setFixedHeight(lstInpId_->sizeHintForRow(0) * std::min(lstInpId_->count(), 5) +
                              2 * lstInpId_->frameWidth() + 4);
    lstMatch_->setFixedHeight(lstInpId_->sizeHintForRow(0) * 4 + 2 * lstMatch_->frameWidth() + 4);

    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(lblMin_);
    lengthRow->addWidget(txtMinLen_);
    lengthRow->addSpacing(12);
    lengthRow->addWidget(lblMax_);
    lengthRow->addWidget(txtMaxLen_);
    lengthRow->addStretch(1);

    auto* qualifierGrid = new QGridLayout(qualifier);
    qualifierGrid->addWidget(chkInpId_, 0, 0, Qt::AlignTop);
    qualifierGrid->addWidget(lstInpId_, 0, 1);
    qualifierGrid->addWidget(chkLength_, 1, 0);
    qualifierGrid->addLayout(lengthRow, 1, 1);
    qualifierGrid->addWidget(chkMatch_, 2, 0, Qt::AlignTop);
    qualifierGrid->addWidget(lstMatch_, 2, 1, Qt::AlignTop);
    qualifierGrid->addLayout(buttonColumn({cmdAddMatch_, cmdDelMatch_, cmdMatchUp_, cmdMatchDown_}),
                             2, 2);
    qualifierGrid->setColumnStretch(1, 1);

    auto* modifier = new QGroupBox("Modifier", this);
    modifier->setObjectName("fraModifier");
    lstOutput_ = Named(new QListWidget(modifier), "lstOutput");
    QPushButton* cmdSimplyAdd = MakeButton(modifier, "cmdSimplyAdd", "Add New", "add new output");
    QPushButton* cmdFromOrig =
        MakeButton(modifier, "cmdFromOrig", "From Original", "pick from original data");
    QPushButton* cmdDelete = MakeButton(modifier, "cmdDelete", "Delete", "delete output");
    QPushButton* cmdOutputUp = MakeMoveButton(modifier, "cmdOutputUp", true);
    QPushButton* cmdOutputDown = MakeMoveButton(modifier, "cmdOutputDown", false);
    auto* modifierRow = new QHBoxLayout(modifier);
    modifierRow->addWidget(lstOutput_, 1);
    modifierRow->addLayout(
        buttonColumn({cmdSimplyAdd, cmdFromOrig, cmdDelete, cmdOutputUp, cmdOutputDown}));

    QPushButton* cmdOK = MakeButton(this, "cmdOK", "OK");
    QPushButton* cmdCancel = MakeButton(this, "cmdCancel", "Cancel");
    QPushButton* cmdHelp = MakeButton(this, "cmdHelp", "Help");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(qualifier);
    layout->addWidget(modifier, 1);
    layout->addLayout(buttons);
    lstOutput_->setMinimumHeight(lstMatch_->height() + 40);
    resize(500, sizeHint().height());

    for (QCheckBox* box : {chkInpId_, chkLength_, chkMatch_}) {
        connect(box, &QCheckBox::toggled, this, &frmFmula::showCheckedControls);
    }
    connect(chkLength_, &QCheckBox::toggled, this, [this](bool on) {
        if (on && !loading_) {
            txtMinLen_->setFocus();
        }
    });
    connect(cmdAddMatch_, &QPushButton::clicked, this, &frmFmula::addMatch);
    connect(lstMatch_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editMatch(lstMatch_->row(item)); });
    connect(cmdDelMatch_, &QPushButton::clicked, this, &frmFmula::deleteMatch);
    connect(cmdMatchUp_, &QPushButton::clicked, this,
            [this] { moveRow(lstMatch_, edited_.matches, matchIndex_, -1); });
    connect(cmdMatchDown_, &QPushButton::clicked, this,
            [this] { moveRow(lstMatch_, edited_.matches, matchIndex_, +1); });
    connect(cmdSimplyAdd, &QPushButton::clicked, this, &frmFmula::addLiteral);
    connect(cmdFromOrig, &QPushButton::clicked, this, &frmFmula::addFromOriginal);
    connect(lstOutput_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editOutput(lstOutput_->row(item)); });
    connect(cmdDelete, &QPushButton::clicked, this, &frmFmula::deleteOutput);
    connect(cmdOutputUp, &QPushButton::clicked, this,
            [this] { moveRow(lstOutput_, edited_.outputs, outputIndex_, -1); });
    connect(cmdOutputDown, &QPushButton::clicked, this,
            [this] { moveRow(lstOutput_, edited_.outputs, outputIndex_, +1); });
    connect(cmdOK, &QPushButton::clicked, this, &frmFmula::ok);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        result_ = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { help_.showTopic("::/html/defformula.htm"); });

    const FormulaDialogState opening = FormulaDialogFromRecord(edited_);
    for (int row = 0; row < lstInpId_->count(); ++row) {
        const int id = lstInpId_->item(row)->data(Qt::UserRole).toInt();
        const auto& ids = opening.selectedIds;
        lstInpId_->item(row)->setSelected(std::find(ids.begin(), ids.end(), id) != ids.end());
    }
    chkInpId_->setChecked(opening.inputIdChecked);
    chkLength_->setChecked(opening.lengthChecked);
    txtMinLen_->setText(QString::fromStdString(opening.minText));
    txtMaxLen_->setText(QString::fromStdString(opening.maxText));
    chkMatch_->setChecked(opening.matchChecked);
    if (!edited_.empty) {
        fillRows(lstMatch_, edited_.matches, matchIndex_, MatchText);
        fillRows(lstOutput_, edited_.outputs, outputIndex_, OutputText);
    }
    showCheckedControls();
    loading_ = false;
}

void frmFmula::showCheckedControls() {
    lstInpId_->setVisible(chkInpId_->isChecked());
    for (QWidget* widget :
         std::initializer_list<QWidget*>{lblMin_, lblMax_, txtMinLen_, txtMaxLen_}) {
        widget->setVisible(chkLength_->isChecked());
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{lstMatch_, cmdAddMatch_, cmdDelMatch_,
                                                           cmdMatchUp_, cmdMatchDown_}) {
        widget->setVisible(chkMatch_->isChecked());
    }
}

void frmFmula::addMatch() {
    MatchQualifier match;
    frmMatch dialog(match, input_, prompter_, help_, this);
    dialog.exec();
    if (dialog.result()) {
        appendRow(lstMatch_, edited_.matches, matchIndex_, match, MatchText(match));
    }
}

void frmFmula::editMatch(int row) {
    if (row < 0 || row >= static_cast<int>(matchIndex_.size())) {
        return;
    }
    MatchQualifier& stored = edited_.matches[matchIndex_[row]];
    MatchQualifier match = stored;
    frmMatch dialog(match, input_, prompter_, help_, this);
    dialog.exec();
    if (dialog.result()) {
        stored = match;
        lstMatch_->item(row)->setText(QString::fromStdString(MatchText(match)));
    }
}

void frmFmula::deleteMatch() {
    const int row = SelectedRow(lstMatch_);
    if (row < 0) {
        return;
    }
    const std::string text = "Delete Match " + lstMatch_->item(row)->text().toStdString() + " ?";
    if (prompter_.question(text, common::kApplicationTitle, common::MessageButtons::YesNo,
                           common::Answer::No) == common::Answer::Yes) {
        removeRow(lstMatch_, edited_.matches, matchIndex_, row);
    }
}

bool frmFmula::askLiteral(std::string& text) {
    settings::InputBlock block;
    block.InputText = text;
    block.InputLabel = kLiteralLabel;
    if (!RunCheckedInput(input_, prompter_, block, CheckLiteralString)) {
        return false;
    }
    text = block.InputText;
    return true;
}

void frmFmula::addLiteral() {
    std::string text;
    if (askLiteral(text)) {
        OutputString output;
        output.empty = false;
        output.kind = OutputKind::Literal;
        output.literal = text;
        appendRow(lstOutput_, edited_.outputs, outputIndex_, output, OutputText(output));
    }
}

void frmFmula::addFromOriginal() {
    OutputString output;
    frmOStr dialog(output, input_, prompter_, help_, this);
    dialog.exec();
    if (dialog.result()) {
        appendRow(lstOutput_, edited_.outputs, outputIndex_, output, OutputText(output));
    }
}

void frmFmula::editOutput(int row) {
    if (row < 0 || row >= static_cast<int>(outputIndex_.size())) {
        return;
    }
    OutputString& stored = edited_.outputs[outputIndex_[row]];
    if (stored.kind == OutputKind::Literal) {
        if (!askLiteral(stored.literal)) {
            return;
        }
    } else if (stored.kind == OutputKind::FromOriginal) {
        OutputString output = stored;
        frmOStr dialog(output, input_, prompter_, help_, this);
        dialog.exec();
        if (!dialog.result()) {
            return;
        }
        stored = output;
    } else {
        return;
    }
    lstOutput_->item(row)->setText(QString::fromStdString(OutputText(stored)));
}

void frmFmula::deleteOutput() {
    const int row = SelectedRow(lstOutput_);
    if (row < 0) {
        return;
    }
    const std::string text = "Delete Output " + lstOutput_->item(row)->text().toStdString() + " ?";
    if (prompter_.question(text, common::kApplicationTitle, common::MessageButtons::YesNo,
                           common::Answer::No) == common::Answer::Yes) {
        removeRow(lstOutput_, edited_.outputs, outputIndex_, row);
    }
}

void frmFmula::ok() {
    FormulaDialogState state;
    state.inputIdChecked = chkInpId_->isChecked();
    for (const QListWidgetItem* item : lstInpId_->selectedItems()) {
        state.selectedIds.push_back(item->data(Qt::UserRole).toInt());
    }
    state.lengthChecked = chkLength_->isChecked();
    state.minText = txtMinLen_->text().toStdString();
    state.maxText = txtMaxLen_->text().toStdString();
    state.matchChecked = chkMatch_->isChecked();
    state.matchRows = static_cast<std::size_t>(lstMatch_->count());
    state.outputCount = edited_.outputs.size();
    const DialogCheck check = CheckFormulaDialog(state);
    if (!check.accepted) {
        ReportRefusal(this, prompter_, check);
        return;
    }
    StoreFormulaDialog(state, edited_);
    result_ = true;
    accept();
}

}  // namespace magtune::dataedit
