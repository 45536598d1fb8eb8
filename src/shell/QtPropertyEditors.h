#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "settings/SettingStore.h"
#include "settings/ui/QtStringInput.h"
#include "shell/PropertyEditors.h"

class QWidget;

namespace magtune {

// The property list's editors as the desktop program shows them: frmEdit,
// frmInput, frmTrack and frmFmula, each created for one edit and shown
// modally over the main window.
class QtPropertyEditors : public PropertyEditors {
  public:
    QtPropertyEditors(SettingStore& store, Prompter& prompter, HelpViewer& help, QWidget* parent);

    bool editValue() override;
    bool editKeyText(const std::string& text) override;
    bool editTrackSequence(int track, TrackOutputSequence& sequence) override;
    bool editFormula(Formula& formula) override;

  private:
    SettingStore& store_;
    Prompter& prompter_;
    HelpViewer& help_;
    QWidget* parent_;
    QtStringInput input_;
};

}  // namespace magtune
