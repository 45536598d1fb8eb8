#include "comm/ui/WedgeKeyFilter.h"

#include <QKeyEvent>
#include <utility>

#include "comm/ui/ReaderKeyEvents.h"

namespace magtune::comm {

WedgeKeyFilter::WedgeKeyFilter(HookProcedure hook, QObject* parent)
    : QObject(parent), hook_(std::move(hook)), nativeCodes_(NativeKeyCodesOfThisPlatform()) {}

bool WedgeKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        // A key the port has no code for is still the user's typing: while
        // the library captures, it is swallowed like any other.
        const wedge::KeyStroke stroke =
            KeyStrokeOfEvent(*static_cast<QKeyEvent*>(event), nativeCodes_)
                .value_or(wedge::KeyStroke{});
        if (hook_(stroke.virtualKey, stroke.scanCode, type == QEvent::KeyPress)) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace magtune::comm
