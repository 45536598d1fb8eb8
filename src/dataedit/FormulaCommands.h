#pragma once

#include <cstddef>

#include "common/Prompter.h"
#include "dataedit/Formula.h"
#include "dataedit/FormulaMemory.h"

namespace magtune::dataedit {

// The formula list with its compiled memory. The Data Editing commands keep
// the two consistent: the memory always holds the compiled list.
struct DataEditing {
    FormulaList formulas;
    FormulaMemory memory;  // image bytes 96-253
};

struct FormulaEditResult {
    bool applied = false;       // the list changed (false: memory full, or nothing to do)
    bool modified = false;      // the caller sets Modified (and marks the caption)
    std::size_t selectRow = 0;  // 1-based row to select afterwards; 0 for none
};

// Every command that changes the list first asks (question, default No)
// whether formulas of the memory that could not be read may be dropped; No
// changes nothing.
//
// Add and edit compile into a scratch area first; only on success do the
// list and the changed bytes of the memory change ("modified" when a byte
// did). On memory full the message is shown and nothing changes.
FormulaEditResult AddFormula(DataEditing& data, const Formula& formula, common::Prompter& prompter);
FormulaEditResult ReplaceFormula(DataEditing& data, std::size_t row, const Formula& formula,
                                 common::Prompter& prompter);

// Delete and move compile straight into the memory and always set modified.
// Rows are 1-based; a row out of range, up on the first row and down on the
// last row do nothing.
FormulaEditResult DeleteFormula(DataEditing& data, std::size_t row, common::Prompter& prompter);
FormulaEditResult MoveFormulaUp(DataEditing& data, std::size_t row, common::Prompter& prompter);
FormulaEditResult MoveFormulaDown(DataEditing& data, std::size_t row, common::Prompter& prompter);

// "Formula" followed by the 1-based row number.
std::string FormulaRowLabel(std::size_t row);

}  // namespace magtune::dataedit
