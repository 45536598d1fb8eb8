#include "shell/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace magtune::shell {

void StartupProbe::watch(QWidget* window, std::chrono::steady_clock::time_point started) {
    if (std::getenv(kVariable) == nullptr) {
        return;
    }
    window->installEventFilter(new StartupProbe(window, started));
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    if (!painted_ && event->type() == QEvent::Paint) {
        painted_ = true;
        // Reported once the paint has finished and the loop is idle again.
        QTimer::singleShot(0, this, &StartupProbe::report);
    }
    return QObject::eventFilter(watched, event);
}

void StartupProbe::report() {
    const auto elapsed = std::chrono::steady_clock::now() - started_;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    std::printf("first-show-ms %.3f\n", static_cast<double>(us) / 1000.0);
    std::fflush(stdout);
    // Straight out: no close event, so no save question and no preferences.
    QCoreApplication::exit(0);
}

}  // namespace magtune::shell
