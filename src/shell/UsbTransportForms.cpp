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

namespace magtune::shell {

// Types the simulated reader's keys into the active modal window, where a
// real reader's keys land. Keys that come while no form is up are lost, as
// a real reader's keys typed into another window would be.
class UsbTransportForms::SimulatedTyping {
  public:
    SimulatedTyping(std::string bus, common::Prompter& prompter)
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
        platform::SystemError error;
        keys_ = comm::SimulatorKeySource::connect(bus_, error);
        if (keys_ == nullptr) {
            prompter_.warning("The keys of the simulated USB reader cannot be read from " +
                              comm::SimulatorKeysPath(bus_) + ":\n" +
                              platform::SystemMessageText(error.code));
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
    common::Prompter& prompter_;
    std::unique_ptr<comm::SimulatorKeySource> keys_;
    QTimer timer_;
};

UsbTransportForms::UsbTransportForms(AppState& state, comm::UsbLibraryCalls& library,
                                     common::Prompter& prompter, platform::FileSystem& files,
                                     platform::Clock& clock, QWidget* parent,
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
    comm::frmUSB form(library_, clock_, prompter_, state_.options.DriverDelay,
                      state_.SelectedUsbName, parent_);
    form.exec();
    return form.chosen();
}

bool UsbTransportForms::transfer(comm::UsbTransfer::Direction direction,
                                 settings::ConfigurationImage& image) {
    const comm::UsbTransferContext context{library_,       clock_, prompter_,
                                           state_.options, log_,   dump_};
    std::unique_ptr<comm::frmUSBTransfer> form;
    if (direction == comm::UsbTransfer::Direction::Download) {
        form = std::make_unique<comm::frmUSBDnld>(context, image, parent_);
    } else {
        form = std::make_unique<comm::frmUSBUpld>(context, image, parent_);
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

bool UsbTransportForms::download(const settings::ConfigurationImage& image) {
    // The form takes the image it sends by reference; it never changes it.
    settings::ConfigurationImage sent = image;
    return transfer(comm::UsbTransfer::Direction::Download, sent);
}

bool UsbTransportForms::upload(settings::ConfigurationImage& image) {
    return transfer(comm::UsbTransfer::Direction::Upload, image);
}

void UsbTransportForms::testPad() {
    comm::frmTest form(state_.store.CurrentInterface, parent_);
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

}  // namespace magtune::shell
