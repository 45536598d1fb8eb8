#include <windows.h>

#include "platform/SystemError.h"

namespace magtune::platform {

// The system's text in the language-neutral default, as a message box shows
// it: at most 256 characters, cut at the first NUL; the line end the system
// puts after the last sentence is dropped.
std::string SystemMessageText(int code) {
    if (code == 0) {
        return {};
    }
    char buffer[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         buffer, sizeof buffer, nullptr);
    if (length == 0) {
        return {};
    }
    std::string message(buffer, ::strnlen(buffer, sizeof buffer));
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

}  // namespace magtune::platform
