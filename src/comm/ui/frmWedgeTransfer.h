#pragma once

#include <cstdint>

#include "comm/WedgeLibraryCalls.h"
#include "comm/WedgeTransfer.h"
#include "comm/ui/TransferForm.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// What frmDnld and frmUpld share: the status label, the progress bar and
// the busy pointer bound to a WedgeTransfer, which the form's one timer
// drives from the moment the form is shown until it closes itself. While the
// transfer runs the user cannot close the form: its finish step is what
// lets go of the keyboard.
class frmWedgeTransfer : public TransferForm {
    Q_OBJECT

  public:
    // DownloadSucceeded or UploadSucceeded: false until the reader's
    // positive result.
    bool succeeded() const { return transfer_.succeeded(); }
    const WedgeTransfer& transfer() const { return transfer_; }
    bool running() const { return started_ && !transfer_.finished(); }

    // One tick of the timer; the timer calls it, tests too.
    void timerFired();

    // Esc: ignored while the transfer runs.
    void reject() override;

  protected:
    frmWedgeTransfer(const QString& caption, const QString& timerName,
                     WedgeTransfer::Direction direction, WedgeLibraryCalls& library,
                     platform::Clock& clock, common::Prompter& prompter,
                     std::int32_t protocolDelayMs, settings::ConfigurationImage& image,
                     QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Follows the machine: closes the form when it finished, else runs the
    // timer at the interval it asks for.
    void followTransfer();

    WedgeTransfer transfer_;
    bool started_ = false;
};

}  // namespace magtune::comm
