#include "platform/RegFile.h"

#include <optional>
#include <string_view>
#include <vector>

namespace magtune::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kShortRoot = "HKCU";
constexpr std::size_t kLineWidth = 78;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to maxDigits hexadecimal digits and nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           RegistryTree::EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// A registry export from Windows is UTF-16; the texts this program keeps
// are single bytes, so only characters up to U+00FF can be taken over.
std::optional<std::string> DecodeText(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2 != 0) {
            return std::nullopt;
        }
        std::string text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            if (bytes[i + 1] != 0) {
                return std::nullopt;
            }
            text.push_back(static_cast<char>(bytes[i]));
        }
        return text;
    }
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes = bytes.subspan(3);
    }
    return std::string(bytes.begin(), bytes.end());
}

// hex(1): values hold UTF-16LE with a terminating zero, as the registry
// editor exports them; in memory a text is UTF-8 with one zero byte. Both
// directions refuse what is not a well-formed text, which then stays bytes.
std::optional<std::vector<std::uint8_t>> Utf16FromText(std::span<const std::uint8_t> data) {
    if (data.empty() || data.back() != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    auto put = [&out](std::uint32_t unit) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    for (std::size_t i = 0; i + 1 < data.size();) {
        std::uint8_t lead = data[i];
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        if (lead == 0 || length == 0 || i + length >= data.size()) {
            return std::nullopt;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((data[i + k] & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = code << 6 | (data[i + k] & 0x3F);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
        i += length;
    }
    put(0);
    return out;
}

std::optional<std::vector<std::uint8_t>> TextFromUtf16(std::span<const std::uint8_t> data) {
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 2] != 0 || data.back() != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    const std::size_t units = data.size() / 2 - 1;
    auto unit = [&data](std::size_t k) {
        return static_cast<std::uint32_t>(data[2 * k] | data[2 * k + 1] << 8);
    };
    for (std::size_t k = 0; k < units; ++k) {
        std::uint32_t code = unit(k);
        if (code == 0 || (code >= 0xDC00 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (k + 1 >= units || unit(k + 1) < 0xDC00 || unit(k + 1) > 0xDFFF) {
                return std::nullopt;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(++k) - 0xDC00);
        }
        if (code < 0x80) {
            out.push_back(static_cast<std::uint8_t>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | code >> 6));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<std::uint8_t>(0xE0 | code >> 12));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<std::uint8_t>(0xF0 | code >> 18));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (code & 0x3F)));
        }
    }
    out.push_back(0);
    return out;
}

class Parser {
  public:
    explicit Parser(const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            lines_.push_back(Trim(std::string_view(text).substr(start, end - start)));
            start = end + 1;
        }
    }

    RegFileContents run() {
        std::size_t i = 0;
        while (i < lines_.size() && lines_[i].empty()) {
            ++i;
        }
        if (i == lines_.size() || (lines_[i] != kHeader && lines_[i] != kOldHeader)) {
            return fail(i == lines_.size() ? 0 : i + 1,
                        "it does not begin with \"" + std::string(kHeader) + "\"");
        }
        for (++i; i < lines_.size(); ++i) {
            std::size_t lineNumber = i + 1;
            std::string_view line = lines_[i];
            if (line.empty() || line.front() == ';') {
                continue;
            }
            if (line.front() == '[') {
                if (!section(line)) {
                    return fail(lineNumber, "the key name is not valid");
                }
                continue;
            }
            if (line.front() != '"' && line.front() != '@') {
                return fail(lineNumber, "the line is neither a key nor a value");
            }
            std::string joined(line);
            while (joined.back() == '\\') {
                if (i + 1 == lines_.size() || lines_[i + 1].empty()) {
                    return fail(lineNumber, "the value ends in the middle");
                }
                joined.pop_back();
                joined += lines_[++i];
            }
            if (current_ == nullptr) {
                return fail(lineNumber, "the value belongs to no key");
            }
            if (!value(joined)) {
                return fail(lineNumber, "the value is not valid");
            }
        }
        result_.ok = true;
        return std::move(result_);
    }

  private:
    RegFileContents fail(std::size_t line, std::string problem) {
        RegFileContents failed;
        failed.line = line;
        failed.problem = std::move(problem);
        return failed;
    }

    bool section(std::string_view line) {
        if (line.size() < 2 || line.back() != ']') {
            return false;
        }
        std::string_view inner = line.substr(1, line.size() - 2);
        bool deletion = !inner.empty() && inner.front() == '-';
        if (deletion) {
            inner.remove_prefix(1);
        }
        std::size_t slash = inner.find('\\');
        std::string_view root = inner.substr(0, slash);
        if (!RegistryTree::EqualNoCase(root, kRoot) &&
            !RegistryTree::EqualNoCase(root, kShortRoot)) {
            return false;
        }
        std::string_view path =
            slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
        std::vector<std::string> names;
        if (!RegistryTree::SplitPath(path, names) ||
            (slash != std::string_view::npos && names.empty())) {
            return false;
        }
        if (deletion) {
            if (!names.empty()) {
                result_.tree.remove(path);
            }
            current_ = nullptr;
            return !names.empty();
        }
        current_ = result_.tree.create(path);
        return current_ != nullptr;
    }

    // A quoted text with \\ and \" escapes, from text[pos] == '"'.
    static bool Quoted(std::string_view text, std::size_t& pos, std::string& out) {
        ++pos;
        while (pos < text.size()) {
            char c = text[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c == '\\') {
                if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"')) {
                    return false;
                }
                c = text[pos + 1];
                ++pos;
            }
            out.push_back(c);
            ++pos;
        }
        return false;
    }

    static bool HexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
        text = Trim(text);
        if (!text.empty() && text.back() == ',') {
            text.remove_suffix(1);
        }
        if (Trim(text).empty()) {
            return true;
        }
        for (;;) {
            std::size_t comma = text.find(',');
            auto byte = ParseHexNumber(Trim(text.substr(0, comma)), 2);
            if (!byte) {
                return false;
            }
            out.push_back(static_cast<std::uint8_t>(*byte));
            if (comma == std::string_view::npos) {
                return true;
            }
            text.remove_prefix(comma + 1);
        }
    }

    bool value(std::string_view line) {
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!Quoted(line, pos, name) || !RegistryTree::ValidValueName(name)) {
            return false;
        }
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            return false;
        }
        std::string_view data = Trim(rest.substr(1));
        if (data == "-") {
            current_->removeValue(name);
            return true;
        }
        RegValue v;
        if (!data.empty() && data.front() == '"') {
            std::string text;
            std::size_t at = 0;
            if (!Quoted(data, at, text) || at != data.size()) {
                return false;
            }
            v = RegValue::string(text);
        } else if (StartsWithNoCase(data, "dword:")) {
            auto number = ParseHexNumber(data.substr(6), 8);
            if (!number) {
                return false;
            }
            v = RegValue::dword(*number);
        } else if (StartsWithNoCase(data, "hex:")) {
            v.type = RegType::Binary;
            if (!HexBytes(data.substr(4), v.data)) {
                return false;
            }
        } else if (StartsWithNoCase(data, "hex(")) {
            std::size_t close = data.find("):");
            if (close == std::string_view::npos) {
                return false;
            }
            auto type = ParseHexNumber(data.substr(4, close - 4), 8);
            if (!type || !HexBytes(data.substr(close + 2), v.data)) {
                return false;
            }
            v.type = static_cast<RegType>(*type);
            // Files written before texts were exported as UTF-16 hold the
            // UTF-8 bytes themselves; those never end in two zero bytes.
            if (v.type == RegType::String) {
                if (auto text = TextFromUtf16(v.data)) {
                    v.data = std::move(*text);
                }
            }
        } else {
            return false;
        }
        current_->setValue(name, std::move(v));
        return true;
    }

    std::vector<std::string_view> lines_;
    RegFileContents result_;
    RegistryTree::Key* current_ = nullptr;
};

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

