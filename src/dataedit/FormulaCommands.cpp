#include "dataedit/FormulaCommands.h"

#include <algorithm>
#include <string>
#include <utility>

namespace magtune {

namespace {

// Add and edit: the memory takes only the bytes that changed, so an edit
// that encodes the same leaves the setting unmodified.
FormulaEditResult applyChanged(DataEditing& data, FormulaList list, Prompter& prompter) {
    FormulaMemory scratch;
    if (!CompileFormulas(list, scratch, prompter)) {
        return {};
    }
    FormulaEditResult result;
    result.applied = true;
    for (std::size_t i = 0; i < scratch.size(); ++i) {
        if (data.memory[i] != scratch[i]) {
            data.memory[i] = scratch[i];
            result.modified = true;
        }
    }
    data.formulas = std::move(list);
    return result;
}

// Delete and move: the whole memory is rewritten and the setting counts as
// modified. The list is compiled aside all the same, so that a list that
// somehow does not fit leaves both as they were instead of a half-written
// memory.
FormulaEditResult applyAll(DataEditing& data, FormulaList list, std::size_t selectRow,
                           Prompter& prompter) {
    FormulaMemory scratch;
    if (!CompileFormulas(list, scratch, prompter)) {
        return {};
    }
    data.memory = scratch;
    data.formulas = std::move(list);
    return {true, true, selectRow};
}

bool validRow(const DataEditing& data, std::size_t row) {
    return row >= 1 && row <= data.formulas.size();
}

}  // namespace

FormulaEditResult AddFormula(DataEditing& data, const Formula& formula, Prompter& prompter) {
    FormulaList list = data.formulas;
    list.push_back(formula);
    return applyChanged(data, std::move(list), prompter);
}

FormulaEditResult ReplaceFormula(DataEditing& data, std::size_t row, const Formula& formula,
                                 Prompter& prompter) {
    if (!validRow(data, row)) {
        return {};
    }
    FormulaList list = data.formulas;
    list[row - 1] = formula;
    return applyChanged(data, std::move(list), prompter);
}

FormulaEditResult DeleteFormula(DataEditing& data, std::size_t row, Prompter& prompter) {
    if (!validRow(data, row)) {
        return {};
    }
    FormulaList list = data.formulas;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(row - 1));
    // The row that took the deleted one's place, or the new last row.
    const std::size_t select = std::min(row, list.size());
    return applyAll(data, std::move(list), select, prompter);
}

FormulaEditResult MoveFormulaUp(DataEditing& data, std::size_t row, Prompter& prompter) {
    if (!validRow(data, row) || row == 1) {
        return {};
    }
    FormulaList list = data.formulas;
    std::swap(list[row - 1], list[row - 2]);
    return applyAll(data, std::move(list), row - 1, prompter);
}

FormulaEditResult MoveFormulaDown(DataEditing& data, std::size_t row, Prompter& prompter) {
    if (!validRow(data, row) || row == data.formulas.size()) {
        return {};
    }
    FormulaList list = data.formulas;
    std::swap(list[row - 1], list[row]);
    return applyAll(data, std::move(list), row + 1, prompter);
}

std::string FormulaRowLabel(std::size_t row) {
    return "Formula" + std::to_string(row);
}

}  // namespace magtune
