#include <cstdlib>

#include "platform/Environment.h"

namespace magtune::platform {

void SetProcessVariable(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

}  // namespace magtune::platform
