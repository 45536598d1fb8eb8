#include "shell/QtPortConfigDialog.h"

#include "shell/PortSettingsDialog.h"

namespace magtune::shell {

std::optional<platform::PortSettings> QtPortConfigDialog::configure(
    const std::string& portName, const platform::PortSettings& settings) {
    PortSettingsDialog dialog(QString::fromStdString(portName), settings, owner_);
    dialog.exec();
    if (!dialog.accepted()) {
        return std::nullopt;
    }
    return dialog.settings();
}

}  // namespace magtune::shell
