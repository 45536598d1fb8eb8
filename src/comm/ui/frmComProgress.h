#pragma once

#include "comm/SerialLink.h"
#include "comm/SerialTransfer.h"
#include "comm/ui/TransferForm.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// What frmComDn and frmComUp share: the status label, the progress bar and
// the busy pointer bound to a SerialTransfer, which the form's timer drives
// from the moment the form is shown until it closes itself. Closing the
// form (close box, Esc) cancels the connect scan or the transfer: it ends
// as failed, the port's settings and the image as they were.
class frmComProgress : public TransferForm {
    Q_OBJECT

  public:
    const SerialTransfer& transfer() const { return transfer_; }
    bool running() const { return started_ && !transfer_.finished(); }

    // One tick of the timer; the timer calls it, tests too.
    void timerFired();

    void reject() override;

  protected:
    frmComProgress(const QString& caption, SerialTransfer::Direction direction, SerialLink& link,
                   platform::Clock& clock, settings::ConfigurationImage& image, QWidget* parent);

    void showEvent(QShowEvent* event) override;

  private:
    // Closes the form when the transfer finished, else runs the timer at
    // the interval it asks for.
    void followTransfer();

    SerialTransfer transfer_;
    bool started_ = false;
};

}  // namespace magtune::comm
