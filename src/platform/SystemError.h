#pragma once

#include <string>

#include "common/Prompter.h"

namespace magtune::platform {

// A failed operating-system call: the name of the call as the user is shown
// it ("WriteFile", "RegCreateKeyEx", ...) and the system's error number.
struct SystemError {
    std::string function;
    int code = 0;
};

// The system's message text for an error number ("" when there is none).
std::string SystemMessageText(int code);

// function + "():" + line break + the system's message text; empty when the
// system has no text for the code.
std::string SystemErrorText(const std::string& function, int code);

// Shows SystemErrorText in an error box titled "Error" (nothing when the
// system has no text for the code).
void ShowSystemError(common::Prompter& prompter, const std::string& function, int code);
inline void ShowSystemError(common::Prompter& prompter, const SystemError& error) {
    ShowSystemError(prompter, error.function, error.code);
}

}  // namespace magtune::platform
