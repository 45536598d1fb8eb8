#pragma once

#include <QObject>
#include <functional>

#include "platform/SignalPipe.h"

class QSocketNotifier;

namespace magtune::shell {

// The signals that end the desktop program (the system shutting down, the
// session ending, Ctrl+C), taken up by the event loop: `shutDown` runs
// there, once, however many signals come.
class ShutdownSignals : public QObject {
    Q_OBJECT

  public:
    explicit ShutdownSignals(std::function<void()> shutDown, QObject* parent = nullptr);

  private:
    void signalled();

    platform::SignalPipe pipe_;
    std::function<void()> shutDown_;
    QSocketNotifier* notifier_ = nullptr;
    bool done_ = false;
};

}  // namespace magtune::shell
