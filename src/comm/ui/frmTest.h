#pragma once

#include <QDialog>
#include <cstdint>

class QPlainTextEdit;
class QPushButton;

namespace magtune::comm {

// "Test Pad (AT/PS2)" or "Test Pad (USB)": the reader is a keyboard, so a
// swiped card arrives as keys typed into txtEdit. Nothing captures the
// keyboard here. Exit (cmdExit) closes it.
class frmTest : public QDialog {
    Q_OBJECT

  public:
    // `currentInterface` is CurrentInterface: 2 is the keyboard wedge, any
    // other value USB.
    explicit frmTest(std::int32_t currentInterface, QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPlainTextEdit* txtEdit;
    QPushButton* cmdExit;
};

}  // namespace magtune::comm
