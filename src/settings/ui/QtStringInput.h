#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "settings/SettingStore.h"
#include "settings/StringInput.h"

class QWidget;

namespace magtune {

// The desktop program's string input: frmInput, shown modally.
class QtStringInput : public StringInputRunner {
  public:
    QtStringInput(SettingStore& store, Prompter& prompter, HelpViewer& help,
                  QWidget* parent = nullptr)
        : store_(store), prompter_(prompter), help_(help), parent_(parent) {}

    bool run(InputBlock& block) override;

  private:
    SettingStore& store_;
    Prompter& prompter_;
    HelpViewer& help_;
    QWidget* parent_;
};

}  // namespace magtune
