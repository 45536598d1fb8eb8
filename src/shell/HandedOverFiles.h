#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <string>

class QTimer;
class QWidget;

namespace magtune::shell {

// What the running program does with a second start's request: it brings
// its window to the front and opens the handed file as File > Open would.
// While a dialog or transfer form is open the file waits (no two commands
// overlap); files handed over meanwhile open in the order they came.
class HandedOverFiles : public QObject {
    Q_OBJECT

  public:
    using Opener = std::function<void(const std::string& file)>;

    HandedOverFiles(QWidget& window, Opener open, QObject* parent = nullptr);

    // A file of a second start (empty: none, only the window comes up).
    void take(const std::string& file);
    std::size_t waiting() const { return waiting_.size(); }

  private:
    void bringWindowUp();
    void openWaiting();

    QWidget& window_;
    Opener open_;
    std::deque<std::string> waiting_;
    QTimer* retry_ = nullptr;
    bool opening_ = false;
};

}  // namespace magtune::shell
