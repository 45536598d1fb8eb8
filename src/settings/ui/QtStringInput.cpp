#include "settings/ui/QtStringInput.h"

#include "settings/ui/frmInput.h"

namespace magtune::settings {

bool QtStringInput::run(InputBlock& block) {
    frmInput dialog(store_, block, prompter_, help_, parent_);
    dialog.exec();
    return block.InputAccepted;
}

}  // namespace magtune::settings
