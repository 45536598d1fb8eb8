#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "dataedit/Formula.h"

namespace magtune::dataedit {

struct FormulaTextResult {
    std::optional<Formula> formula;  // set when the text read
    std::size_t errorPosition = 0;   // 1-based character position of the fault
    std::string error;               // what is wrong there, for the user
};

// Reads the one-line form that FormulaText produces, for example
// IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER. The error names
// the fault and ends with " at position N" (1-based characters).
//
// The text reads back to an equal formula for every formula in the form
// that the decoder and the dialogs produce, and only texts of such formulas
// are accepted:
//  - the formula: empty false; input id flags 0 or 1; minLength and
//    maxLength both 0, or 1..127 with maxLength >= minLength; at least one
//    of input ids, length, matches or outputs (a formula that is only its
//    end code does not load);
//  - every match and output, and both specifications of a "From Original"
//    output, have empty false; a literal output keeps default (empty)
//    specifications, a "From Original" output an empty literal;
//  - positions and numbers 1..127 (0 where the kind has none), counts
//    0..127; an absent offset has sign 0 and value 0; a present offset of
//    "<#>" has sign minus, that of "After Matching" plus or minus;
//  - strings are non-empty key texts of at most 158 bytes (wildcards in
//    match strings, the delay in literals) without the codes <C4>, <C5>,
//    <C8>, and every output passes CheckOutputSpec.
// Strings are kept as written ("<41>" stays "<41>"). Input ids must rise.
// A "<#>" match string may be longer than its minus value plus one: the
// device accepts it and the decoder reads it, so the text must too.
FormulaTextResult ReadFormulaText(std::string_view text);

}  // namespace magtune::dataedit
