// Preferences files are read from disk where anyone may have edited them:
// any bytes must be refused or accepted cleanly, and whatever is accepted
// must be written so that it reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace magtune;
    platform::RegFileContents contents =
        platform::ParseRegFile(std::span<const std::uint8_t>(data, size));
    if (!contents.ok) {
        return 0;
    }
    std::string text = platform::FormatRegFile(contents.tree);
    platform::RegFileContents again = platform::ParseRegFile(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!again.ok || platform::FormatRegFile(again.tree) != text) {
        std::abort();
    }
    return 0;
}
