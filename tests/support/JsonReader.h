#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace magtune::test {

// Just enough JSON to read back the reports a program writes: objects,
// arrays, strings (with the simple escapes), numbers, true, false, null.
// Anything malformed makes the whole parse fail.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& key) const {
        static const JsonValue none;
        auto found = members.find(key);
        return found == members.end() ? none : found->second;
    }
};

class JsonReader {
  public:
    static std::optional<JsonValue> Parse(const std::string& text) {
        JsonReader reader(text);
        JsonValue value;
        if (!reader.value(value)) {
            return std::nullopt;
        }
        reader.space();
        if (reader.at_ != text.size()) {
            return std::nullopt;
        }
        return value;
    }

  private:
    explicit JsonReader(const std::string& text) : text_(text) {}

    void space() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) {
            ++at_;
        }
    }
    bool take(char c) {
        space();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool word(const char* w) {
        const std::string s(w);
        if (text_.compare(at_, s.size(), s) == 0) {
            at_ += s.size();
            return true;
        }
        return false;
    }
    bool string(std::string& out) {
        if (!take('"')) {
            return false;
        }
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            const char e = text_[at_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    if (at_ + 4 > text_.size()) {
                        return false;
                    }
                    out +=
                        static_cast<char>(std::strtol(text_.substr(at_, 4).c_str(), nullptr, 16));
                    at_ += 4;
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }
    bool value(JsonValue& out) {
        space();
        if (at_ >= text_.size()) {
            return false;
        }
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            out.kind = JsonValue::Kind::Object;
            if (take('}')) {
                return true;
            }
            do {
                std::string key;
                JsonValue member;
                if (!string(key) || !take(':') || !value(member)) {
                    return false;
                }
                out.members[key] = std::move(member);
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            ++at_;
            out.kind = JsonValue::Kind::Array;
            if (take(']')) {
                return true;
            }
            do {
                JsonValue item;
                if (!value(item)) {
                    return false;
                }
                out.items.push_back(std::move(item));
            } while (take(','));
            return take(']');
        }
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return string(out.text);
        }
        if (word("true") || word("false")) {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
            return true;
        }
        if (word("null")) {
            return true;
        }
        char* end = nullptr;
        const char* start = text_.c_str() + at_;
        out.number = std::strtod(start, &end);
        if (end == start) {
            return false;
        }
        out.kind = JsonValue::Kind::Number;
        at_ += static_cast<std::size_t>(end - start);
        return true;
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

}  // namespace magtune::test
