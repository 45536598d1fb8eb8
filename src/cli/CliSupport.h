#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/Prompter.h"
#include "settings/SettingStore.h"

namespace magtune::cli {

// Thrown by command handlers for bad input; RunCli prints it and exits 2.
// Only the command line uses this: it unwinds a single command, never a
// layer of the core.
struct UsageError {
    std::string message;
};

// Loads a setting file into the store (formula load messages go to the
// prompter as warnings); throws UsageError when it cannot be read.
void LoadSettingFile(const std::string& path, settings::SettingStore& store,
                     common::Prompter& prompter);

// Packs and writes the store atomically; throws UsageError on failure.
void SaveSettingFile(const std::string& path, settings::SettingStore& store,
                     common::Prompter& prompter);

// Why a file could not be written at `path` now (an errno value), 0 when it
// could: checked before a long exchange with readers whose result would be
// lost. The write itself still decides (and keeps the old file whole).
int WriteTargetProblem(const std::string& path);

// A 1-based number given on the command line.
std::size_t ParseRowNumber(const std::string& text, const char* what);

}  // namespace magtune::cli
