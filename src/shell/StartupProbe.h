#pragma once

#include <QObject>
#include <chrono>

namespace magtune::shell {

// For the start-up benchmark: when the environment variable
// MAGTUNE_STARTUP_PROBE is set, the program prints how long it took from
// main() to the first painted main window ("first-show-ms <n>") and quits
// at once, writing nothing.
class StartupProbe : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kVariable = "MAGTUNE_STARTUP_PROBE";

    // Watches `window` when the variable is set; does nothing otherwise.
    static void watch(QWidget* window, std::chrono::steady_clock::time_point started);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    StartupProbe(QObject* parent, std::chrono::steady_clock::time_point started)
        : QObject(parent), started_(started) {}
    void report();

    std::chrono::steady_clock::time_point started_;
    bool painted_ = false;
};

}  // namespace magtune::shell
