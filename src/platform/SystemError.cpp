#include "platform/SystemError.h"

namespace magtune::platform {

std::string SystemErrorText(const std::string& function, int code) {
    std::string message = SystemMessageText(code);
    if (message.empty()) {
        return {};
    }
    return function + "():\n" + message;
}

void ShowSystemError(common::Prompter& prompter, const std::string& function, int code) {
    std::string text = SystemErrorText(function, code);
    if (!text.empty()) {
        prompter.systemError(text);
    }
}

}  // namespace magtune::platform
