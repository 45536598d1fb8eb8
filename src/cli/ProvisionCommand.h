#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"
#include "common/Prompter.h"

namespace magtune::cli {

// One setting into many readers at once, each read back and compared.
int CommandProvision(const std::vector<std::string>& args, std::ostream& out,
                     common::Prompter& prompter, const app::RuntimeConfig& config);

extern const char* const kProvisionSynopsis;
extern const char* const kProvisionHelp;

}  // namespace magtune::cli
