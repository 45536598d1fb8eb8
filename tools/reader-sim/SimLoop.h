#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

#include <time.h>

#include "PtyLine.h"
#include "ReaderSim.h"
#include "SimOptions.h"

namespace magtune::readersim {

// The simulator's main loop: moves bytes between the terminal and the
// reader, at the line's real speed with --pace, and ends on a signal, a
// hang-up or the last transfer asked for.
class SimLoop {
  public:
    SimLoop(const SimOptions& options, PtyLine& line, int signalFd, ReaderSim& reader,
            ReaderSim::LogSink log);

    // Returns the exit status.
    int run();

  private:
    using SteadyClock = std::chrono::steady_clock;
    struct SentByte {
        std::uint8_t byte;
        unsigned rate;
    };

    void log(const std::string& text) const;
    bool draining() const { return drainStart_.has_value(); }
    bool drained() const;
    std::optional<timespec> timeout(SteadyClock::time_point now) const;
    bool readInput(bool readable);
    void received(std::span<const std::uint8_t> bytes);
    void deliverPaced();
    void feed(std::span<const std::uint8_t> bytes, unsigned rate);
    bool writeOutput();

    const SimOptions& options_;
    PtyLine& line_;
    int signalFd_;
    ReaderSim& reader_;
    ReaderSim::LogSink log_;
    const std::chrono::nanoseconds byteTime_;

    // The reader's answers not yet written (with --pace: not yet sent).
    std::deque<std::uint8_t> pending_;
    // With --pace: what the PC side wrote that has not fully arrived yet.
    std::deque<SentByte> inbound_;
    SteadyClock::time_point inDue_{};   // when the first inbound byte has arrived
    SteadyClock::time_point outDue_{};  // when the first pending byte has been sent
    SteadyClock::time_point lineFreeAt_{};
    SteadyClock::time_point lastWrite_{};
    std::optional<SteadyClock::time_point> drainStart_;
};

}  // namespace magtune::readersim
