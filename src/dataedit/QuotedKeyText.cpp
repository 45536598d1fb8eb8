#include "dataedit/QuotedKeyText.h"

#include "dataedit/KeyNotation.h"

namespace magtune::dataedit {

std::string AtPosition(std::size_t index) {
    return " at position " + std::to_string(index + 1);
}

QuotedKeyText ReadQuotedKeyText(const std::vector<std::string>& chars, std::size_t open,
                                bool allowWildcards, bool allowDelay) {
    QuotedKeyText result;
    auto fail = [&result](std::size_t index, std::string message) {
        result.errorIndex = index;
        result.error = std::move(message);
        return result;
    };
    std::size_t i = open + 1;
    while (true) {
        if (i >= chars.size()) {
            return fail(open, "the quotation mark is not closed");
        }
        if (chars[i] == "\"") {
            break;
        }
        std::string token = chars[i];
        std::size_t last = i;
        if (token == "<") {
            last = i + 2;
            while (last < chars.size() && chars[last] != ">") {
                ++last;
            }
            if (last >= chars.size()) {
                return fail(i, "\"<\" has no closing \">\"");
            }
            for (std::size_t k = i + 1; k <= last; ++k) {
                token += chars[k];
            }
        }
        const auto byte = ParseKeyByte(token, allowWildcards, allowDelay);
        if (!byte) {
            if (token == "<d>" || token == "<a>") {
                return fail(i, "\"" + token + "\" is allowed only in match strings");
            }
            if (token == "<*>") {
                return fail(i, "\"<*>\" is allowed only in output strings");
            }
            return fail(i, "unknown key code \"" + token + "\"");
        }
        result.bytes.push_back(*byte);
        result.byteAt.push_back(i);
        result.text += token;
        i = last + 1;
    }
    result.ok = true;
    result.next = i + 1;
    return result;
}

}  // namespace magtune::dataedit
