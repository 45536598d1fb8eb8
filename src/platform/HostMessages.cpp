#include "platform/HostMessages.h"

#include <dlfcn.h>

#include <cstdio>

namespace magtune::platform {

common::Answer HostMessagePrompter::show(const common::Message& message) {
    // Looked up at every message: the program may start listening late.
    const auto host =
        reinterpret_cast<HostMessageFunction>(::dlsym(RTLD_DEFAULT, kHostMessageFunctionName));
    if (host == nullptr ||
        host(static_cast<int>(message.icon), message.caption.c_str(), message.text.c_str()) == 0) {
        std::fprintf(stderr, "%s: %s\n", library_.c_str(), message.text.c_str());
    }
    return message.defaultButton;
}

}  // namespace magtune::platform
