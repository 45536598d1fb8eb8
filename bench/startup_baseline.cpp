// The smallest Qt Widgets program with a main window: the yardstick that
// startup_bench measures magtune against.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <chrono>

#include "shell/StartupProbe.h"

int main(int argc, char* argv[]) {
    const auto started = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setCentralWidget(new QLabel(QStringLiteral("Baseline"), &window));
    window.resize(640, 480);
    magtune::shell::StartupProbe::watch(&window, started);
    window.show();
    return app.exec();
}
