#include "comm/SerialTransfer.h"

#include <algorithm>
#include <array>
#include <string>

#include "comm/ProtocolFrames.h"

namespace magtune::comm {

namespace {

// Reads one tick makes at most while bytes keep coming, so that a reader
// that never pauses cannot hold the user interface.
constexpr int kReadsPerTick = 64;
// How long past the first quiet period a line that keeps talking after the
// connect is waited for, in quiet periods.
constexpr std::uint64_t kSettleLimitFactor = 10;

}  // namespace

SerialTransfer::SerialTransfer(Direction direction, SerialLink& link, platform::Clock& clock,
                               TransferView& view, settings::ConfigurationImage& image)
    : direction_(direction), link_(link), clock_(clock), view_(view), image_(image), scan_(link) {}

void SerialTransfer::start() {
    auto& session = link_.session();
    if (link_.options().UsbLogEnable) {
        link_.log().clear();
    }
    succeeded_ = false;
    cancelled_ = false;
    (direction_ == Direction::Download ? session.DownloadSucceeded : session.UploadSucceeded) =
        false;
    settingsBefore_ = session.PortSettings;
    view_.setStatus(direction_ == Direction::Download
                        ? std::string("Connecting to device ...")
                        : "Connecting to " + session.DeviceName + " ...");
    view_.setBusy(true);
    phase_ = TransferPhase::Connect;
    step_ = Step::Connect;
    if (scan_.begin() == SerialConnectScan::State::PortFailed) {
        return connected(false);
    }
    schedule(0);
}

void SerialTransfer::schedule(std::uint32_t intervalMs) {
    intervalMs_ = intervalMs;
    timerOn_ = true;
}

void SerialTransfer::timerFired() {
    if (!timerOn_ || finished()) {
        return;
    }
    timerOn_ = false;
    switch (step_) {
        case Step::Connect:
            return connectStep();
        case Step::Settle:
            return settleStep();
        case Step::Send:
            return sendStep();
        case Step::AwaitAck:
            return awaitAck();
        case Step::ConfirmAck:
            return confirmAck();
        case Step::AwaitStx:
            return awaitStx();
        case Step::ReadBody:
            return readBody();
    }
}

void SerialTransfer::connectStep() {
    switch (scan_.step()) {
        case SerialConnectScan::State::Running:
            return schedule(0);
        case SerialConnectScan::State::Connected:
            return beginSettle();
        case SerialConnectScan::State::NoAnswer:
            // Leaves both buffers empty, as a connect that answered does.
            link_.purge();
            return connected(false);
        case SerialConnectScan::State::PortFailed:
            return connected(false);
    }
}

// The ACK that ended the scan answered one connect frame of several: the
// scan sends the next frame 1 ms after the last, long before an answer can
// be back, and the reader answers every frame that reached it. The frames
// not yet sent are discarded; the answers still on their way are waited out
// until the line has been quiet for as long as one more frame and its
// answer take. Taken for the answer to the download frame, a late ACK
// would report a download that the reader never stored.
void SerialTransfer::beginSettle() {
    if (!link_.purge()) {
        return connected(false);
    }
    step_ = Step::Settle;
    settleStart_ = clock_.nowMs();
    lastByteAt_ = settleStart_;
    schedule(kPollIntervalMs);
}

void SerialTransfer::settleStep() {
    std::array<std::uint8_t, 64> discarded{};
    for (int read = 0; read < kReadsPerTick; ++read) {
        std::size_t received = 0;
        if (!link_.ReadWaiting(discarded, received)) {
            return connected(false);
        }
        if (received == 0) {
            break;
        }
        lastByteAt_ = clock_.nowMs();
    }
    const std::uint64_t now = clock_.nowMs();
    const std::uint64_t quiet = ConnectSettleMs(link_.session().PortSettings.BaudRate);
    // A line that never falls quiet is left to the transfer's own checks.
    if (now - lastByteAt_ < quiet && now - settleStart_ < kSettleLimitFactor * quiet) {
        return schedule(kPollIntervalMs);
    }
    connected(link_.purge());
}

void SerialTransfer::connected(bool answered) {
    const bool ok = answered && scan_.state() == SerialConnectScan::State::Connected;
    view_.setBusy(false);
    const std::string& name = link_.session().DeviceName;
    if (!ok) {
        view_.setStatus("Connect failed");
        link_.prompter().warning(direction_ == Direction::Download
                                     ? std::string("Failed to connect to device.")
                                     : "Failed to connect to " + name + ".");
        return finish();
    }
    view_.setProgress(50);
    if (direction_ == Direction::Download) {
        phase_ = TransferPhase::Download;
        view_.setStatus("Downloading to device ...");
        sends_ = 0;
        sendDownloadFrame();
    } else {
        phase_ = TransferPhase::Upload;
        view_.setStatus("Upload setting from " + name + " ...");
        failures_ = 0;
        requestImage();
    }
}

void SerialTransfer::sendDownloadFrame() {
    if (sends_ >= kDownloadSends || !link_.purge()) {
        return fail();
    }
    ++sends_;
    const auto frame = SerialDownloadFrame(image_);
    beginSend({frame.begin(), frame.end()}, Step::AwaitAck);
}

void SerialTransfer::requestImage() {
    if (!link_.purge()) {
        return fail();
    }
    const auto request = SerialUploadRequest();
    beginSend({request.begin(), request.end()}, Step::AwaitStx);
}

void SerialTransfer::beginSend(std::vector<std::uint8_t> bytes, Step after) {
    sending_ = std::move(bytes);
    sent_ = 0;
    sendStart_ = clock_.nowMs();
    afterSend_ = after;
    step_ = Step::Send;
    sendStep();
}

void SerialTransfer::sendStep() {
    // Bytes of ten bits each: what the port's rate moves in one write step.
    const std::size_t perStep = std::max<std::size_t>(
        1, std::size_t{link_.session().PortSettings.BaudRate} / 10 * kWriteStepMs / 1000);
    const std::size_t count = std::min(perStep, sending_.size() - sent_);
    if (!link_.SerialWrite(std::span(sending_).subspan(sent_, count))) {
        return fail();
    }
    sent_ += count;
    if (sent_ < sending_.size()) {
        return schedule(0);
    }
    // The read time-outs count from the moment the frame has left the port.
    // The port has taken it at once into its buffer; the line needs its own
    // time for it (a download frame at 2400 baud takes over 2 s).
    step_ = afterSend_;
    replyStart_ = std::max(clock_.nowMs(),
                           sendStart_ + LineTimeMs(link_.session().PortSettings, sending_.size()));
    beginRead(1, replyStart_);
    schedule(kPollIntervalMs);
}

void SerialTransfer::beginRead(std::size_t count, std::uint64_t start) {
    want_ = count;
    got_.clear();
    readStart_ = start;
    lastByteAt_ = start;
}

bool SerialTransfer::pollRead() {
    std::array<std::uint8_t, kSerialReplyBodySize> buffer{};
    const std::size_t room = std::min(buffer.size(), want_ - got_.size());
    std::size_t received = 0;
    if (!link_.ReadWaiting(std::span(buffer).first(room), received)) {
        return false;
    }
    if (received > 0) {
        got_.insert(got_.end(), buffer.begin(), buffer.begin() + static_cast<long>(received));
        lastByteAt_ = clock_.nowMs();
    }
    return true;
}

bool SerialTransfer::readTimedOut() const {
    const CommOptions& options = link_.options();
    const std::uint64_t now = clock_.nowMs();
    if (now < readStart_) {
        return false;
    }
    const std::uint64_t total = kTransferTimeoutPerByte * want_ +
                                static_cast<std::uint64_t>(options.ReadTotalTimeoutConstant);
    if (now - readStart_ >= total) {
        return true;
    }
    const auto interval = static_cast<std::uint64_t>(options.ReadIntervalTimeout);
    return interval != 0 && !got_.empty() && now - lastByteAt_ > interval;
}

void SerialTransfer::logRead() {
    if (link_.options().UsbLogEnable && !got_.empty()) {
        link_.log().appendHexLine(got_);
    }
}

void SerialTransfer::awaitAck() {
    if (!pollRead()) {
        return fail();
    }
    if (readComplete()) {
        logRead();
        if (got_.front() != kAck) {
            return sendDownloadFrame();
        }
        step_ = Step::ConfirmAck;
        settleStart_ = clock_.nowMs();
        return schedule(kPollIntervalMs);
    }
    if (readTimedOut()) {
        return sendDownloadFrame();
    }
    schedule(kPollIntervalMs);
}

// A reader answers each frame once, in the order the frames reached it. An
// ACK with more bytes behind it was therefore not the answer to the download
// frame but a late one to a connect frame: a reader (or a simulated one on a
// busy machine) that was slower than the settle allowed for. Its real answer
// is the byte behind, which may be a NAK: the frame goes again rather than
// a refused download being reported as done.
void SerialTransfer::confirmAck() {
    std::array<std::uint8_t, 64> behind{};
    std::size_t received = 0;
    if (!link_.ReadWaiting(behind, received)) {
        return fail();
    }
    if (received > 0) {
        got_.assign(behind.begin(), behind.begin() + static_cast<long>(received));
        logRead();
        return sendDownloadFrame();
    }
    if (clock_.nowMs() - settleStart_ < ConnectSettleMs(link_.session().PortSettings.BaudRate)) {
        return schedule(kPollIntervalMs);
    }
    succeed();
}

// Bytes before STX are skipped, but only for as long as a whole reply would
// take: a reader that sends noise without end must not keep the upload
// waiting for ever.
void SerialTransfer::awaitStx() {
    const std::uint64_t patience =
        static_cast<std::uint64_t>(link_.options().ReadTotalTimeoutConstant) +
        kTransferTimeoutPerByte * kSerialImageFrameSize;
    for (int read = 0; read < kReadsPerTick; ++read) {
        if (!pollRead()) {
            return fail();
        }
        if (!readComplete()) {
            if (readTimedOut()) {
                return replyFailed();
            }
            break;
        }
        logRead();
        if (got_.front() == kStx) {
            step_ = Step::ReadBody;
            beginRead(kSerialReplyBodySize, clock_.nowMs());
            break;
        }
        const std::uint64_t now = clock_.nowMs();
        if (now > replyStart_ && now - replyStart_ > patience) {
            return replyFailed();
        }
        beginRead(1, std::max(now, replyStart_));
    }
    schedule(kPollIntervalMs);
}

void SerialTransfer::readBody() {
    for (int read = 0; read < kReadsPerTick && !readComplete(); ++read) {
        const std::size_t before = got_.size();
        if (!pollRead()) {
            return fail();
        }
        if (got_.size() == before) {
            break;
        }
    }
    if (readComplete()) {
        logRead();
        const auto decoded = DecodeSerialUploadReply(got_);
        if (!decoded.ok()) {
            return replyFailed();
        }
        image_ = *decoded.image;
        return succeed();
    }
    if (readTimedOut()) {
        logRead();
        return replyFailed();
    }
    schedule(kPollIntervalMs);
}

void SerialTransfer::replyFailed() {
    if (++failures_ >= kUploadAttempts) {
        return fail();
    }
    requestImage();
}

void SerialTransfer::succeed() {
    auto& session = link_.session();
    succeeded_ = true;
    if (direction_ == Direction::Download) {
        view_.setStatus("Download succeed");
        view_.setProgress(100);
        session.DownloadSucceeded = true;
        link_.prompter().information("Download finished successfully.", common::kApplicationTitle);
    } else {
        view_.setStatus("Upload succeed");
        view_.setProgress(100);
        session.UploadSucceeded = true;
        link_.prompter().information("Upload finished successfully.", common::kApplicationTitle);
    }
    finish();
}

void SerialTransfer::fail() {
    if (direction_ == Direction::Download) {
        view_.setStatus("Download failed");
        link_.prompter().warning("Download setting failed.");
    } else {
        view_.setStatus("Upload failed");
        link_.prompter().warning("Upload setting from " + link_.session().DeviceName + " failed.");
    }
    finish();
}

void SerialTransfer::cancel() {
    if (finished()) {
        return;
    }
    cancelled_ = true;
    succeeded_ = false;
    if (step_ == Step::Connect) {
        scan_.abandon();
    } else {
        auto& settings = link_.session().PortSettings;
        if (settings.BaudRate != settingsBefore_.BaudRate) {
            settings = settingsBefore_;
            link_.applyPortSettings();
        }
    }
    view_.setBusy(false);
    view_.setStatus(direction_ == Direction::Download ? "Download failed" : "Upload failed");
    finish();
}

void SerialTransfer::finish() {
    timerOn_ = false;
    phase_ = TransferPhase::Finished;
    if (direction_ == Direction::Upload) {
        link_.session().closePort();
    }
}

bool RunSerialTransfer(SerialTransfer& transfer, platform::Clock& clock,
                       const std::function<bool()>& cancelled) {
    transfer.start();
    while (!transfer.finished() && transfer.timerOn()) {
        if (cancelled && cancelled()) {
            transfer.cancel();
            break;
        }
        if (transfer.intervalMs() > 0) {
            clock.sleepMs(transfer.intervalMs());
        }
        transfer.timerFired();
    }
    return transfer.succeeded();
}

bool SerialDownload(SerialLink& link, platform::Clock& clock,
                    const settings::ConfigurationImage& image, TransferView& view) {
    settings::ConfigurationImage sent = image;
    SerialTransfer transfer(SerialTransfer::Direction::Download, link, clock, view, sent);
    return RunSerialTransfer(transfer, clock);
}

bool SerialUpload(SerialLink& link, platform::Clock& clock, settings::ConfigurationImage& image,
                  TransferView& view) {
    SerialTransfer transfer(SerialTransfer::Direction::Upload, link, clock, view, image);
    return RunSerialTransfer(transfer, clock);
}

}  // namespace magtune::comm
