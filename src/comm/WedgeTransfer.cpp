#include "comm/WedgeTransfer.h"

#include "comm/ProtocolFrames.h"
#include "comm/WedgeEcho.h"

namespace magtune::comm {

WedgeTransfer::WedgeTransfer(Direction direction, WedgeLibraryCalls& library,
                             platform::Clock& clock, common::Prompter& prompter, TransferView& view,
                             std::int32_t protocolDelayMs, settings::ConfigurationImage& image)
    : direction_(direction),
      library_(library),
      clock_(clock),
      prompter_(prompter),
      view_(view),
      protocolDelayMs_(protocolDelayMs),
      image_(image) {}

void WedgeTransfer::start() {
    driverLoaded_ = false;
    echoEnabled_ = false;
    succeeded_ = false;
    schedule(TransferPhase::Init, 1);
}

void WedgeTransfer::schedule(TransferPhase phase, std::uint32_t intervalMs) {
    phase_ = phase;
    intervalMs_ = intervalMs;
    timerOn_ = true;
}

void WedgeTransfer::timerFired() {
    switch (phase_) {
        case TransferPhase::Init:
            init();
            break;
        case TransferPhase::Connect:
            connect();
            break;
        case TransferPhase::Download:
            awaitDownloadAnswer();
            break;
        case TransferPhase::Upload:
            receiveUpload();
            break;
        case TransferPhase::Finished:
            break;
    }
}

void WedgeTransfer::init() {
    timerOn_ = false;
    view_.setStatus(direction_ == Direction::Download ? "Preparing for download ..."
                                                      : "Preparing for upload ...");
    view_.setProgress(0);
    if (!call(library_.ZebLoadDriver0(), "ZebLoadDriver()")) {
        return finish(true);
    }
    driverLoaded_ = true;
    if (!call(library_.ZebEnableEcho(1), "ZebEnableEcho()")) {
        return finish(true);
    }
    echoEnabled_ = true;
    if (!call(library_.ZebSetDelay(kSendDelay), "ZebSetDelay()")) {
        return finish(true);
    }
    connected_ = false;
    view_.setStatus("Connecting to device ...");
    if (!sendWake()) {
        return finish(true);
    }
    resetEcho();
    view_.setBusy(true);
    schedule(TransferPhase::Connect, kConnectIntervalMs);
}

void WedgeTransfer::connect() {
    timerOn_ = false;
    if (readEcho() && EchoHasReady(echo_)) {
        connected_ = true;
        clock_.sleepMs(static_cast<std::uint32_t>(protocolDelayMs_));
        view_.setProgress(50);
        bool sent = false;
        if (direction_ == Direction::Download) {
            view_.setStatus("Sending data, please wait ...");
            sent = send(KeyboardDownload(image_));
        } else {
            view_.setStatus("Receiving data, please wait ...");
            sent = send(KeyboardUploadRequest());
        }
        if (!sent) {
            return finish(true);
        }
        resetEcho();
        schedule(
            direction_ == Direction::Download ? TransferPhase::Download : TransferPhase::Upload,
            kTransferIntervalMs);
        return;
    }
    if (++ticks_ < kConnectPolls) {
        return schedule(TransferPhase::Connect, kConnectIntervalMs);
    }
    if (++wakes_ >= kWakeSendings) {
        view_.setBusy(false);
        prompter_.warning("Failed to connect to device.");
        return finish(true);
    }
    if (!sendWake()) {
        return finish(true);
    }
    ticks_ = 0;
    schedule(TransferPhase::Connect, kConnectIntervalMs);
}

void WedgeTransfer::awaitDownloadAnswer() {
    timerOn_ = false;
    if (readEcho()) {
        if (EchoHasAccepted(echo_)) {
            view_.setBusy(false);
            view_.setProgress(100);
            view_.setStatus("Download succeed");
            prompter_.information("Download finished successfully.", common::kApplicationTitle);
            succeeded_ = true;
            return finish(false);
        }
        if (EchoHasRejected(echo_)) {
            connected_ = false;
            view_.setBusy(false);
            return askRetry("Data or checksum error. Retry?");
        }
    }
    if (++ticks_ >= kAnswerPolls) {
        connected_ = false;
        view_.setBusy(false);
        return askRetry("Time out error. Retry?");
    }
    schedule(TransferPhase::Download, kTransferIntervalMs);
}

void WedgeTransfer::receiveUpload() {
    if (!readEcho()) {
        if (++ticks_ >= kAnswerPolls) {
            timerOn_ = false;
            connected_ = false;
            view_.setBusy(false);
            askRetry("Time out error. Retry?");
        }
        return;
    }
    ticks_ = 0;
    if (echo_.size() < kWedgeUploadCodes) {
        return;
    }
    DropCodesBeforeFirstDigit(echo_);
    if (echo_.size() >= kWedgeUploadCodes) {
        timerOn_ = false;
        decodeUpload();
    }
}

void WedgeTransfer::decodeUpload() {
    const ImageDecodeResult decoded = DecodeWedgeUpload(echo_);
    view_.setBusy(false);
    if (!decoded.ok()) {
        connected_ = false;
        return askRetry("Data or checksum error. Retry?");
    }
    view_.setProgress(100);
    view_.setStatus("Upload succeed");
    image_ = *decoded.image;
    succeeded_ = true;
    prompter_.information("Upload finished successfully.", common::kApplicationTitle);
    finish(false);
}

void WedgeTransfer::askRetry(const char* question) {
    if (prompter_.question(question, common::kErrorCaption, common::MessageButtons::YesNo,
                           common::Answer::Yes) == common::Answer::Yes) {
        restart();
    } else {
        finish(true);
    }
}

void WedgeTransfer::restart() {
    view_.setStatus("Connecting to device ...");
    view_.setProgress(0);
    if (!sendWake()) {
        return finish(true);
    }
    resetEcho();
    view_.setBusy(true);
    schedule(TransferPhase::Connect, kConnectIntervalMs);
}

void WedgeTransfer::finish(bool failed) {
    timerOn_ = false;
    view_.setBusy(false);
    if (echoEnabled_) {
        if (call(library_.ZebEnableEcho(0), "ZebEnableEcho()")) {
            echoEnabled_ = false;
        } else {
            failed = true;
        }
    }
    if (driverLoaded_) {
        if (call(library_.ZebUnloadDriver(), "ZebUnloadDriver()")) {
            driverLoaded_ = false;
        } else {
            failed = true;
        }
    }
    if (failed) {
        prompter_.warning(direction_ == Direction::Download
                              ? "Download failed. Please check your device and connection."
                              : "Upload failed. Please check your device and connection.");
    }
    phase_ = TransferPhase::Finished;
}

bool WedgeTransfer::call(std::int32_t result, const char* name) {
    if (result != 0) {
        return true;
    }
    errorText_.fill('\0');
    const std::int32_t needed =
        library_.ZebGetLastError(errorText_.data(), static_cast<std::int32_t>(errorText_.size()));
    std::string text = std::string(name) + "\n";
    if (needed > 0 && needed <= static_cast<std::int32_t>(errorText_.size())) {
        text += errorText_.data();
    }
    prompter_.systemError(text);
    return false;
}

bool WedgeTransfer::send(std::span<const std::uint8_t> bytes) {
    return call(library_.ZebSendData(bytes.data(), static_cast<std::int32_t>(bytes.size())),
                "ZebSendData()");
}

bool WedgeTransfer::sendWake() {
    return send(WakeSequence());
}

bool WedgeTransfer::readEcho() {
    const std::int32_t n = library_.ZebGetEchoChars(keys_.data(), scans_.data(), kEchoBufferSize);
    // A result of the buffer's size or more is the size the library needs,
    // with no codes in the buffer.
    if (n <= 0 || n >= kEchoBufferSize) {
        return false;
    }
    echo_.insert(echo_.end(), scans_.begin(), scans_.begin() + n);
    return true;
}

void WedgeTransfer::resetEcho() {
    echo_.clear();
    ticks_ = 0;
    wakes_ = 0;
}

}  // namespace magtune::comm
