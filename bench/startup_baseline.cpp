// The smallest Qt Widgets program with a main window: the yardstick that
// startup_bench measures magtune against. Its window has the size of
// magtune's first window (eight tenths of the screen each way), so that both
// programs fill as many pixels before anything of their own is drawn.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <chrono>

#include "shell/StartupProbe.h"

int main(int argc, char* argv[]) {
    const auto started = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setCentralWidget(new QLabel(QStringLiteral("Baseline"), &window));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    window.resize(screen * 8 / 10);
    magtune::shell::StartupProbe::watch(&window, started);
    window.show();
    return app.exec();
}
