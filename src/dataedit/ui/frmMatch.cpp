#include "dataedit/ui/frmMatch.h"

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

frmMatch::frmMatch(MatchQualifier& EditedMatch, settings::StringInputRunner& input,
                   common::Prompter& prompter, common::HelpViewer& help, QWidget* parent)
    : EditDialog(parent), edited_(EditedMatch), prompter_(prompter), help_(help) {
    setObjectName("frmMatch");
    setWindowTitle("Define Match");

    auto* start = new QGroupBox("Start From", this);
    optPos_ = Named(new QRadioButton("Position", start), "optPos");
    optAnyPos_ = Named(new QRadioButton("Any Position", start), "optAnyPos");
    optLastPos_ = Named(new QRadioButton("Last Position", start), "optLastPos");
    txtPos_ = MakeNumberBox(start, "txtPos");
    chkMinus_ = Named(new QCheckBox("Minus", start), "chkMinus");
    KeepPlaceWhenHidden(chkMinus_);
    txtLastPos_ = MakeNumberBox(start, "txtLastPos");
    auto* startGrid = new QGridLayout(start);
    startGrid->addWidget(optPos_, 0, 0);
    startGrid->addWidget(txtPos_, 0, 1);
    startGrid->addWidget(optAnyPos_, 1, 0);
    startGrid->addWidget(optLastPos_, 2, 0);
    startGrid->addWidget(chkMinus_, 2, 1);
    startGrid->addWidget(txtLastPos_, 2, 2);
    startGrid->setColumnStretch(3, 1);

    auto* matchFrame = new QGroupBox("Match String", this);
    txtMatchStr_ = Named(new MatchStringBox(input, prompter, matchFrame), "txtMatchStr");
    auto* matchLayout = new QVBoxLayout(matchFrame);
    matchLayout->addWidget(txtMatchStr_);

    QPushButton* cmdOK = MakeButton(this, "cmdOK", "OK");
    QPushButton* cmdCancel = MakeButton(this, "cmdCancel", "Cancel");
    QPushButton* cmdHelp = MakeButton(this, "cmdHelp", "Help");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(start);
    layout->addWidget(matchFrame);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    for (QRadioButton* option : {optPos_, optAnyPos_, optLastPos_}) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                showOptionControls();
            }
        });
    }
    connect(chkMinus_, &QCheckBox::toggled, this, &frmMatch::showOptionControls);
    connect(txtMatchStr_, &MatchStringBox::inputShown, this, &frmMatch::noteInputShown);
    connect(cmdOK, &QPushButton::clicked, this, &frmMatch::ok);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        result_ = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this,
            [this] { help_.showTopic("::/html/defmatch.htm"); });

    const MatchDialogState opening = MatchDialogFromRecord(edited_);
    txtPos_->setText(QString::fromStdString(opening.positionText));
    chkMinus_->setChecked(opening.minus);
    txtLastPos_->setText(QString::fromStdString(opening.minusText));
    txtMatchStr_->setText(QString::fromStdString(opening.matchString));
    switch (opening.kind) {
        case MatchKind::AnyPosition:
            optAnyPos_->setChecked(true);
            break;
        case MatchKind::LastPosition:
            optLastPos_->setChecked(true);
            break;
        default:
            optPos_->setChecked(true);
            break;
    }
    showOptionControls();
    loading_ = false;
}

void frmMatch::showOptionControls() {
    const bool last = optLastPos_->isChecked();
    txtPos_->setVisible(optPos_->isChecked());
    chkMinus_->setVisible(last);
    txtLastPos_->setVisible(last && chkMinus_->isChecked());
    if (loading_) {
        return;
    }
    if (txtPos_->isVisibleTo(this)) {
        txtPos_->setFocus();
    } else if (txtLastPos_->isVisibleTo(this)) {
        txtLastPos_->setFocus();
    }
}

QWidget* frmMatch::activationFocus() const {
    return optPos_->isChecked() ? txtPos_ : nullptr;
}

MatchDialogState frmMatch::state() const {
    MatchDialogState state;
    state.kind = optAnyPos_->isChecked()    ? MatchKind::AnyPosition
                 : optLastPos_->isChecked() ? MatchKind::LastPosition
                                            : MatchKind::AtPosition;
    state.positionText = txtPos_->text().toStdString();
    state.minus = chkMinus_->isChecked();
    state.minusText = txtLastPos_->text().toStdString();
    state.matchString = txtMatchStr_->text().toStdString();
    return state;
}

void frmMatch::ok() {
    const MatchDialogState current = state();
    const DialogCheck check = CheckMatchDialog(current);
    if (!check.accepted) {
        ReportRefusal(this, prompter_, check);
        return;
    }
    edited_ = MatchFromDialog(current);
    result_ = true;
    accept();
}

}  // namespace magtune::dataedit
