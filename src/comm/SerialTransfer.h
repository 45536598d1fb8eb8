#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "comm/SerialConnectScan.h"
#include "comm/SerialLink.h"
#include "comm/TransferPhase.h"
#include "comm/TransferView.h"
#include "platform/Clock.h"
#include "platform/PortSettings.h"
#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// Failed replies after which an upload gives up.
inline constexpr int kUploadAttempts = 6;
// Sends of the download frame before a download gives up.
inline constexpr int kDownloadSends = 3;

// The serial download and upload forms (frmComDn, frmComUp) as a machine
// driven by their timer: the form starts it, calls timerFired() when its
// timer fires, follows timerOn() and intervalMs(), and closes when
// finished() turns true. No step keeps the port longer than one connect
// frame, a few milliseconds of writing or a 1-ms read: the read time-outs
// of the options become deadlines on the clock, and the frames go out in
// pieces. The time-outs mean what they mean for one read of the port: the
// download's answer may take 10 ms + ReadTotalTimeoutConstant, the reply
// 10 ms a byte + ReadTotalTimeoutConstant, with at most ReadIntervalTimeout
// between two of its bytes.
class SerialTransfer {
  public:
    enum class Direction { Download, Upload };

    // How long one timer tick writes at most, at the port's rate.
    static constexpr std::uint32_t kWriteStepMs = 10;
    // Timer interval while the reader is being waited for.
    static constexpr std::uint32_t kPollIntervalMs = 2;

    // `image` is sent by a download and filled by a successful upload only.
    // DownloadSucceeded / UploadSucceeded of the session follow succeeded().
    SerialTransfer(Direction direction, SerialLink& link, platform::Clock& clock,
                   TransferView& view, settings::ConfigurationImage& image);

    // The form's activation: status, log, then the connect scan.
    void start();
    void timerFired();
    // The form was closed: the transfer ends as failed, without a message,
    // with PortSettings (and the port's rate) and the image as they were.
    void cancel();

    TransferPhase phase() const { return phase_; }
    bool timerOn() const { return timerOn_; }
    std::uint32_t intervalMs() const { return intervalMs_; }
    bool finished() const { return phase_ == TransferPhase::Finished; }
    bool succeeded() const { return succeeded_; }
    bool cancelled() const { return cancelled_; }

  private:
    enum class Step { Connect, Settle, Send, AwaitAck, ConfirmAck, AwaitStx, ReadBody };

    void connectStep();
    void beginSettle();
    void settleStep();
    // The end of the connect step: `answered` when the reader acknowledged
    // and the line has settled.
    void connected(bool answered);
    void beginSend(std::vector<std::uint8_t> bytes, Step after);
    void sendStep();
    void awaitAck();
    void confirmAck();
    void awaitStx();
    void readBody();
    void sendDownloadFrame();
    void requestImage();
    // A failed reply: requested again until kUploadAttempts.
    void replyFailed();
    void succeed();
    void fail();
    void finish();
    void schedule(std::uint32_t intervalMs);
    // Starts a read of `count` bytes under the transfer time-outs, counted
    // from `start`.
    void beginRead(std::size_t count, std::uint64_t start);
    // Takes what is waiting into the read; false when the port failed.
    bool pollRead();
    bool readComplete() const { return got_.size() >= want_; }
    bool readTimedOut() const;
    // Logs the read as one line when it brought bytes, as the port layer
    // logs one read.
    void logRead();

    Direction direction_;
    SerialLink& link_;
    platform::Clock& clock_;
    TransferView& view_;
    settings::ConfigurationImage& image_;
    SerialConnectScan scan_;

    TransferPhase phase_ = TransferPhase::Init;
    Step step_ = Step::Connect;
    bool timerOn_ = false;
    std::uint32_t intervalMs_ = 0;
    bool succeeded_ = false;
    bool cancelled_ = false;
    platform::PortSettings settingsBefore_;

    std::vector<std::uint8_t> sending_;
    std::size_t sent_ = 0;
    std::uint64_t sendStart_ = 0;
    Step afterSend_ = Step::AwaitAck;
    int sends_ = 0;
    int failures_ = 0;

    std::size_t want_ = 0;
    std::vector<std::uint8_t> got_;
    std::uint64_t readStart_ = 0;
    std::uint64_t lastByteAt_ = 0;
    std::uint64_t replyStart_ = 0;
    std::uint64_t settleStart_ = 0;
};

// Runs a transfer without a window, its timer on `clock`; `cancelled` is
// asked before every tick. Returns succeeded().
bool RunSerialTransfer(SerialTransfer& transfer, platform::Clock& clock,
                       const std::function<bool()>& cancelled = nullptr);

// The download form's work: connects, sends the image, reports. Sets and
// returns DownloadSucceeded. The port stays open.
bool SerialDownload(SerialLink& link, platform::Clock& clock,
                    const settings::ConfigurationImage& image, TransferView& view);

// The upload form's work: connects, requests the image, reports and closes
// the port. Sets and returns UploadSucceeded; `image` is written only when
// a whole checked reply arrived.
bool SerialUpload(SerialLink& link, platform::Clock& clock, settings::ConfigurationImage& image,
                  TransferView& view);

}  // namespace magtune::comm
