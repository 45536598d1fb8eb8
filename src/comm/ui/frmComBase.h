#pragma once

#include <QDialog>

namespace magtune {

// What the serial transfer forms share: shown modally and centred, they run
// their transfer once they are on screen and close themselves when it ends.
// While it runs the user cannot close them; the test pad overrides
// closeWhileRunning to end its read loop instead.
class frmComBase : public QDialog {
    Q_OBJECT

  public:
    bool running() const { return running_; }

    // Esc: ignored while the transfer runs (the test pad ends its loop).
    void reject() override;

  protected:
    frmComBase(const QString& caption, QWidget* parent);

    // The transfer: blocks until it is over (the forms let the user
    // interface draw itself while they wait).
    virtual void runTransfer() = 0;
    // A close asked for while the transfer runs (close box, Esc).
    virtual void closeWhileRunning() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void start();

    bool started_ = false;
    bool running_ = false;
};

}  // namespace magtune
