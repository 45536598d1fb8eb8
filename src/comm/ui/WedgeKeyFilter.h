#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "comm/WedgeHookKeys.h"

namespace magtune::comm {

// The keyboard hook of the program's user-interface thread: installed on
// the application, it hands every key event to the wedge library's hook
// procedure and swallows the events the library captured (while a wedge
// transfer runs); the others pass on to the windows. A key is handed over
// by its place on the keyboard (KeyStrokeOfEvent), whatever the layout.
class WedgeKeyFilter : public QObject {
    Q_OBJECT

  public:
    // True when the event was captured and must not reach a window.
    using HookProcedure =
        std::function<bool(std::uint8_t virtualKey, std::uint8_t scanCode, bool down)>;

    explicit WedgeKeyFilter(HookProcedure hook, QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    HookProcedure hook_;
    NativeKeyCodes nativeCodes_;
};

}  // namespace magtune::comm
