#include "dataedit/FormulaCommands.h"

#include <algorithm>
#include <string>
#include <utility>

namespace magtune::dataedit {

namespace {

// Every change compiles the list into the memory, which drops the formulas
// that the list could not take up when the setting was read; the user
// decides first whether they may go.
bool MayDropUnreadFormulas(const DataEditing& data, common::Prompter& prompter) {
    const std::size_t unread = UnreadFormulaCount(data.memory);
    if (unread == 0) {
        return true;
    }
    const std::string text =
        (unread == 1
             ? std::string("1 formula of this setting could not be read and is")
             : std::to_string(unread) + " formulas of this setting could not be read and are") +
        " lost when the formulas are changed. Change them anyway?";
    return prompter.question(text, common::kApplicationTitle, common::MessageButtons::YesNo,
                             common::Answer::No) == common::Answer::Yes;
}

// Add and edit: the memory takes only the bytes that changed, so an edit
// that encodes the same leaves the setting unmodified.
FormulaEditResult applyChanged(DataEditing& data, FormulaList list, common::Prompter& prompter) {
    if (!MayDropUnreadFormulas(data, prompter)) {
        return {};
    }
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
                           common::Prompter& prompter) {
    if (!MayDropUnreadFormulas(data, prompter)) {
        return {};
    }
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

FormulaEditResult AddFormula(DataEditing& data, const Formula& formula,
                             common::Prompter& prompter) {
    FormulaList list = data.formulas;
    list.push_back(formula);
    return applyChanged(data, std::move(list), prompter);
}

FormulaEditResult ReplaceFormula(DataEditing& data, std::size_t row, const Formula& formula,
                                 common::Prompter& prompter) {
    if (!validRow(data, row)) {
        return {};
    }
    FormulaList list = data.formulas;
    list[row - 1] = formula;
    return applyChanged(data, std::move(list), prompter);
}

FormulaEditResult DeleteFormula(DataEditing& data, std::size_t row, common::Prompter& prompter) {
    if (!validRow(data, row)) {
        return {};
    }
    FormulaList list = data.formulas;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(row - 1));
    // The row that took the deleted one's place, or the new last row.
    const std::size_t select = std::min(row, list.size());
    return applyAll(data, std::move(list), select, prompter);
}

FormulaEditResult MoveFormulaUp(DataEditing& data, std::size_t row, common::Prompter& prompter) {
    if (!validRow(data, row) || row == 1) {
        return {};
    }
    FormulaList list = data.formulas;
    std::swap(list[row - 1], list[row - 2]);
    return applyAll(data, std::move(list), row - 1, prompter);
}

FormulaEditResult MoveFormulaDown(DataEditing& data, std::size_t row, common::Prompter& prompter) {
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

}  // namespace magtune::dataedit
