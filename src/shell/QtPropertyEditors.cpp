#include "shell/QtPropertyEditors.h"

#include "dataedit/ui/frmFmula.h"
#include "dataedit/ui/frmTrack.h"
#include "settings/StringInputShow.h"
#include "settings/ui/frmEdit.h"

namespace magtune {

QtPropertyEditors::QtPropertyEditors(SettingStore& store, Prompter& prompter, HelpViewer& help,
                                     QWidget* parent)
    : store_(store),
      prompter_(prompter),
      help_(help),
      parent_(parent),
      input_(store, prompter, help, parent) {}

bool QtPropertyEditors::editValue() {
    frmEdit dialog(store_, prompter_, parent_);
    dialog.exec();
    return dialog.accepted();
}

bool QtPropertyEditors::editKeyText(const std::string& text) {
    InputBlock block;
    return ShowStringInput(input_, block, text, {}, store_.EditItem);
}

bool QtPropertyEditors::editTrackSequence(int track, TrackOutputSequence& sequence) {
    frmTrack dialog(track, sequence, input_, prompter_, help_, parent_);
    dialog.exec();
    return dialog.result();
}

bool QtPropertyEditors::editFormula(Formula& formula) {
    frmFmula dialog(formula, input_, prompter_, help_, parent_);
    dialog.exec();
    return dialog.result();
}

}  // namespace magtune
