#pragma once

#include <string>

namespace magtune::platform {

// Sets a variable of this process's environment, which the processes it
// starts inherit.
void SetProcessVariable(const char* name, const std::string& value);

}  // namespace magtune::platform
