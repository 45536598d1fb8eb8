#include "shell/UsbTransportForms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "comm/SimulatorKeySource.h"
#include "comm/ui/frmTest.h"
#include "comm/ui/frmUSB.h"
#include "comm/ui/frmUSBDnld.h"
#include "comm/ui/frmUSBUpld.h"
#include "usbhid/common/SimUsbWire.h"

namespace magtune {

// Types the simulated reader's keys into the active modal window, where a
// real reader's keys land. Keys that come while no form is up are lost, as
// a real reader's keys typed into another window would be.
class UsbTransportForms::SimulatedTyping {
  public:
    SimulatedTyping(std::string bus, Prompter& prompter)
        : bus_(std::move(bus)), prompter_(prompter) {
        timer_.setInterval(kPollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { typeWaitingKeys(); });
    }

    // Connects to the simulator's keys unless that was done: before the
    // first library call, so that no answer is typed before anyone listens.
    void connect() {
        if (keys_ != nullptr && !keys_->closed()) {
            return;
        }
        SystemError error;
        keys_ = SimulatorKeySource::connect(bus_, error);
        if (keys_ == nullptr) {
            prompter_.warning("The keys of the simulated USB reader cannot be read from " +
                              SimulatorKeysPath(bus_) + ":\n" + SystemMessageText(error.code));
        }
    }

    // While a form is up.
    void begin() {
        connect();
        // Typed before the form was there; bounded, should the peer never
        // stop typing.
        for (int read = 0; keys_ != nullptr && read < kMaxDrainReads; ++read) {
            if (keys_->waitForKeys(0).empty()) {
                break;
            }
        }
        timer_.start();
    }
    void end() { timer_.stop(); }

  private:
    static constexpr int kPollMs = 5;
    static constexpr int kMaxDrainReads = 64;

    void typeWaitingKeys() {
        if (keys_ == nullptr) {
            return;
        }
        const std::string typed = keys_->waitForKeys(0);
        QWidget* window = QApplication::activeModalWidget();
        if (typed.empty() || window == nullptr) {
            return;
        }
        QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
        for (const char key : typed) {
            const QString text(QChar::fromLatin1(key));
            const QChar upper = text.at(0).toUpper();
            const int code =
                upper.isLetterOrNumber() ? static_cast<int>(upper.unicode()) : int{Qt::Key_unknown};
            QApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, code, Qt::NoModifier, text));
            QApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyRelease, code, Qt::NoModifier, text));
        }
    }

    std::string bus_;
    Prompter& prompter_;
    std::unique_ptr<SimulatorKeySource> keys_;
    QTimer timer_;
};

UsbTransportForms::UsbTransportForms(AppState& state, UsbLibraryCalls& library, Prompter& prompter,
                                     FileSystem& files, Clock& clock, QWidget* parent,
                                     std::string simulatorBus)
    : state_(state),
      library_(library),
      prompter_(prompter),
      clock_(clock),
      parent_(parent),
      log_(files, state.TransferLogPath),
      dump_(files, state.TransferDumpPath) {
    if (!simulatorBus.empty()) {
        typing_ = std::make_unique<SimulatedTyping>(std::move(simulatorBus), prompter);
    }
}

UsbTransportForms::~UsbTransportForms() = default;

bool UsbTransportForms::chooseDevice() {
    if (typing_) {
        typing_->connect();
    }
    frmUSB form(library_, clock_, prompter_, state_.options.DriverDelay, state_.SelectedUsbName,
                parent_);
    form.exec();
    return form.chosen();
}

bool UsbTransportForms::transfer(UsbTransfer::Direction direction, ConfigurationImage& image) {
    const UsbTransferContext context{library_, clock_, prompter_, state_.options, log_, dump_};
    std::unique_ptr<frmUSBTransfer> form;
    if (direction == UsbTransfer::Direction::Download) {
        form = std::make_unique<frmUSBDnld>(context, image, parent_);
    } else {
        form = std::make_unique<frmUSBUpld>(context, image, parent_);
    }
    if (typing_) {
        typing_->begin();
    }
    form->exec();
    if (typing_) {
        typing_->end();
    }
    return form->succeeded();
}

bool UsbTransportForms::download(const ConfigurationImage& image) {
    // The form takes the image it sends by reference; it never changes it.
    ConfigurationImage sent = image;
    return transfer(UsbTransfer::Direction::Download, sent);
}

bool UsbTransportForms::upload(ConfigurationImage& image) {
    return transfer(UsbTransfer::Direction::Upload, image);
}

void UsbTransportForms::testPad() {
    frmTest form(state_.store.CurrentInterface, parent_);
    if (typing_) {
        typing_->begin();
    }
    form.exec();
    if (typing_) {
        typing_->end();
    }
}

void UsbTransportForms::releaseDevices() {
    if (state_.SelectedUsbName.empty()) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    library_.UsbHidDeselectDevice();
    library_.UsbHidReleaseDeviceList();
    QApplication::restoreOverrideCursor();
    state_.SelectedUsbName.clear();
}

}  // namespace magtune
