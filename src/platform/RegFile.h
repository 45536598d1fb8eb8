#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/RegistryTree.h"

namespace magtune {

// The preferences file: the text of a Windows registry export
// ("Windows Registry Editor Version 5.00") holding keys of
// HKEY_CURRENT_USER only. Texts are the program's own bytes; a string
// value that is not plain printable ASCII with one terminating zero is
// written as hex(1): with its bytes, so that every value reads back exactly.
struct RegFileContents {
    bool ok = false;
    std::string problem;   // why the text was refused
    std::size_t line = 0;  // 1-based line of the problem, 0 for the whole file
    RegistryTree tree;
};

// Any bytes are accepted as input; anything that is not a well-formed
// export is refused as a whole with the reason and its line.
RegFileContents ParseRegFile(std::span<const std::uint8_t> bytes);

std::string FormatRegFile(const RegistryTree& tree);

}  // namespace magtune
