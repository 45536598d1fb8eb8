#include "platform/SystemError.h"

#include <cstring>

namespace magtune {

std::string SystemMessageText(int code) {
    if (code == 0) {
        return {};
    }
    char buffer[256] = {};
    // The GNU variant may return a static string instead of filling buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    std::string message = text ? text : "";
    if (message.size() > 255) {
        message.resize(255);
    }
    return message;
}

std::string SystemErrorText(const std::string& function, int code) {
    std::string message = SystemMessageText(code);
    if (message.empty()) {
        return {};
    }
    return function + "():\n" + message;
}

void ShowSystemError(Prompter& prompter, const std::string& function, int code) {
    std::string text = SystemErrorText(function, code);
    if (!text.empty()) {
        prompter.systemError(text);
    }
}

}  // namespace magtune
