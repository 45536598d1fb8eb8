#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "dataedit/TrackSequence.h"
#include "dataedit/ui/EditDialog.h"
#include "settings/StringInput.h"

class QListWidget;

namespace magtune::dataedit {

// The output sequence of track 1 or 2: card fields and literal delimiters.
// The caller copies the track's current sequence into EditedTrackSequence,
// keeps EditItem naming the track while the dialog is open (the string
// input dialog takes the track's capacity from it), shows the dialog
// modally and, when result() is true, stores EditedTrackSequence and its
// encoding (it is known to fit).
class frmTrack : public EditDialog {
    Q_OBJECT

  public:
    frmTrack(int track, TrackOutputSequence& EditedTrackSequence,
             settings::StringInputRunner& input, common::Prompter& prompter,
             common::HelpViewer& help, QWidget* parent = nullptr);

    bool result() const { return result_; }

  private:
    void fillOutput();
    void add();
    void remove();
    void move(int delta);
    void editLiteral(int row);
    bool askDelimiter(std::string& text);
    void ok();

    int track_;
    TrackOutputSequence& edited_;
    settings::StringInputRunner& input_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    bool result_ = false;

    QListWidget* lstSource_;
    QListWidget* lstOutput_;
};

}  // namespace magtune::dataedit
