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

class SilentPrompter : public Prompter {
  public:
    Answer show(const Message& message) override { return message.defaultButton; }
    void beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FormulaMemory memory;
    memory.fill(0xFF);
    std::copy(data, data + std::min(size, memory.size()), memory.begin());
    SilentPrompter prompter;
    FormulaList formulas;
    LoadFormulas(memory, formulas, prompter);

    FormulaMemory compiled;
    check(CompileFormulas(formulas, compiled, prompter));
    FormulaList reloaded;
    LoadFormulas(compiled, reloaded, prompter);
    check(reloaded == formulas);

    for (const Formula& formula : formulas) {
        const FormulaTextResult read = ReadFormulaText(FormulaText(formula));
        check(read.formula.has_value() && *read.formula == formula);
    }
    return 0;
}
