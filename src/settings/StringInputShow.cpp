#include "settings/StringInputShow.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "dataedit/Ansi.h"

namespace magtune::settings {

namespace {

constexpr std::int16_t kBackspace = 8;

std::int16_t CaretOf(std::size_t characters) {
    return static_cast<std::int16_t>(std::min<std::size_t>(characters, INT16_MAX));
}

// A key code below 256 is a character of the program's ANSI code page, as
// the reader sees it; a larger one is a character of the Basic Multilingual
// Plane typed into a Qt box. Surrogate halves stand for no character.
std::string CharacterOfKey(std::int16_t key) {
    const auto code = static_cast<std::uint16_t>(key);
    if (code < 0x100) {
        return dataedit::TextFromAnsiByte(static_cast<std::uint8_t>(code));
    }
    if (code >= 0xD800 && code <= 0xDFFF) {
        return {};
    }
    std::string text;
    if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    text += static_cast<char>(0x80 | (code & 0x3F));
    return text;
}

std::string Join(const std::vector<std::string>& characters) {
    std::string text;
    for (const auto& c : characters) {
        text += c;
    }
    return text;
}

}  // namespace

bool ShowStringInput(StringInputRunner& runner, InputBlock& block, const std::string& text,
                     const std::string& label, const std::string& editItem) {
    block.InputText = text;
    block.InputLabel = label.empty() ? editItem : label;
    block.InputKey = 0;
    block.InputCaret = CaretOf(dataedit::SplitCharacters(text).size());
    return runner.run(block);
}

OpenedInput OpenStringInput(const InputBlock& block) {
    std::vector<std::string> characters = dataedit::SplitCharacters(block.InputText);
    // A caller's caret beyond the text (or negative) must not reach an index.
    const std::size_t caret =
        std::clamp<std::size_t>(std::max<std::int16_t>(block.InputCaret, 0), 0, characters.size());
    if (block.InputKey == 0 || (block.InputKey == kBackspace && caret == 0)) {
        return {block.InputText, CaretOf(caret)};
    }
    if (block.InputKey == kBackspace) {
        characters.erase(characters.begin() + static_cast<std::ptrdiff_t>(caret - 1));
        return {Join(characters), CaretOf(caret - 1)};
    }
    std::string typed = CharacterOfKey(block.InputKey);
    if (typed.empty()) {
        return {block.InputText, CaretOf(caret)};
    }
    characters.insert(characters.begin() + static_cast<std::ptrdiff_t>(caret), std::move(typed));
    return {Join(characters), CaretOf(caret + 1)};
}

bool StringInputDefaultEnabled(std::string_view inputLabel) {
    return inputLabel != "New Modifier" && inputLabel != "Match String";
}

}  // namespace magtune::settings
