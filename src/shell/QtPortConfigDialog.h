#pragma once

#include "shell/PortConfigDialog.h"

class QWidget;

namespace magtune::shell {

// The port configuration dialog of the desktop program (PortSettingsDialog),
// owned by the selection dialog that asks for it.
class QtPortConfigDialog : public PortConfigDialog {
  public:
    explicit QtPortConfigDialog(QWidget* owner) : owner_(owner) {}

    std::optional<platform::PortSettings> configure(
        const std::string& portName, const platform::PortSettings& settings) override;

  private:
    QWidget* owner_;
};

}  // namespace magtune::shell
