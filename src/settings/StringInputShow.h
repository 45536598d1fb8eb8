#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/StringInput.h"

namespace magtune::settings {

// Opens the character-string input dialog on `text`: InputText the text,
// InputLabel the label (editItem, the row being edited, when the label is
// empty), no key, the caret after the last character. Returns InputAccepted.
bool ShowStringInput(StringInputRunner& runner, InputBlock& block, const std::string& text,
                     const std::string& label, const std::string& editItem = {});

// What the dialog's text box shows when it opens: InputText with InputKey
// applied at InputCaret (0 nothing, 8 a backspace, any other code the
// character typed). Positions count characters, not bytes.
struct OpenedInput {
    std::string text;
    std::int16_t caret = 0;

    friend bool operator==(const OpenedInput&, const OpenedInput&) = default;
};
OpenedInput OpenStringInput(const InputBlock& block);

// The help lines of the dialog's "Predefined Notations:" box.
inline constexpr const char* kNotationHelpText =
    "<t>:  Tab\n"
    "<b>: Backspace\n"
    "<r>:  Carriage return\n"
    "<n>:  Line feed\n"
    "<d>:  Any digit (data editing)\n"
    "<a>:  Any letter (data editing)\n"
    "<*>:  Interblock delay\n"
    "<\">:  \" (quotation marks)\n"
    "<dd>: Character in hexadecimal notation\n"
    "<<>:  <\n"
    "<>>:  >";

// The Default button has nothing to offer for texts that are not settings.
bool StringInputDefaultEnabled(std::string_view inputLabel);

}  // namespace magtune::settings
