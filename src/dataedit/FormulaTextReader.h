#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "dataedit/Formula.h"

namespace magtune {

struct FormulaTextResult {
    std::optional<Formula> formula;  // set when the text read
    std::size_t errorPosition = 0;   // 1-based character position of the fault
    std::string error;               // what is wrong there, for the user
};

// Reads the one-line form that FormulaText produces, for example
// IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER. Every text that
// FormulaText produces reads back to an equal formula.
FormulaTextResult ReadFormulaText(std::string_view text);

}  // namespace magtune
