#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

namespace magtune::test {

// Acts on the next modal window named `name` once it is on screen, as the
// user would while its exec() runs. A window that never comes (or another
// one that stays up) is rejected after `limitMs`, so a test fails instead of
// hanging; `missed` is then set.
inline void WhenModal(const QString& name, std::function<void(QWidget*)> act,
                      bool* missed = nullptr, int limitMs = 20000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() == name && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
            return;
        }
        if (clock->elapsed() > limitMs) {
            timer->stop();
            timer->deleteLater();
            if (missed != nullptr) {
                *missed = true;
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        }
    });
    timer->start();
}

}  // namespace magtune::test
