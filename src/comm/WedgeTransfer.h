#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "comm/TransferPhase.h"
#include "comm/TransferView.h"
#include "comm/WedgeLibraryCalls.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// The wedge download and upload forms (frmDnld, frmUpld) as a machine driven
// by their one timer: the form starts it, calls timerFired() whenever its
// timer fires, follows timerOn() and intervalMs(), and closes when
// finished() turns true.
class WedgeTransfer {
  public:
    enum class Direction { Download, Upload };

    // Polls of the connect phase before the wake bytes go again, and how
    // often they go before the transfer gives up.
    static constexpr int kConnectPolls = 40;
    static constexpr int kWakeSendings = 20;
    // Polls without an answer before the time-out question.
    static constexpr int kAnswerPolls = 40;
    static constexpr std::uint32_t kConnectIntervalMs = 20;
    static constexpr std::uint32_t kTransferIntervalMs = 200;
    static constexpr std::int32_t kEchoBufferSize = 2000;
    static constexpr std::int32_t kSendDelay = 1;

    // `image` is sent by a download and filled by a successful upload only.
    WedgeTransfer(Direction direction, WedgeLibraryCalls& library, platform::Clock& clock,
                  common::Prompter& prompter, TransferView& view, std::int32_t protocolDelayMs,
                  settings::ConfigurationImage& image);

    // The form's activation: phase "Init" after 1 ms.
    void start();
    void timerFired();

    TransferPhase phase() const { return phase_; }
    bool timerOn() const { return timerOn_; }
    std::uint32_t intervalMs() const { return intervalMs_; }
    bool finished() const { return phase_ == TransferPhase::Finished; }
    // DownloadSucceeded or UploadSucceeded.
    bool succeeded() const { return succeeded_; }

  private:
    void init();
    void connect();
    void awaitDownloadAnswer();
    void receiveUpload();
    void decodeUpload();
    void restart();
    void finish(bool failed);
    void schedule(TransferPhase phase, std::uint32_t intervalMs);

    // One library call: on failure the call's name and the library's text
    // are shown, and false comes back.
    bool call(std::int32_t result, const char* name);
    bool send(std::span<const std::uint8_t> bytes);
    bool sendWake();
    // Appends what arrived since the last read; false when nothing did.
    bool readEcho();
    void resetEcho();
    // The retry question after a failed attempt: restart or finish.
    void askRetry(const char* question);

    Direction direction_;
    WedgeLibraryCalls& library_;
    platform::Clock& clock_;
    common::Prompter& prompter_;
    TransferView& view_;
    std::int32_t protocolDelayMs_;
    settings::ConfigurationImage& image_;

    TransferPhase phase_ = TransferPhase::Init;
    bool timerOn_ = false;
    std::uint32_t intervalMs_ = 1;
    bool driverLoaded_ = false;
    bool echoEnabled_ = false;
    bool succeeded_ = false;

    // EchoState: the scan codes in arrival order and the two counters.
    std::vector<std::uint8_t> echo_;
    bool connected_ = false;
    std::uint16_t ticks_ = 0;
    std::uint16_t wakes_ = 0;

    std::array<char, 2048> keys_{};
    std::array<char, 2048> scans_{};
    std::array<char, 1024> errorText_{};
};

}  // namespace magtune::comm
