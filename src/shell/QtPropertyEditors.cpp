#include "shell/QtPropertyEditors.h"

#include "dataedit/ui/frmFmula.h"
#include "dataedit/ui/frmTrack.h"
#include "settings/StringInputShow.h"
#include "settings/ui/frmEdit.h"

namespace magtune::shell {

QtPropertyEditors::QtPropertyEditors(settings::SettingStore& store, common::Prompter& prompter,
                                     common::HelpViewer& help, QWidget* parent)
    : store_(store),
      prompter_(prompter),
      help_(help),
      parent_(parent),
      input_(store, prompter, help, parent) {}

bool QtPropertyEditors::editValue() {
    settings::frmEdit dialog(store_, prompter_, parent_);
    dialog.exec();
    return dialog.accepted();
}

bool QtPropertyEditors::editKeyText(const std::string& text) {
    settings::InputBlock block;
    return settings::ShowStringInput(input_, block, text, {}, store_.EditItem);
}

bool QtPropertyEditors::editTrackSequence(int track, dataedit::TrackOutputSequence& sequence) {
    dataedit::frmTrack dialog(track, sequence, input_, prompter_, help_, parent_);
    dialog.exec();
    return dialog.result();
}

bool QtPropertyEditors::editFormula(dataedit::Formula& formula) {
    dataedit::frmFmula dialog(formula, input_, prompter_, help_, parent_);
    dialog.exec();
    return dialog.result();
}

}  // namespace magtune::shell
