#pragma once

#include "settings/FileDialog.h"

class QWidget;

namespace magtune::shell {

// The Open and Save As dialogs of the desktop program.
class QtFileDialog : public settings::FileDialog {
  public:
    // Dialogs are owned by `parent` (the active window when null).
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> choose(const settings::FileDialogRequest& request) override;

  private:
    QWidget* parent_;
};

}  // namespace magtune::shell
