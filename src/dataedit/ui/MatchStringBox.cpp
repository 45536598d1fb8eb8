#include "dataedit/ui/MatchStringBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "dataedit/Ansi.h"
#include "dataedit/FormulaDialogRules.h"
#include "dataedit/ui/DialogSupport.h"

namespace magtune::dataedit {

namespace {

// The code the input dialog inserts for a key: backspace, or the ANSI code
// of a printable character; 0 for keys that the box leaves to Qt (Tab,
// Enter, Escape, arrows, shortcuts).
std::int16_t keyCode(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace) {
        return 8;
    }
    const QString text = event->text();
    if (text.isEmpty() || text.front().unicode() < 0x20 || text.front().unicode() == 0x7F) {
        return 0;
    }
    const std::vector<std::uint8_t> ansi = AnsiFromText(text.toStdString());
    return ansi.empty() ? 0 : static_cast<std::int16_t>(ansi.front());
}

}  // namespace

MatchStringBox::MatchStringBox(settings::StringInputRunner& input, common::Prompter& prompter,
                               QWidget* parent)
    : QLineEdit(parent), input_(input), prompter_(prompter) {
    // Read-only keeps pasting and the context menu's editing out as well.
    setReadOnly(true);
}

void MatchStringBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        openInput(0);
    }
}

void MatchStringBox::keyPressEvent(QKeyEvent* event) {
    const std::int16_t key = keyCode(event);
    if (key == 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    openInput(key);
}

void MatchStringBox::openInput(std::int16_t key) {
    settings::InputBlock block;
    block.InputText = text().toStdString();
    block.InputLabel = "Match String";
    block.InputCaret = static_cast<std::int16_t>(cursorPosition());
    block.InputKey = key;
    emit inputShown();
    if (RunCheckedInput(input_, prompter_, block, CheckMatchString)) {
        setText(QString::fromStdString(block.InputText));
        setCursorPosition(block.InputCaret);
    }
}

}  // namespace magtune::dataedit
