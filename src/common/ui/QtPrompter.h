#pragma once

#include "common/Prompter.h"

class QWidget;

namespace magtune::common {

// Message boxes for the desktop program: QMessageBox with the caption, icon,
// buttons and default button of each message.
class QtPrompter : public Prompter {
  public:
    // Boxes are owned by `parent` (the active window when null).
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    Answer show(const Message& message) override;
    void beep() override;

  private:
    QWidget* parent_;
};

}  // namespace magtune::common
