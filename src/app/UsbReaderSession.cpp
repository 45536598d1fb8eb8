#include "app/UsbReaderSession.h"

#include "comm/SimulatorKeySource.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "usbhid/common/SimUsbWire.h"

namespace magtune {

UsbReaderSession::UsbReaderSession(Prompter& prompter, const CommOptions& options,
                                   const RuntimeConfig& config, bool forTransfers,
                                   TypedKeys typedKeys)
    : prompter_(prompter),
      options_(options),
      typedKeys_(std::move(typedKeys)),
      library_(prompter),
      list_(library_, SystemClock(), prompter),
      log_(RealFileSystem(), TransferLogPath(TransferLogFolder())),
      dump_(RealFileSystem(), TransferDumpPath(TransferLogFolder())) {
    const std::string& bus = config.usbSimulatorBus;
    if (forTransfers && !bus.empty()) {
        simulatorWanted_ = true;
        SystemError error;
        simulatorKeys_ = SimulatorKeySource::connect(bus, error);
        if (simulatorKeys_ == nullptr) {
            prompter_.warning("The keys of the simulated USB reader cannot be read from " +
                              SimulatorKeysPath(bus) + ": " + SystemMessageText(error.code));
        }
    }
}

UsbReaderSession::~UsbReaderSession() {
    if (!SelectedUsbName.empty()) {
        library_.UsbHidDeselectDevice();
    }
    if (listed_) {
        library_.UsbHidReleaseDeviceList();
    }
}

bool UsbReaderSession::list() {
    listed_ = list_.load() || listed_;
    return !list_.entries().empty();
}

bool UsbReaderSession::choose(std::size_t number) {
    if (!list()) {
        return false;
    }
    const std::size_t count = list_.entries().size();
    if (number < 1 || number > count) {
        prompter_.warning("There is no USB reader " + std::to_string(number) + ": " +
                          std::to_string(count) + (count == 1 ? " reader was" : " readers were") +
                          " found (see magtune-cli usb-list).");
        return false;
    }
    return list_.choose(number - 1, SelectedUsbName, options_.DriverDelay);
}

bool UsbReaderSession::transfer(UsbTransfer::Direction direction, ConfigurationImage& image,
                                Prompter& answers, TransferView& view) {
    if (simulatorWanted_ && simulatorKeys_ == nullptr) {
        return false;
    }
    std::unique_ptr<KeySource> typed;
    if (!simulatorWanted_) {
        typed = typedKeys_ ? typedKeys_() : nullptr;
        if (typed == nullptr) {
            return false;
        }
    }
    KeySource& keys = simulatorKeys_ ? *simulatorKeys_ : *typed;
    Clock& clock = SystemClock();
    UsbTransfer usb(direction, library_, clock, answers, view, options_, log_, dump_, image);
    return RunUsbTransfer(usb, keys, clock);
}

}  // namespace magtune
