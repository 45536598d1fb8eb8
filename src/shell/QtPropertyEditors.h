#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "settings/SettingStore.h"
#include "settings/ui/QtStringInput.h"
#include "shell/PropertyEditors.h"

class QWidget;

namespace magtune::shell {

// The property list's editors as the desktop program shows them: frmEdit,
// frmInput, frmTrack and frmFmula, each created for one edit and shown
// modally over the main window.
class QtPropertyEditors : public PropertyEditors {
  public:
    QtPropertyEditors(settings::SettingStore& store, common::Prompter& prompter,
                      common::HelpViewer& help, QWidget* parent);

    bool editValue() override;
    bool editKeyText(const std::string& text) override;
    bool editTrackSequence(int track, dataedit::TrackOutputSequence& sequence) override;
    bool editFormula(dataedit::Formula& formula) override;

  private:
    settings::SettingStore& store_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    QWidget* parent_;
    settings::QtStringInput input_;
};

}  // namespace magtune::shell
