#include "shell/HandedOverFiles.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace magtune::shell {
namespace {

// How often a waiting file looks whether the dialog in the way has closed.
constexpr int kRetryMs = 250;

}  // namespace

HandedOverFiles::HandedOverFiles(QWidget& window, Opener open, QObject* parent)
    : QObject(parent), window_(window), open_(std::move(open)), retry_(new QTimer(this)) {
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, &HandedOverFiles::openWaiting);
}

void HandedOverFiles::take(const std::string& file) {
    bringWindowUp();
    if (!file.empty()) {
        waiting_.push_back(file);
        // Out of the socket's notification first: opening may ask a question.
        QTimer::singleShot(0, this, &HandedOverFiles::openWaiting);
    }
}

void HandedOverFiles::bringWindowUp() {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
    // A dialog that is open stays in front of the window and gets the keys.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void HandedOverFiles::openWaiting() {
    if (opening_ || waiting_.empty()) {
        return;
    }
    if (QApplication::activeModalWidget() != nullptr) {
        retry_->start();
        return;
    }
    opening_ = true;
    const std::string file = waiting_.front();
    waiting_.pop_front();
    open_(file);
    opening_ = false;
    if (!waiting_.empty()) {
        QTimer::singleShot(0, this, &HandedOverFiles::openWaiting);
    }
}

}  // namespace magtune::shell
