// One-line formula texts: what the reader accepts writes back to a text that
// reads equal, and, when it fits the memory, decodes from the device format.
#include <cstdlib>
#include <string>
#include <vector>

#include "dataedit/FormulaMemory.h"
#include "dataedit/FormulaTextReader.h"

using namespace magtune;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const FormulaTextResult result = ReadFormulaText(text);
    if (!result.formula) {
        check(result.errorPosition >= 1 && !result.error.empty());
        return 0;
    }
    const FormulaTextResult again = ReadFormulaText(FormulaText(*result.formula));
    check(again.formula.has_value() && *again.formula == *result.formula);

    std::vector<std::uint8_t> bytes;
    if (CompileFormula(*result.formula, static_cast<int>(kFormulaMemorySize), bytes) > 0) {
        const auto decoded = DecodeFormula(bytes);
        check(decoded.has_value());
        std::vector<std::uint8_t> recompiled;
        CompileFormula(*decoded, static_cast<int>(kFormulaMemorySize), recompiled);
        check(recompiled == bytes);
    }
    return 0;
}
