#include "comm/ui/ReaderKeyEvents.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace magtune::comm {

namespace {

std::optional<wedge::KeyStroke> KeyStrokeForQtKey(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        // Qt's codes of these keys are their upper-case characters.
        return wedge::KeyStrokeForCharacter(static_cast<char>(key));
    }
    switch (key) {
        case Qt::Key_Escape:
            return KeyStrokeForNamedKey(NamedKey::Escape);
        case Qt::Key_Backspace:
            return KeyStrokeForNamedKey(NamedKey::Backspace);
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return KeyStrokeForNamedKey(NamedKey::Tab);
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyStrokeForNamedKey(NamedKey::Return);
        case Qt::Key_Control:
            return KeyStrokeForNamedKey(NamedKey::Control);
        case Qt::Key_Shift:
            return KeyStrokeForNamedKey(NamedKey::Shift);
        case Qt::Key_Alt:
            return KeyStrokeForNamedKey(NamedKey::Alt);
        case Qt::Key_Space:
            return KeyStrokeForNamedKey(NamedKey::Space);
        case Qt::Key_CapsLock:
            return KeyStrokeForNamedKey(NamedKey::CapsLock);
        default:
            return std::nullopt;
    }
}

// A layout that puts a letter on the key decides nothing but its case; on a
// key where the layout has no letter, Shift does.
bool LowerCaseLetter(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() == 1 && text.at(0).isLetter()) {
        return text.at(0).isLower();
    }
    return !event.modifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace

NativeKeyCodes NativeKeyCodesOfThisPlatform() {
    return NativeKeyCodesOfPlatform(QGuiApplication::platformName().toStdString());
}

std::optional<wedge::KeyStroke> KeyStrokeOfEvent(const QKeyEvent& event, NativeKeyCodes codes) {
    if (event.nativeScanCode() != 0) {
        if (auto stroke = KeyStrokeForNativeScanCode(event.nativeScanCode(), codes)) {
            return stroke;
        }
    }
    return KeyStrokeForQtKey(event.key());
}

std::string ReaderCharactersOfEvent(const QKeyEvent& event, NativeKeyCodes codes) {
    if (const auto stroke = KeyStrokeOfEvent(event, codes)) {
        if (const auto character =
                ReaderCharacterForScanCode(stroke->scanCode, LowerCaseLetter(event))) {
            return std::string(1, *character);
        }
    }
    return event.text().toLatin1().toStdString();
}

}  // namespace magtune::comm
