#include "comm/UsbTransfer.h"

#include <algorithm>
#include <cctype>

#include "comm/ProtocolFrames.h"

namespace magtune::comm {

namespace {

constexpr char kChannelFailed[] = "UsbHidSetDownloadChannel() failed.";
constexpr char kControlCodeFailed[] = "UsbHidSetDeviceControlCode() failed.";

}  // namespace

UsbTransfer::UsbTransfer(Direction direction, UsbLibraryCalls& library, platform::Clock& clock,
                         common::Prompter& prompter, TransferView& view, const CommOptions& options,
                         TransferLog& log, TransferLog& dump, settings::ConfigurationImage& image)
    : direction_(direction),
      library_(library),
      clock_(clock),
      prompter_(prompter),
      view_(view),
      options_(options),
      log_(log),
      dump_(dump),
      image_(image) {}

void UsbTransfer::start() {
    channelEntered_ = false;
    busy_ = false;
    succeeded_ = false;
    if (options_.UsbLogEnable) {
        log_.clear();
        dump_.clear();
    }
    reset();
    schedule(TransferPhase::Init, initIntervalMs());
}

std::uint32_t UsbTransfer::initIntervalMs() const {
    return direction_ == Direction::Download ? 1 : 10;
}

void UsbTransfer::reset() {
    view_.setStatus(direction_ == Direction::Download ? "Preparing for download ..."
                                                      : "Preparing for upload ...");
    view_.setProgress(0);
    view_.setBusy(true);
    readyFailures_ = 0;
}

void UsbTransfer::schedule(TransferPhase phase, std::uint32_t intervalMs) {
    phase_ = phase;
    intervalMs_ = intervalMs;
    timerOn_ = true;
    ++timerGeneration_;
}

void UsbTransfer::timerFired() {
    if (!timerOn_) {
        return;
    }
    timerOn_ = false;
    switch (phase_) {
        case TransferPhase::Init:
            init();
            return;
        case TransferPhase::Connect:
            view_.setBusy(false);
            prompter_.warning("Failed to connect to device.");
            finish(true);
            return;
        case TransferPhase::Download:
        case TransferPhase::Upload:
            afterFailedAttempt("Time out error. Retry?");
            return;
        case TransferPhase::Finished:
            return;
    }
}

void UsbTransfer::init() {
    if (library_.UsbHidIsDeviceReady() == 0) {
        if (++readyFailures_ >= kReadyPolls) {
            view_.setBusy(false);
            prompter_.warning("Failed to load USB driver.");
            return finish(true);
        }
        return schedule(TransferPhase::Init, intervalMs_);
    }
    if (!enterProgramming()) {
        return finish(true);
    }
    channelEntered_ = true;
    busy_ = false;
    view_.setStatus("Connecting to device ...");
    if (!sendBytes(WakeSequence())) {
        return finish(true);
    }
    view_.setBusy(true);
    schedule(TransferPhase::Connect, kConnectWaitMs);
}

void UsbTransfer::keyTyped(char key) {
    if (finished()) {
        return;
    }
    if (options_.UsbLogEnable) {
        log_.appendLine(std::string(1, key));
    }
    const KeyboardAnswer answer = ClassifyKeyboardAnswer(key);
    if (!busy_) {
        // Only after the wake went out: a reader never gets a frame without
        // a fresh "O" to the wake before it.
        if (answer == KeyboardAnswer::Ready && phase_ == TransferPhase::Connect) {
            frameOut();
        }
        return;
    }
    if (direction_ == Direction::Download) {
        answerIn(key);
    } else {
        digitIn(key);
    }
}

void UsbTransfer::frameOut() {
    timerOn_ = false;
    startPacing();
    pause(options_.ProtocolDelay);
    view_.setProgress(50);
    busy_ = true;
    bool sent = false;
    if (direction_ == Direction::Download) {
        view_.setStatus("Sending data, please wait ...");
        sent = sendBytes(KeyboardDownload(image_));
    } else {
        view_.setStatus("Receiving data, please wait ...");
        digits_.clear();
        sent = sendBytes(KeyboardUploadRequest());
    }
    if (!sent) {
        return finish(true);
    }
    schedule(direction_ == Direction::Download ? TransferPhase::Download : TransferPhase::Upload,
             kAnswerWaitMs);
}

void UsbTransfer::answerIn(char key) {
    switch (ClassifyKeyboardAnswer(key)) {
        case KeyboardAnswer::Accepted:
            timerOn_ = false;
            view_.setBusy(false);
            view_.setProgress(100);
            view_.setStatus("Download succeed");
            prompter_.information("Download finished successfully.", common::kApplicationTitle);
            succeeded_ = true;
            return finish(false);
        case KeyboardAnswer::Rejected:
            timerOn_ = false;
            return afterFailedAttempt("Data or checksum error. Retry?");
        default:
            return;
    }
}

void UsbTransfer::digitIn(char key) {
    if (ClassifyKeyboardAnswer(key) != KeyboardAnswer::HexDigit) {
        return;
    }
    digits_ += static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (digits_.size() < kKeyboardReplyDigits) {
        return;
    }
    timerOn_ = false;
    const ImageDecodeResult decoded = DecodeKeyboardUploadReply(digits_);
    if (!decoded.ok()) {
        return afterFailedAttempt("Data or checksum error. Retry?");
    }
    view_.setProgress(100);
    view_.setStatus("Upload succeed");
    image_ = *decoded.image;
    succeeded_ = true;
    view_.setBusy(false);
    prompter_.information("Upload finished successfully.", common::kApplicationTitle);
    finish(false);
}

// The channel is always left before the question, and a retry enters it
// afresh from "Init".
void UsbTransfer::afterFailedAttempt(const char* question) {
    leaveProgramming();
    channelEntered_ = false;
    busy_ = false;
    view_.setBusy(false);
    if (prompter_.question(question, common::kErrorCaption, common::MessageButtons::YesNo,
                           common::Answer::Yes) != common::Answer::Yes) {
        return finish(true);
    }
    reset();
    schedule(TransferPhase::Init, initIntervalMs());
}

void UsbTransfer::finish(bool failed) {
    timerOn_ = false;
    if (channelEntered_) {
        leaveProgramming();
        channelEntered_ = false;
    }
    busy_ = false;
    view_.setBusy(false);
    if (failed) {
        prompter_.warning(direction_ == Direction::Download
                              ? "Download failed. Please check your device and connection."
                              : "Upload failed. Please check your device and connection.");
    }
    phase_ = TransferPhase::Finished;
}

bool UsbTransfer::setChannel(std::uint8_t channel) {
    if (library_.UsbHidSetDownloadChannel(channel) == 0) {
        view_.setBusy(false);
        prompter_.systemError(kChannelFailed);
        return false;
    }
    pause(options_.UsbDelay);
    return true;
}

bool UsbTransfer::enterProgramming() {
    startPacing();
    return setChannel(kEnterProgramming);
}

bool UsbTransfer::leaveProgramming() {
    startPacing();
    pause(options_.ProtocolDelay);
    return setChannel(kLeaveProgramming);
}

bool UsbTransfer::sendBytes(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (library_.UsbHidSetDeviceControlCode(byte) == 0) {
            view_.setBusy(false);
            prompter_.systemError(kControlCodeFailed);
            return false;
        }
        pause(options_.UsbDelay);
    }
    return true;
}

