#pragma once

#include <QDialog>
#include <cstdint>

#include "comm/SerialLink.h"
#include "comm/SerialTestPad.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace magtune::comm {

// "Test Pad (RS232)": shows what the reader sends (a swiped card) until the
// user leaves with Exit or closes the window; then closes the port. A timer
// looks at the port; no read waits longer than the port's idle time-out.
class frmComTest : public QDialog {
    Q_OBJECT

  public:
    explicit frmComTest(SerialLink& link, QWidget* parent = nullptr);

    // Esc and the close box: as Exit.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void poll();
    void leave();
    void received(std::uint8_t byte);

    SerialTestPad pad_;
    QPlainTextEdit* txtEdit;
    QPushButton* cmdExit;
    QTimer* timer_;
    bool afterCarriageReturn_ = false;
};

}  // namespace magtune::comm