bool PlainText(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] < 0x20 || data[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

std::string Hex(std::uint32_t value, int width) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0 || static_cast<int>(text.size()) < width);
    return text;
}

void AppendValue(std::string& out, const RegistryTree::Value& value) {
    std::string line;
    if (value.name.empty()) {
        line = "@";
    } else {
        AppendQuoted(line, value.name);
    }
    line.push_back('=');
    const RegValue& v = value.value;
    if (v.type == RegType::String && PlainText(v.data)) {
        AppendQuoted(line, v.asString());
    } else if (v.type == RegType::Dword && v.data.size() == 4) {
        line += "dword:" + Hex(*v.asDword(), 8);
    } else {
        line += v.type == RegType::Binary
                    ? std::string("hex:")
                    : "hex(" + Hex(static_cast<std::uint32_t>(v.type), 1) + "):";
        std::optional<std::vector<std::uint8_t>> wide;
        if (v.type == RegType::String) {
            wide = Utf16FromText(v.data);
        }
        const std::vector<std::uint8_t>& bytes = wide ? *wide : v.data;
        // Wrapped as the registry editor does: a backslash ends every line
        // but the last, the next one is indented by two blanks.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::string byte = Hex(bytes[i], 2);
            if (i + 1 < bytes.size()) {
                byte.push_back(',');
            }
            if (line.size() + byte.size() > kLineWidth) {
                out += line + "\\\n";
                line = "  ";
            }
            line += byte;
        }
    }
    out += line + "\n";
}

void AppendKey(std::string& out, const RegistryTree::Key& key, const std::string& path) {
    if (!path.empty() || !key.values.empty()) {
        out += "[" + std::string(kRoot) + (path.empty() ? "" : "\\" + path) + "]\n";
        for (const auto& value : key.values) {
            AppendValue(out, value);
        }
        out += "\n";
    }
    for (const auto& sub : key.subKeys) {
        AppendKey(out, sub, path.empty() ? sub.name : path + "\\" + sub.name);
    }
}

}  // namespace

RegFileContents ParseRegFile(std::span<const std::uint8_t> bytes) {
    auto text = DecodeText(bytes);
    if (!text) {
        RegFileContents failed;
        failed.problem = "it holds characters that this program cannot keep";
        return failed;
    }
    return Parser(*text).run();
}

std::string FormatRegFile(const RegistryTree& tree) {
    std::string out(kHeader);
    out += "\n\n";
    AppendKey(out, tree.root(), "");
    return out;
}

}  // namespace magtune::platform
