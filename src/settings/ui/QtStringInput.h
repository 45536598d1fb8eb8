#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "settings/SettingStore.h"
#include "settings/StringInput.h"

class QWidget;

namespace magtune::settings {

// The desktop program's string input: frmInput, shown modally.
class QtStringInput : public StringInputRunner {
  public:
    QtStringInput(SettingStore& store, common::Prompter& prompter, common::HelpViewer& help,
                  QWidget* parent = nullptr)
        : store_(store), prompter_(prompter), help_(help), parent_(parent) {}

    bool run(InputBlock& block) override;

  private:
    SettingStore& store_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    QWidget* parent_;
};

}  // namespace magtune::settings
