#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace magtune::cli {

// A command as the completion offers it: its name and the options it takes.
struct CompletedCommand {
    std::string name;
    std::vector<std::string> options;
    bool takesFile = false;  // its first argument is a setting file
};

// Writes the bash completion script of magtune-cli: the commands, each
// command's options, the GROUP/LABEL names of the catalogue's rows and, for
// choice rows, GROUP/LABEL=VALUE with each value text. The build writes it
// once from the catalogue and the commands' help, so the script and the
// program always agree.
void WriteBashCompletion(std::ostream& out, const std::vector<CompletedCommand>& commands);

// The options ("--com", "--sim-usb" ...) that a usage or help text names, in
// the order of their first mention, each once.
std::vector<std::string> OptionsNamedIn(std::string_view text);

// A word as bash reads it back unchanged inside $'...'.
std::string BashQuoted(const std::string& word);

}  // namespace magtune::cli
