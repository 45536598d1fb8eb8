#include "dataedit/ui/frmTrack.h"

#include <utility>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "dataedit/FormulaDialogRules.h"
#include "dataedit/ui/DialogSupport.h"

namespace magtune::dataedit {

frmTrack::frmTrack(int track, TrackOutputSequence& EditedTrackSequence,
                   settings::StringInputRunner& input, common::Prompter& prompter,
                   common::HelpViewer& help, QWidget* parent)
    : EditDialog(parent),
      track_(track),
      edited_(EditedTrackSequence),
      input_(input),
      prompter_(prompter),
      help_(help) {
    setObjectName("frmTrack");
    setWindowTitle(QString::fromStdString(TrackDialogCaption(track)));

    auto* lblSource = Named(new QLabel("Sources Available:", this), "lblSource");
    lstSource_ = Named(new QListWidget(this), "lstSource");
    auto* lblOutput = Named(new QLabel("Actual Output:", this), "lblOutput");
    lstOutput_ = Named(new QListWidget(this), "lstOutput");
    QPushButton* cmdAdd = MakeButton(this, "cmdAdd", "Add >>", "add to the output");
    QPushButton* cmdDel = MakeButton(this, "cmdDel", "<< Del", "remove from the output");
    QPushButton* cmdUp = MakeMoveButton(this, "cmdUp", true);
    QPushButton* cmdDown = MakeMoveButton(this, "cmdDown", false);
    QPushButton* cmdDefault = MakeButton(this, "cmdDefault", "Default");
    QPushButton* cmdOK = MakeButton(this, "cmdOK", "OK");
    QPushButton* cmdCancel = MakeButton(this, "cmdCancel", "Cancel");
    QPushButton* cmdHelp = MakeButton(this, "cmdHelp", "Help");

    for (const TrackSource& source : TrackSources(track)) {
        auto* item = new QListWidgetItem(QString::fromStdString(source.name), lstSource_);
        item->setData(Qt::UserRole, source.code);
    }
    fillOutput();

    auto* addDel = new QVBoxLayout;
    addDel->addStretch(1);
    addDel->addWidget(cmdAdd);
    addDel->addWidget(cmdDel);
    addDel->addStretch(1);
    auto* upDown = new QVBoxLayout;
    upDown->addStretch(1);
    upDown->addWidget(cmdUp);
    upDown->addWidget(cmdDown);
    upDown->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(lblSource, 0, 0);
    grid->addWidget(lstSource_, 1, 0);
    grid->addLayout(addDel, 1, 1);
    grid->addWidget(lblOutput, 0, 2);
    grid->addWidget(lstOutput_, 1, 2);
    grid->addLayout(upDown, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDefault);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(500, 300);

    connect(cmdAdd, &QPushButton::clicked, this, &frmTrack::add);
    connect(cmdDel, &QPushButton::clicked, this, &frmTrack::remove);
    connect(cmdUp, &QPushButton::clicked, this, [this] { move(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { move(+1); });
    connect(lstOutput_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editLiteral(lstOutput_->row(item)); });
    connect(cmdDefault, &QPushButton::clicked, this, [this] {
        edited_.clear();  // both tracks default to the empty sequence
        fillOutput();
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmTrack::ok);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        result_ = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { help_.showTopic(TrackHelpTopic(track_)); });
}

void frmTrack::fillOutput() {
    lstOutput_->clear();
    for (const TrackSequenceEntry& entry : edited_) {
        lstOutput_->addItem(QString::fromStdString(TrackEntryRowText(entry, track_)));
    }
}

bool frmTrack::askDelimiter(std::string& text) {
    settings::InputBlock block;
    block.InputText = text;
    block.InputLabel = "Delimiter/Text";
    block.InputCaret = static_cast<std::int16_t>(QString::fromStdString(text).size());
    if (!RunCheckedInput(input_, prompter_, block, CheckTrackDelimiter)) {
        return false;
    }
    text = block.InputText;
    return true;
}

void frmTrack::add() {
    const int row = SelectedRow(lstSource_);
    if (row < 0) {
        return;
    }
    TrackSequenceEntry entry;
    entry.code = static_cast<std::uint16_t>(lstSource_->item(row)->data(Qt::UserRole).toUInt());
    if (entry.code == kTrackLiteral && !askDelimiter(entry.text)) {
        return;
    }
    edited_.push_back(entry);
    lstOutput_->addItem(QString::fromStdString(TrackEntryRowText(entry, track_)));
}

void frmTrack::remove() {
    const int row = SelectedRow(lstOutput_);
    if (row < 0) {
        return;
    }
    edited_.erase(edited_.begin() + row);
    delete lstOutput_->takeItem(row);
}

void frmTrack::move(int delta) {
    if (const auto rows = MoveSelectedRow(lstOutput_, delta)) {
        std::swap(edited_[rows->first], edited_[rows->second]);
    }
}

void frmTrack::editLiteral(int row) {
    if (row < 0 || row >= static_cast<int>(edited_.size()) || edited_[row].code != kTrackLiteral) {
        return;
    }
    if (askDelimiter(edited_[row].text)) {
        lstOutput_->item(row)->setText(
            QString::fromStdString(TrackEntryRowText(edited_[row], track_)));
    }
}

void frmTrack::ok() {
    if (const std::optional<std::string> fault = CheckTrackSequence(edited_, track_)) {
        prompter_.warning(*fault);
        return;
    }
    result_ = true;
    accept();
}

}  // namespace magtune::dataedit
