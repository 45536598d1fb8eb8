#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "comm/CommOptions.h"
#include "comm/KeySource.h"
#include "comm/TransferLog.h"
#include "comm/TransferPhase.h"
#include "comm/TransferView.h"
#include "comm/UsbLibraryCalls.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// The USB download and upload forms (frmUSBDnld, frmUSBUpld) as a machine
// driven by their timer and by the keys the reader types: the form starts
// it, calls timerFired() when its timer fires and keyTyped() for every key
// it receives, follows timerOn() and intervalMs() (a change of
// timerGeneration() restarts the timer), and closes when finished() turns
// true.
class UsbTransfer {
  public:
    enum class Direction { Download, Upload };

    // Failed ready tests before the control library counts as not loaded.
    static constexpr std::uint16_t kReadyPolls = 1000;
    static constexpr std::uint32_t kConnectWaitMs = 500;
    static constexpr std::uint32_t kAnswerWaitMs = 20000;
    static constexpr std::uint8_t kEnterProgramming = 253;
    static constexpr std::uint8_t kLeaveProgramming = 254;
    // How many delays a late byte may be behind its schedule and still be
    // caught up with.
    static constexpr std::uint64_t kMaxPacingDebtSteps = 8;

    // `image` is sent by a download and filled by a successful upload only.
    // `log` and `dump` are written only when options.UsbLogEnable is set.
    UsbTransfer(Direction direction, UsbLibraryCalls& library, platform::Clock& clock,
                common::Prompter& prompter, TransferView& view, const CommOptions& options,
                TransferLog& log, TransferLog& dump, settings::ConfigurationImage& image);

    // The form's activation.
    void start();
    void timerFired();
    void keyTyped(char key);

    TransferPhase phase() const { return phase_; }
    bool timerOn() const { return timerOn_; }
    std::uint32_t intervalMs() const { return intervalMs_; }
    // Counts every (re)start of the timer.
    std::uint64_t timerGeneration() const { return timerGeneration_; }
    bool finished() const { return phase_ == TransferPhase::Finished; }
    // DownloadSucceeded or UploadSucceeded.
    bool succeeded() const { return succeeded_; }

  private:
    void reset();
    void init();
    void frameOut();
    void answerIn(char key);
    void digitIn(char key);
    void afterFailedAttempt(const char* question);
    void finish(bool failed);
    void schedule(TransferPhase phase, std::uint32_t intervalMs);
    std::uint32_t initIntervalMs() const;

    bool setChannel(std::uint8_t channel);
    bool enterProgramming();
    bool leaveProgramming();
    bool sendBytes(std::span<const std::uint8_t> bytes);
    void startPacing();
    void pause(std::int32_t ms);

    Direction direction_;
    UsbLibraryCalls& library_;
    platform::Clock& clock_;
    common::Prompter& prompter_;
    TransferView& view_;
    CommOptions options_;
    TransferLog& log_;
    TransferLog& dump_;
    settings::ConfigurationImage& image_;

    TransferPhase phase_ = TransferPhase::Init;
    bool timerOn_ = false;
    std::uint32_t intervalMs_ = 1;
    std::uint64_t timerGeneration_ = 0;
    bool channelEntered_ = false;
    bool busy_ = false;  // the frame is out: "sending" or "receiving"
    std::uint16_t readyFailures_ = 0;
    std::string digits_;
    bool succeeded_ = false;
    std::uint64_t paceUs_ = 0;  // where the current chain of waits stands
};

// Runs a transfer without a window: its timer on `clock`, the reader's keys
// from `keys`. Returns succeeded().
bool RunUsbTransfer(UsbTransfer& transfer, KeySource& keys, platform::Clock& clock);

}  // namespace magtune::comm
