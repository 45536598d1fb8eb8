#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "dataedit/Formula.h"
#include "dataedit/FormulaDialogRules.h"
#include "dataedit/ui/EditDialog.h"
#include "settings/StringInput.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace magtune::dataedit {

class MatchStringBox;

// "Define Match": one match qualifier of a formula. The caller fills
// EditedMatch (a new record or a copy), shows the dialog modally and, when
// result() is true, takes EditedMatch back.
class frmMatch : public EditDialog {
    Q_OBJECT

  public:
    frmMatch(MatchQualifier& EditedMatch, settings::StringInputRunner& input,
             common::Prompter& prompter, common::HelpViewer& help, QWidget* parent = nullptr);

    bool result() const { return result_; }

  protected:
    QWidget* activationFocus() const override;

  private:
    void showOptionControls();
    MatchDialogState state() const;
    void ok();

    MatchQualifier& edited_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    bool result_ = false;
    bool loading_ = true;

    QRadioButton* optPos_;
    QRadioButton* optAnyPos_;
    QRadioButton* optLastPos_;
    QLineEdit* txtPos_;
    QCheckBox* chkMinus_;
    QLineEdit* txtLastPos_;
    MatchStringBox* txtMatchStr_;
};

}  // namespace magtune::dataedit
