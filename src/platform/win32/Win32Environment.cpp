#include <cstdlib>

#include "platform/Environment.h"

namespace magtune::platform {

void SetProcessVariable(const char* name, const std::string& value) {
    // The C run-time's copy, which getenv reads, and the system's, which
    // CreateProcess hands on: _putenv_s keeps both.
    ::_putenv_s(name, value.c_str());
}

}  // namespace magtune::platform