void UsbTransfer::startPacing() {
    paceUs_ = clock_.nowUs();
}

// Each wait ends at an absolute deadline, the previous one plus the delay,
// so that what the calls in between cost, and a wake-up that came late, is
// taken from the next waits instead of added to the transfer. A stall of
// more than kMaxPacingDebtSteps delays is not made up: the schedule starts
// afresh rather than sending a long run of bytes back to back.
void UsbTransfer::pause(std::int32_t ms) {
    const std::uint64_t step = ms > 0 ? static_cast<std::uint64_t>(ms) * 1000 : 0;
    paceUs_ += step;
    const std::uint64_t now = clock_.nowUs();
    if (now > paceUs_ + kMaxPacingDebtSteps * step) {
        paceUs_ = now;
    } else {
        clock_.sleepUntilUs(paceUs_);
    }
}

bool RunUsbTransfer(UsbTransfer& transfer, KeySource& keys, platform::Clock& clock) {
    transfer.start();
    std::uint64_t generation = transfer.timerGeneration();
    std::uint64_t armedAt = clock.nowMs();
    while (!transfer.finished() && transfer.timerOn()) {
        const std::uint64_t now = clock.nowMs();
        const std::uint64_t due = armedAt + transfer.intervalMs();
        if (now >= due) {
            transfer.timerFired();
        } else {
            const std::string typed = keys.waitForKeys(static_cast<std::uint32_t>(due - now));
            for (const char key : typed) {
                transfer.keyTyped(key);
                if (transfer.finished()) {
                    break;
                }
            }
            // A source that is gone answers at once; the timer still has to
            // run out in its own time.
            const std::uint64_t later = clock.nowMs();
            if (typed.empty() && later < due) {
                clock.sleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(due - later, 10)));
            }
        }
        if (transfer.timerGeneration() != generation) {
            generation = transfer.timerGeneration();
            armedAt = clock.nowMs();
        }
    }
    return transfer.succeeded();
}

}  // namespace magtune::comm
