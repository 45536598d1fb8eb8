#pragma once

#include <cstddef>
#include <vector>

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "dataedit/Formula.h"
#include "dataedit/FormulaDialogRules.h"
#include "dataedit/ui/EditDialog.h"
#include "settings/StringInput.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace magtune::dataedit {

// "Define Formula": one data editing formula. The caller fills
// EditedFormula (a new formula or a copy), shows the dialog modally and,
// when result() is true, takes EditedFormula back. The match and output
// buttons change its lists at once; input ids, length and the removal of the
// matches are stored by OK.
class frmFmula : public EditDialog {
    Q_OBJECT

  public:
    frmFmula(Formula& EditedFormula, settings::StringInputRunner& input, common::Prompter& prompter,
             common::HelpViewer& help, QWidget* parent = nullptr);

    bool result() const { return result_; }

  private:
    void showCheckedControls();
    void addMatch();
    void editMatch(int row);
    void deleteMatch();
    void addLiteral();
    void addFromOriginal();
    void editOutput(int row);
    void deleteOutput();
    bool askLiteral(std::string& text);
    void ok();

    Formula& edited_;
    settings::StringInputRunner& input_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    bool result_ = false;
    bool loading_ = true;

    // Parts whose text is empty get no row, so each list keeps the index of
    // the record behind every row.
    std::vector<std::size_t> matchIndex_;
    std::vector<std::size_t> outputIndex_;

    QCheckBox* chkInpId_;
    QListWidget* lstInpId_;
    QCheckBox* chkLength_;
    QLabel* lblMin_;
    QLabel* lblMax_;
    QLineEdit* txtMinLen_;
    QLineEdit* txtMaxLen_;
    QCheckBox* chkMatch_;
    QListWidget* lstMatch_;
    QPushButton* cmdAddMatch_;
    QPushButton* cmdDelMatch_;
    QPushButton* cmdMatchUp_;
    QPushButton* cmdMatchDown_;
    QListWidget* lstOutput_;
};

}  // namespace magtune::dataedit
