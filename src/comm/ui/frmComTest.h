#pragma once

#include <cstdint>

#include "comm/SerialLink.h"
#include "comm/SerialTestPad.h"
#include "comm/ui/frmComBase.h"

class QPlainTextEdit;
class QPushButton;

namespace magtune {

// "Test Pad (RS232)": shows what the reader sends (a swiped card) until the
// user leaves with Exit or closes the window; then closes the port.
class frmComTest : public frmComBase {
    Q_OBJECT

  public:
    explicit frmComTest(SerialLink& link, QWidget* parent = nullptr);
    ~frmComTest() override;

  protected:
    void runTransfer() override;
    void closeWhileRunning() override;

  private:
    void exitClicked();
    void received(std::uint8_t byte);

    SerialTestPad pad_;
    QPlainTextEdit* txtEdit;
    QPushButton* cmdExit;
    bool waitCursor_ = false;
    bool afterCarriageReturn_ = false;
};

}  // namespace magtune
