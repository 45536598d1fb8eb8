#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

#include "comm/WedgeEcho.h"

class QKeyEvent;

namespace magtune {

// The keyboard hook of the program's user-interface thread: installed on
// the application, it hands every key event to the wedge library's hook
// procedure and swallows the events the library captured (while a wedge
// transfer runs); the others pass on to the windows.
class WedgeKeyFilter : public QObject {
    Q_OBJECT

  public:
    // True when the event was captured and must not reach a window.
    using HookProcedure =
        std::function<bool(std::uint8_t virtualKey, std::uint8_t scanCode, bool down)>;

    explicit WedgeKeyFilter(HookProcedure hook, QObject* parent = nullptr);

    // The codes the keyboard port reports for the event's key. X11 key codes
    // name the key itself; without them (other platforms, synthesized
    // events) the digit, letter and named keys are known by their Qt key.
    // nullopt for any other key.
    static std::optional<KeyStroke> keyStrokeFor(const QKeyEvent& event, bool x11KeyCodes);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    HookProcedure hook_;
    bool x11KeyCodes_;
};

}  // namespace magtune
