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
    const dataedit::FormulaTextResult result = dataedit::ReadFormulaText(text);
    if (!result.formula) {
        check(result.errorPosition >= 1 && !result.error.empty());
        return 0;
    }
    const dataedit::FormulaTextResult again =
        dataedit::ReadFormulaText(dataedit::FormulaText(*result.formula));
    check(again.formula.has_value() && *again.formula == *result.formula);

    std::vector<std::uint8_t> bytes;
    if (dataedit::CompileFormula(*result.formula, static_cast<int>(dataedit::kFormulaMemorySize),
                                 bytes) > 0) {
        const auto decoded = dataedit::DecodeFormula(bytes);
        check(decoded.has_value());
        std::vector<std::uint8_t> recompiled;
        dataedit::CompileFormula(*decoded, static_cast<int>(dataedit::kFormulaMemorySize),
                                 recompiled);
        check(recompiled == bytes);
    }
    return 0;
}
