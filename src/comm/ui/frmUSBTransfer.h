#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "comm/UsbTransfer.h"
#include "comm/WedgeHookKeys.h"
#include "comm/ui/TransferForm.h"

namespace magtune::comm {

// What a USB transfer form works with besides its image.
struct UsbTransferContext {
    UsbLibraryCalls& library;
    platform::Clock& clock;
    common::Prompter& prompter;
    const CommOptions& options;
    // "USBLog.txt" and "USBDump.txt", written only when logging is on.
    TransferLog& log;
    TransferLog& dump;
};

// What the USB download and upload forms share: the transfer machine bound
// to the form's timer, to the keys that reach the form (the reader types its
// answers into the active window), to the status label, the progress bar and
// the hourglass. The transfer starts when the form is first shown; the form
// closes itself when the transfer has finished, and not before.
class frmUSBTransfer : public TransferForm {
    Q_OBJECT

  public:
    // DownloadSucceeded or UploadSucceeded.
    bool succeeded() const { return transfer_.succeeded(); }
    const UsbTransfer& transfer() const { return transfer_; }

    // Esc and the close box: a transfer ends on its own (at most the answer
    // wait and a question later), with the download channel left.
    void reject() override;

  protected:
    frmUSBTransfer(UsbTransfer::Direction direction, const QString& caption,
                   const QString& timerName, const UsbTransferContext& context,
                   settings::ConfigurationImage& image, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Every key goes to the transfer before any control sees it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void activate();
    void timerFired();
    // Runs the keys that came in, unless the transfer is busy in a call
    // already (a message box's event loop); they wait for its end then.
    void feedKeys();
    // The timer and the form follow the transfer after each of its steps.
    void follow();

    NativeKeyCodes nativeCodes_;
    UsbTransfer transfer_;
    std::uint64_t generation_ = 0;
    std::string pendingKeys_;
    bool activated_ = false;
    bool inTransfer_ = false;
};

}  // namespace magtune::comm
