// Formula memory from a device or a file: every formula that loads compiles
// to bytes that load back equal, and its text reads back equal.
#include <algorithm>
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

class SilentPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override { return message.defaultButton; }
    void beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dataedit::FormulaMemory memory;
    memory.fill(0xFF);
    std::copy(data, data + std::min(size, memory.size()), memory.begin());
    SilentPrompter prompter;
    dataedit::FormulaList formulas;
    dataedit::LoadFormulas(memory, formulas, prompter);

    dataedit::FormulaMemory compiled;
    check(dataedit::CompileFormulas(formulas, compiled, prompter));
    dataedit::FormulaList reloaded;
    dataedit::LoadFormulas(compiled, reloaded, prompter);
    check(reloaded == formulas);

    for (const dataedit::Formula& formula : formulas) {
        const dataedit::FormulaTextResult read =
            dataedit::ReadFormulaText(dataedit::FormulaText(formula));
        check(read.formula.has_value() && *read.formula == formula);
    }
    return 0;
}
