#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/RegistryTree.h"

namespace magtune::platform {

// The preferences file: the text of a Windows registry export
// ("Windows Registry Editor Version 5.00") holding keys of
// HKEY_CURRENT_USER only. Texts are the program's own bytes (UTF-8); a
// string value that is not plain printable ASCII with one terminating zero
// is written as hex(1): with its UTF-16LE code units, as the registry
// editor writes it (bytes that are no UTF-8 text stay as they are), so that
// every value reads back exactly. hex(1): data in the older UTF-8 form is
// read too.
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

}  // namespace magtune::platform
