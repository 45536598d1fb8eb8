#pragma once

#include <cstdint>
#include <string>

namespace magtune::settings {

// The input block of the character-string input dialog, shared by the
// dialog and the windows that open it.
struct InputBlock {
    std::string InputText;        // the text on entry; the accepted text on return
    std::string InputLabel;       // what is entered ("Match String", ...); also the caption
    std::int16_t InputCaret = 0;  // caret position in characters, in and out
    std::int16_t InputKey = 0;    // a key code to apply on opening; 0 for none
    bool InputAccepted = false;
};

// Shows the character-string input dialog modally on the block and returns
// InputAccepted. The desktop program shows frmInput; tests script the answer.
class StringInputRunner {
  public:
    virtual ~StringInputRunner() = default;
    virtual bool run(InputBlock& block) = 0;
};

}  // namespace magtune::settings
