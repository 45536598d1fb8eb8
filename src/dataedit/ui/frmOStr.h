#pragma once

#include <initializer_list>

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "dataedit/Formula.h"
#include "dataedit/FormulaDialogRules.h"
#include "dataedit/ui/EditDialog.h"
#include "settings/StringInput.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace magtune::dataedit {

class MatchStringBox;

// "Output From Original Data": an output string that is a piece of the data
// the reader read, from a start to an end. The caller fills EditedOutput (a
// new record or a copy), shows the dialog modally and, when result() is
// true, takes EditedOutput back.
class frmOStr : public EditDialog {
    Q_OBJECT

  public:
    frmOStr(OutputString& EditedOutput, settings::StringInputRunner& input,
            common::Prompter& prompter, common::HelpViewer& help, QWidget* parent = nullptr);

    bool result() const { return result_; }

  protected:
    QWidget* activationFocus() const override;

  private:
    // The controls of the start or of the end parameter.
    struct Side {
        QRadioButton* optNumber;
        QLineEdit* txtNumber;
        QRadioButton* optLast;
        QCheckBox* chkMinus;
        QLineEdit* txtMinus;
        QRadioButton* optMatch;
        MatchStringBox* txtMatch;
        QCheckBox* chkOffset;
        QGroupBox* fraOffset;
        QRadioButton* optPlus;
        QRadioButton* optMinus;
        QLineEdit* txtOffset;
    };
    struct SideNames;

    QGroupBox* buildSide(Side& side, const QString& title, const SideNames& names,
                         settings::StringInputRunner& input);
    void loadSide(Side& side, const SpecDialogState& state);
    void showSideControls(Side& side);
    void focusIfShown(std::initializer_list<QLineEdit*> boxes);
    SpecDialogState sideState(const Side& side) const;
    void ok();

    OutputString& edited_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    bool result_ = false;
    bool loading_ = true;
    Side start_{};
    Side end_{};
};

}  // namespace magtune::dataedit
