#include "dataedit/ui/frmOStr.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dataedit/ui/DialogSupport.h"
#include "dataedit/ui/MatchStringBox.h"

namespace magtune::dataedit {

struct frmOStr::SideNames {
    const char* optNumber;
    const char* numberCaption;
    const char* txtNumber;
    const char* optLast;
    const char* lastCaption;
    const char* chkMinus;
    const char* txtMinus;
    const char* optMatch;
    const char* txtMatch;
    const char* chkOffset;
    const char* fraOffset;
    const char* optPlus;
    const char* optMinus;
    const char* txtOffset;
};

frmOStr::frmOStr(OutputString& EditedOutput, settings::StringInputRunner& input,
                 common::Prompter& prompter, common::HelpViewer& help, QWidget* parent)
    : EditDialog(parent), edited_(EditedOutput), prompter_(prompter), help_(help) {
    setObjectName("frmOStr");
    setWindowTitle("Output From Original Data");

    const SideNames startNames{.optNumber = "optStaFrom",
                               .numberCaption = "From Position",
                               .txtNumber = "txtStaFrom",
                               .optLast = "optStaLast",
                               .lastCaption = "From Last Position",
                               .chkMinus = "chkStaMinus",
                               .txtMinus = "txtStaMinus",
                               .optMatch = "optStaMatch",
                               .txtMatch = "txtStaMatch",
                               .chkOffset = "chkStaOffset",
                               .fraOffset = "fraStaOffset",
                               .optPlus = "optStaPlus",
                               .optMinus = "optStaMinus",
                               .txtOffset = "txtStaOffset"};
    const SideNames endNames{.optNumber = "optEndNumber",
                             .numberCaption = "Number Of Characters To Output",
                             .txtNumber = "txtEndNumber",
                             .optLast = "optEndLast",
                             .lastCaption = "All Remaining",
                             .chkMinus = "chkEndMinus",
                             .txtMinus = "txtEndMinus",
                             .optMatch = "optEndMatch",
                             .txtMatch = "txtEndMatch",
                             .chkOffset = "chkEndOffset",
                             .fraOffset = "fraEndOffset",
                             .optPlus = "optEndPlus",
                             .optMinus = "optEndMinus",
                             .txtOffset = "txtEndOffset"};
    QGroupBox* startFrame = buildSide(start_, "Start Parameter", startNames, input);
    QGroupBox* endFrame = buildSide(end_, "End Parameter", endNames, input);

    QPushButton* cmdOK = MakeButton(this, "cmdOK", "OK");
    QPushButton* cmdCancel = MakeButton(this, "cmdCancel", "Cancel");
    QPushButton* cmdHelp = MakeButton(this, "cmdHelp", "Help");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(startFrame);
    layout->addWidget(endFrame);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmOStr::ok);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        result_ = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { help_.showTopic("::/html/output.htm"); });

    const OutputDialogState opening = OutputDialogFromRecord(edited_);
    loadSide(start_, opening.start);
    loadSide(end_, opening.end);
    loading_ = false;
}

