#pragma once

#include <string>

#include "dataedit/Formula.h"
#include "dataedit/TrackSequence.h"

namespace magtune::shell {

// The dialogs that change one row of the property list, each shown modally
// and reporting whether the user accepted it. The desktop program shows its
// windows; tests answer from a script.
class PropertyEditors {
  public:
    virtual ~PropertyEditors() = default;

    // The value editor on the setting named by EditGroup and EditItem; the
    // dialog stores the value itself.
    virtual bool editValue() = 0;
    // The string input on a key text (label: EditItem); the dialog stores
    // "Receive Terminator" and "Separator Character" itself.
    virtual bool editKeyText(const std::string& text) = 0;
    // The track output sequence dialog on a working copy.
    virtual bool editTrackSequence(int track, dataedit::TrackOutputSequence& sequence) = 0;
    // The formula dialog on a working copy (EditedFormula).
    virtual bool editFormula(dataedit::Formula& formula) = 0;
};

}  // namespace magtune::shell
