// Key notation: any text either parses or leaves the destination untouched,
// and every byte sequence the formatter writes parses back to itself.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "dataedit/Ansi.h"
#include "dataedit/KeyNotation.h"

using namespace magtune;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool wildcards = data[0] & 1;
    const bool delay = data[0] & 2;
    const std::size_t capacity = data[0] >> 2;  // 0..63
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string joined;
    for (const std::string& c : dataedit::SplitCharacters(text)) {
        check(!c.empty());
        joined += c;
    }
    check(joined == text);
    const std::vector<std::uint8_t> ansi = dataedit::AnsiFromText(text);
    check(dataedit::AnsiFromText(dataedit::TextFromAnsi(ansi)) == ansi);

    std::vector<std::uint8_t> destination(capacity, 0x00);
    const int count = dataedit::ParseKeySequence(text, destination, wildcards, delay);
    check(count >= dataedit::kKeyTooLong && count <= static_cast<int>(capacity));
    const std::size_t used = count > 0 ? static_cast<std::size_t>(count) : 0;
    check(std::all_of(destination.begin() + used, destination.end(),
                      [](std::uint8_t b) { return b == 0xFF; }));

    if (count > 0) {
        // The formatter stops at 0xFF and writes 0xC6 as the delay code.
        const auto end = std::find(destination.begin(), destination.begin() + used, 0xFF);
        const std::vector<std::uint8_t> bytes(destination.begin(), end);
        std::vector<std::uint8_t> again(256);
        const int n =
            dataedit::ParseKeySequence(dataedit::FormatKeySequence(bytes), again, false, true);
        check(n == static_cast<int>(bytes.size()));
        check(std::equal(bytes.begin(), bytes.end(), again.begin()));
    }

    if (const auto byte = dataedit::ParseKeyByte(text, wildcards, delay)) {
        check(dataedit::ParseKeyByte(dataedit::FormatKeyByte(*byte, delay), false, delay) == *byte);
        if (!text.empty() && *byte != 0xFF) {
            std::vector<std::uint8_t> one(1);
            check(dataedit::ParseKeySequence(text, one, wildcards, delay) == 1 && one[0] == *byte);
        }
    }
    (void)dataedit::ParseHexByte(text);
    return 0;
}