QGroupBox* frmOStr::buildSide(Side& side, const QString& title, const SideNames& names,
                              settings::StringInputRunner& input) {
    auto* frame = new QGroupBox(title, this);
    side.optNumber = Named(new QRadioButton(names.numberCaption, frame), names.optNumber);
    side.txtNumber = MakeNumberBox(frame, names.txtNumber);
    side.optLast = Named(new QRadioButton(names.lastCaption, frame), names.optLast);
    side.chkMinus = Named(new QCheckBox("Minus", frame), names.chkMinus);
    side.txtMinus = MakeNumberBox(frame, names.txtMinus);
    side.optMatch = Named(new QRadioButton("After Matching", frame), names.optMatch);
    side.txtMatch = Named(new MatchStringBox(input, prompter_, frame), names.txtMatch);
    side.chkOffset = Named(new QCheckBox("Use Offset", frame), names.chkOffset);
    side.fraOffset = Named(new QGroupBox(frame), names.fraOffset);
    side.optPlus = Named(new QRadioButton("+", side.fraOffset), names.optPlus);
    side.optMinus = Named(new QRadioButton("-", side.fraOffset), names.optMinus);
    side.txtOffset = MakeNumberBox(frame, names.txtOffset);
    for (QWidget* widget : std::initializer_list<QWidget*>{side.chkMinus, side.txtMatch,
                                                           side.chkOffset, side.fraOffset}) {
        KeepPlaceWhenHidden(widget);
    }
    side.txtMatch->setMinimumWidth(160);

    auto* signs = new QHBoxLayout(side.fraOffset);
    signs->setContentsMargins(6, 2, 6, 2);
    signs->addWidget(side.optPlus);
    signs->addWidget(side.optMinus);

    // The three options are one group; "+" and "-" are another in their frame.
    auto* options = new QButtonGroup(frame);
    options->addButton(side.optNumber);
    options->addButton(side.optLast);
    options->addButton(side.optMatch);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(side.optNumber, 0, 0);
    grid->addWidget(side.txtNumber, 0, 1);
    grid->addWidget(side.optLast, 1, 0);
    grid->addWidget(side.chkMinus, 1, 1);
    grid->addWidget(side.txtMinus, 1, 2);
    grid->addWidget(side.optMatch, 2, 0);
    grid->addWidget(side.txtMatch, 2, 1, 1, 3);
    grid->addWidget(side.chkOffset, 3, 1);
    grid->addWidget(side.fraOffset, 3, 2);
    grid->addWidget(side.txtOffset, 3, 3);
    grid->setColumnStretch(4, 1);

    // Once the dialog is open, the focus goes to the first box that appeared.
    for (QRadioButton* option : {side.optNumber, side.optLast, side.optMatch}) {
        connect(option, &QRadioButton::toggled, this, [this, &side](bool on) {
            if (on) {
                showSideControls(side);
                focusIfShown({side.txtNumber, side.txtMinus, side.txtMatch});
            }
        });
    }
    connect(side.chkMinus, &QCheckBox::toggled, this, [this, &side] {
        showSideControls(side);
        focusIfShown({side.txtMinus});
    });
    connect(side.chkOffset, &QCheckBox::toggled, this, [this, &side] {
        showSideControls(side);
        focusIfShown({side.txtOffset});
    });
    connect(side.txtMatch, &MatchStringBox::inputShown, this, &frmOStr::noteInputShown);
    return frame;
}

void frmOStr::loadSide(Side& side, const SpecDialogState& state) {
    side.txtNumber->setText(QString::fromStdString(state.numberText));
    side.chkMinus->setChecked(state.minus);
    side.txtMinus->setText(QString::fromStdString(state.minusText));
    side.txtMatch->setText(QString::fromStdString(state.matchString));
    side.chkOffset->setChecked(state.useOffset);
    (state.plus ? side.optPlus : side.optMinus)->setChecked(true);
    side.txtOffset->setText(QString::fromStdString(state.offsetText));
    switch (state.kind) {
        case SpecKind::LastPosition:
            side.optLast->setChecked(true);
            break;
        case SpecKind::AfterMatch:
            side.optMatch->setChecked(true);
            break;
        default:
            side.optNumber->setChecked(true);
            break;
    }
    showSideControls(side);
}

void frmOStr::showSideControls(Side& side) {
    const bool last = side.optLast->isChecked();
    const bool match = side.optMatch->isChecked();
    const bool offset = match && side.chkOffset->isChecked();
    side.txtNumber->setVisible(side.optNumber->isChecked());
    side.chkMinus->setVisible(last);
    side.txtMinus->setVisible(last && side.chkMinus->isChecked());
    side.txtMatch->setVisible(match);
    side.chkOffset->setVisible(match);
    side.fraOffset->setVisible(offset);
    side.txtOffset->setVisible(offset);
}

void frmOStr::focusIfShown(std::initializer_list<QLineEdit*> boxes) {
    if (loading_) {
        return;
    }
    for (QLineEdit* box : boxes) {
        if (box->isVisibleTo(this)) {
            box->setFocus();
            return;
        }
    }
}

QWidget* frmOStr::activationFocus() const {
    return start_.optNumber->isChecked() ? start_.txtNumber : nullptr;
}

SpecDialogState frmOStr::sideState(const Side& side) const {
    SpecDialogState state;
    state.kind = side.optLast->isChecked()    ? SpecKind::LastPosition
                 : side.optMatch->isChecked() ? SpecKind::AfterMatch
                                              : SpecKind::Number;
    state.numberText = side.txtNumber->text().toStdString();
    state.minus = side.chkMinus->isChecked();
    state.minusText = side.txtMinus->text().toStdString();
    state.matchString = side.txtMatch->text().toStdString();
    state.useOffset = side.chkOffset->isChecked();
    state.plus = side.optPlus->isChecked();
    state.offsetText = side.txtOffset->text().toStdString();
    return state;
}

void frmOStr::ok() {
    const OutputDialogState current{sideState(start_), sideState(end_)};
    const DialogCheck check = CheckOutputDialog(current);
    if (!check.accepted) {
        ReportRefusal(this, prompter_, check);
        return;
    }
    edited_ = OutputFromDialog(current);
    result_ = true;
    accept();
}

}  // namespace magtune::dataedit
