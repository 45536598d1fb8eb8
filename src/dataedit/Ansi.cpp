#include "dataedit/Ansi.h"

#include <array>

namespace magtune::dataedit {

namespace {

// Code points of the Windows-1252 bytes 0x80-0x9F. The five bytes that the
// code page leaves undefined keep their own value, so every byte survives a
// round trip through text.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePointOfByte(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

std::uint8_t byteOfCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<std::uint8_t>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return '?';
}

struct DecodedChar {
    char32_t codePoint;
    std::size_t length;
    bool valid;
};

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// One character of UTF-8 at text[i]. Overlong forms, surrogates and values
// past U+10FFFF are malformed; a malformed lead byte stands for itself.
DecodedChar decodeUtf8(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const DecodedChar malformed{lead, 1, false};
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return malformed;
    }
    if (i + length > text.size()) {
        return malformed;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high) {
        return malformed;
    }
    cp = (cp << 6) | (second & 0x3F);
    for (std::size_t k = 2; k < length; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if (!isContinuation(c)) {
            return malformed;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    return {cp, length, true};
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Windows-1252 needs nothing above the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::vector<std::uint8_t> AnsiFromText(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const DecodedChar c = decodeUtf8(text, i);
        bytes.push_back(c.valid ? byteOfCodePoint(c.codePoint)
                                : static_cast<std::uint8_t>(c.codePoint));
        i += c.length;
    }
    return bytes;
}

std::string TextFromAnsi(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::uint8_t b : bytes) {
        appendUtf8(text, codePointOfByte(b));
    }
    return text;
}

std::string TextFromAnsiByte(std::uint8_t byte) {
    std::string text;
    appendUtf8(text, codePointOfByte(byte));
    return text;
}

std::vector<std::string> SplitCharacters(std::string_view text) {
    std::vector<std::string> chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = decodeUtf8(text, i).length;
        chars.emplace_back(text.substr(i, length));
        i += length;
    }
    return chars;
}

}  // namespace magtune::dataedit
