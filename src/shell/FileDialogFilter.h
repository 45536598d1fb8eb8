#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace magtune::shell {

// The file dialogs take their filters as pairs of a name and a pattern list
// separated by "|" ("Setting Files (*.cfg)|*.cfg"). Each pair becomes one
// entry "name (patterns)"; a name that already shows its patterns is kept
// as it is. Blanks around names and patterns are dropped, patterns
// separated by ";" are separated by blanks instead, and a pair
// without a pattern is skipped.
std::vector<std::string> NameFilters(std::string_view filter);

}  // namespace magtune::shell
