#pragma once

#include <optional>
#include <string>

#include "platform/PortSettings.h"

namespace magtune::shell {

// The port configuration dialog behind Properties: shows `settings` for the
// named port and returns what the user chose, or nothing when cancelled.
class PortConfigDialog {
  public:
    virtual ~PortConfigDialog() = default;
    virtual std::optional<platform::PortSettings> configure(
        const std::string& portName, const platform::PortSettings& settings) = 0;
};

}  // namespace magtune::shell
