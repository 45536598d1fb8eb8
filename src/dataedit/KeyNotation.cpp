#include "dataedit/KeyNotation.h"

#include <algorithm>
#include <array>
#include <vector>

#include "dataedit/Ansi.h"

namespace magtune::dataedit {

namespace {

// No use of the notation holds more than this many bytes, whatever the
// destination's size.
constexpr std::size_t kMaxSequenceBytes = 256;

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::optional<int> hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

std::string hexToken(std::uint8_t byte) {
    return {'<', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F], '>'};
}

// The bracketed names, case-sensitive, in the order in which they are tried.
// Anything bracketed that is not a name is read as a hexadecimal value, so
// the order matters: "<d>" must never fall through to 0x0D.
std::optional<std::uint8_t> parseBracketed(std::string_view token, bool allowWildcards,
                                           bool allowDelay) {
    struct Name {
        std::string_view text;
        std::uint8_t byte;
        int condition;  // 0 always, 1 wildcards, 2 delay
    };
    static constexpr std::array<Name, 10> kNames = {{{"<t>", 0x09, 0},
                                                     {"<b>", 0x08, 0},
                                                     {"<r>", 0x0D, 0},
                                                     {"<n>", 0x0A, 0},
                                                     {"<d>", 0xC6, 1},
                                                     {"<*>", 0xC6, 2},
                                                     {"<a>", 0xC7, 1},
                                                     {"<<>", 0x3C, 0},
                                                     {"<>>", 0x3E, 0},
                                                     {"<\">", 0x22, 0}}};
    for (const Name& name : kNames) {
        if (token != name.text) {
            continue;
        }
        if ((name.condition == 1 && !allowWildcards) || (name.condition == 2 && !allowDelay)) {
            return std::nullopt;
        }
        return name.byte;
    }
    return ParseHexByte(token.substr(1, token.size() - 2));
}

}  // namespace

std::optional<std::uint8_t> ParseHexByte(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        const auto digit = hexDigitValue(c);
        if (!digit) {
            return std::nullopt;
        }
        value = value * 16 + *digit;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<std::uint8_t> ParseKeyByte(std::string_view text, bool allowWildcards,
                                         bool allowDelay) {
    if (text.empty()) {
        return 0xFF;
    }
    const std::vector<std::string> chars = SplitCharacters(text);
    if (chars.size() == 1) {
        if (chars[0] == "<" || chars[0] == "\"") {
            return std::nullopt;
        }
        return AnsiFromText(chars[0]).front();
    }
    if (chars.front() != "<" || chars.back() != ">") {
        return std::nullopt;
    }
    return parseBracketed(text, allowWildcards, allowDelay);
}

std::string KeySequenceTooLongText(std::size_t capacity) {
    return "Input too long. The maximum allowed size for this input is " +
           std::to_string(capacity) + " characters (bytes).";
}

int ParseKeySequence(std::string_view text, std::span<std::uint8_t> destination,
                     bool allowWildcards, bool allowDelay) {
    std::fill(destination.begin(), destination.end(), std::uint8_t{0xFF});
    const std::size_t capacity = std::min(destination.size(), kMaxSequenceBytes);
    const std::vector<std::string> chars = SplitCharacters(text);
    std::vector<std::uint8_t> bytes;
    for (std::size_t j = 0; j < chars.size(); ++j) {
        std::string token = chars[j];
        if (token == "<") {
            // Searching from the second character after "<" makes "<>>" and
            // "<<>" single tokens.
            std::size_t close = j + 2;
            while (close < chars.size() && chars[close] != ">") {
                ++close;
            }
            if (close >= chars.size()) {
                return kKeySyntaxError;
            }
            for (std::size_t k = j + 1; k <= close; ++k) {
                token += chars[k];
            }
            j = close;
        }
        // The capacity test comes before the token is converted, so a text
        // that fits exactly is accepted.
        if (bytes.size() >= capacity) {
            return kKeyTooLong;
        }
        const auto byte = ParseKeyByte(token, allowWildcards, allowDelay);
        if (!byte) {
            return kKeySyntaxError;
        }
        bytes.push_back(*byte);
    }
    std::copy(bytes.begin(), bytes.end(), destination.begin());
    return static_cast<int>(bytes.size());
}

std::string FormatKeySequence(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == 0xFF) {
            break;
        }
        switch (b) {
            case 0x08:
                text += "<b>";
                break;
            case 0x09:
                text += "<t>";
                break;
            case 0x0A:
                text += "<n>";
                break;
            case 0x0D:
                text += "<r>";
                break;
            case 0x22:
                text += "<\">";
                break;
            case 0x3C:
                text += "<<>";
                break;
            case 0x3E:
                text += "<>>";
                break;
            case 0xC6:
                text += "<*>";
                break;
            default:
                if (b >= 0x20 && b <= 0x7E) {
                    text += static_cast<char>(b);
                } else {
                    text += hexToken(b);
                }
        }
    }
    return text;
}

std::string FormatKeyByte(std::uint8_t byte, bool allowDelay) {
    switch (byte) {
        case 0x22:
            return "<\">";
        case 0x3C:
            return "<<>";
        case 0x3E:
            return "<>>";
        case 0x09:
            return "<t>";
        case 0x08:
            return "<b>";
        case 0x0D:
            return "<r>";
        case 0x0A:
            return "<n>";
        case 0xFF:
            return {};
        default:
            break;
    }
    if (byte >= 0x20 && byte <= 0x7E) {
        return std::string(1, static_cast<char>(byte));
    }
    if (byte == 0xC6 && allowDelay) {
        return "<*>";
    }
    return hexToken(byte);
}

}  // namespace magtune::dataedit
