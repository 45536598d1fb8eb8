#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/ProvisionReader.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"
#include "settings/SettingStore.h"

namespace magtune::app {

enum class ProvisionState { Waiting, Downloading, Verifying, Downloaded, Verified, Failed };

// "waiting", "downloading", ..., as the table and the reports write it.
const char* ProvisionStateName(ProvisionState state);
bool IsFinal(ProvisionState state);

struct ProvisionResult {
    ProvisionTarget target;
    std::string device;          // the device path that was opened
    std::uint32_t baudRate = 0;  // the rate the reader answered at (serial)
    std::uint64_t durationMs = 0;
    ProvisionState state = ProvisionState::Waiting;
    std::string status;   // the transfer's last status text
    std::string message;  // why it failed, as the single transfer tells it
};

// Sets up many readers with one setting. Each reader takes the road of a
// single transfer (TransferService: the device type by interface, pack,
// download), then, unless verification is off, is read back by an upload
// and compared with what was sent, setting by setting. Every serial port has a worker thread of its
// own; USB readers share the one control server, so they take their turns on one worker. A failed
// reader never stops the others.
//
// Targets may be added while the run goes on (a reader plugged in later);
// the observer hears every change of a reader's row, one call at a time,
// from the worker threads.
class ProvisionRun {
  public:
    using Observer = std::function<void(std::size_t index, const ProvisionResult&)>;

    ProvisionRun(const settings::SettingStore& setting, ProvisionReaderFactory factory,
                 platform::Clock& clock, bool verify = true);
    // Waits for the readers under way.
    ~ProvisionRun();

    ProvisionRun(const ProvisionRun&) = delete;
    ProvisionRun& operator=(const ProvisionRun&) = delete;

    void setObserver(Observer observer);

    // Starts a reader; returns its row.
    std::size_t add(const ProvisionTarget& target);
    // Until every reader added so far has its final state.
    void wait();
    // Readers that have begun to send finish; those still looking for
    // their reader's answer give up, and those waiting for their turn fail
    // without being touched.
    void stop();
    // Rows not finished yet.
    std::size_t unfinished() const;

    std::vector<ProvisionResult> results() const;

  private:
    class RowView;
    class RowPrompter;

    void provision(std::size_t index);
    void update(std::size_t index, const std::function<void(ProvisionResult&)>& change);
    void usbWorker();
    void failUnstarted(std::size_t index);

    const settings::DeviceSettings settings_;
    const ProvisionReaderFactory factory_;
    platform::Clock& clock_;
    const bool verify_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ProvisionResult> rows_;
    std::size_t unfinished_ = 0;
    Observer observer_;
    std::mutex observerMutex_;

    std::deque<std::size_t> usbQueue_;
    bool usbWorkerRunning_ = false;
    std::atomic<bool> stopped_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace magtune::app
