#pragma once

#include <cstdint>

#include <QLineEdit>

#include "common/Prompter.h"
#include "settings/StringInput.h"

namespace magtune::dataedit {

// A match string box: it is never typed into. A click, or a key pressed in
// it, opens the string input dialog on its text ("Match String", the box's
// caret, the key typed) and the accepted text replaces the box's.
class MatchStringBox : public QLineEdit {
    Q_OBJECT

  public:
    MatchStringBox(settings::StringInputRunner& input, common::Prompter& prompter,
                   QWidget* parent = nullptr);

  signals:
    // Emitted before the input dialog opens, so that the owner does not move
    // the focus when it is activated again.
    void inputShown();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void openInput(std::int16_t key);

    settings::StringInputRunner& input_;
    common::Prompter& prompter_;
};

}  // namespace magtune::dataedit
