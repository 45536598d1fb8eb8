#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace magtune {

// Writes the bash completion script of magtune-cli: the commands, the
// options, the GROUP/LABEL names of the catalogue's rows and, for choice
// rows, GROUP/LABEL=VALUE with each value text. The build writes it once
// from the catalogue, so the script and the program always agree.
void WriteBashCompletion(std::ostream& out, const std::vector<std::string>& commands);

// A word as bash reads it back unchanged inside $'...'.
std::string BashQuoted(const std::string& word);

}  // namespace magtune
