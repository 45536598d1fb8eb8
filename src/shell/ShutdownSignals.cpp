#include "shell/ShutdownSignals.h"

#include <QSocketNotifier>
#include <utility>

namespace magtune::shell {

ShutdownSignals::ShutdownSignals(std::function<void()> shutDown, QObject* parent)
    : QObject(parent),
      pipe_(platform::SignalPipe::TerminationSignals()),
      shutDown_(std::move(shutDown)) {
    if (pipe_.ok()) {
        notifier_ = new QSocketNotifier(pipe_.readFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::signalled);
    }
}

void ShutdownSignals::signalled() {
    if (pipe_.take().empty() || done_) {
        return;
    }
    done_ = true;
    shutDown_();
}

}  // namespace magtune::shell
