#include <cstring>

#include "platform/SystemError.h"

namespace magtune::platform {

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

}  // namespace magtune::platform
