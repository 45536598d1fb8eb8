#include "app/UsbReaderSession.h"

#include "comm/SimulatorKeySource.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "usbhid/common/SimUsbWire.h"

namespace magtune::app {

UsbReaderSession::UsbReaderSession(common::Prompter& prompter, const comm::CommOptions& options,
                                   const RuntimeConfig& config, bool forTransfers,
                                   TypedKeys typedKeys)
    : prompter_(prompter),
      options_(options),
      typedKeys_(std::move(typedKeys)),
      library_(prompter),
      list_(library_, platform::SystemClock(), prompter),
      log_(platform::RealFileSystem(), comm::TransferLogPath(comm::TransferLogFolder())),
      dump_(platform::RealFileSystem(), comm::TransferDumpPath(comm::TransferLogFolder())) {
    const std::string& bus = config.usbSimulatorBus;
    if (forTransfers && !bus.empty()) {
        simulatorWanted_ = true;
        platform::SystemError error;
        simulatorKeys_ = comm::SimulatorKeySource::connect(bus, error);
        if (simulatorKeys_ == nullptr) {
            prompter_.warning("The keys of the simulated USB reader cannot be read from " +
                              comm::SimulatorKeysPath(bus) + ": " +
                              platform::SystemMessageText(error.code));
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

bool UsbReaderSession::transfer(comm::UsbTransfer::Direction direction,
                                settings::ConfigurationImage& image, common::Prompter& answers,
                                comm::TransferView& view) {
    if (simulatorWanted_ && simulatorKeys_ == nullptr) {
        return false;
    }
    std::unique_ptr<comm::KeySource> typed;
    if (!simulatorWanted_) {
        typed = typedKeys_ ? typedKeys_() : nullptr;
        if (typed == nullptr) {
            return false;
        }
    }
    comm::KeySource& keys = simulatorKeys_ ? *simulatorKeys_ : *typed;
    platform::Clock& clock = platform::SystemClock();
    comm::UsbTransfer usb(direction, library_, clock, answers, view, options_, log_, dump_, image);
    return comm::RunUsbTransfer(usb, keys, clock);
}

}  // namespace magtune::app
