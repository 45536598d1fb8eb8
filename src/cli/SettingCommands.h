#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace magtune::cli {

// The commands that work on setting files. Each takes the arguments after
// its name, throws UsageError on bad input and returns the exit status.
int CommandNew(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter);
int CommandShow(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& prompter);
int CommandGet(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter);
int CommandSet(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter);
int CommandFormula(const std::vector<std::string>& args, std::ostream& out,
                   common::Prompter& prompter);
int CommandDiff(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& prompter);
int CommandDump(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& prompter);

}  // namespace magtune::cli
