#include "comm/ui/WedgeKeyFilter.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

#include "comm/WedgeHookKeys.h"

namespace magtune {

namespace {

std::optional<KeyStroke> KeyStrokeForQtKey(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        // Qt's codes of these keys are their upper-case characters.
        return KeyStrokeForCharacter(static_cast<char>(key));
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

}  // namespace

WedgeKeyFilter::WedgeKeyFilter(HookProcedure hook, QObject* parent)
    : QObject(parent),
      hook_(std::move(hook)),
      x11KeyCodes_(QGuiApplication::platformName() == QStringLiteral("xcb")) {}

std::optional<KeyStroke> WedgeKeyFilter::keyStrokeFor(const QKeyEvent& event, bool x11KeyCodes) {
    if (x11KeyCodes && event.nativeScanCode() != 0) {
        if (auto stroke = KeyStrokeForX11KeyCode(event.nativeScanCode())) {
            return stroke;
        }
    }
    return KeyStrokeForQtKey(event.key());
}

bool WedgeKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        // A key the port has no code for is still the user's typing: while
        // the library captures, it is swallowed like any other.
        const KeyStroke stroke =
            keyStrokeFor(*static_cast<QKeyEvent*>(event), x11KeyCodes_).value_or(KeyStroke{});
        if (hook_(stroke.virtualKey, stroke.scanCode, type == QEvent::KeyPress)) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace magtune
