#include "SimLoop.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "Complain.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace magtune::readersim {

namespace {

// Bytes queued in either direction beyond this are dropped, as a line would.
constexpr std::size_t kMaxPendingBytes = 64 * 1024;
// How long an exit waits for the PC side to read the last answer.
constexpr auto kDrainLimit = std::chrono::seconds(1);
constexpr auto kDrainPoll = std::chrono::milliseconds(10);

// Nothing to read now; EIO only means no slave descriptor is open, which
// the slave kept by PtyLine prevents anyway.
bool ReadFailureIsTransient(int code) {
    if (code == EAGAIN || code == EINTR || code == EIO) {
        return true;
    }
    Complain("read: " + platform::SystemMessageText(code));
    return false;
}

}  // namespace

SimLoop::SimLoop(const SimOptions& options, PtyLine& line, int signalFd, ReaderSim& reader,
                 ReaderSim::LogSink log)
    : options_(options),
      line_(line),
      signalFd_(signalFd),
      reader_(reader),
      log_(std::move(log)),
      byteTime_(std::chrono::nanoseconds(10'000'000'000LL / options.baudRate)) {}

int SimLoop::run() {
    for (;;) {
        if (draining() && drained()) {
            return 0;
        }
        pollfd fds[2] = {{line_.master(), 0, 0}, {signalFd_, POLLIN, 0}};
        const auto now = SteadyClock::now();
        if (!draining()) {
            fds[0].events |= POLLIN;
        }
        if (!pending_.empty() && (!options_.pace || now >= outDue_)) {
            fds[0].events |= POLLOUT;
        }
        const std::optional<timespec> wait = timeout(now);
        if (::ppoll(fds, 2, wait ? &*wait : nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Complain("ppoll: " + platform::SystemMessageText(errno));
            return 1;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t n = ::read(signalFd_, &info, sizeof info);
            return 0;
        }
        if (fds[0].revents & (POLLERR | POLLNVAL)) {
            Complain("the terminal failed");
            return 1;
        }
        if (!readInput(fds[0].revents & POLLIN) || !writeOutput()) {
            return 1;
        }
        if (reader_.hangupDue()) {
            line_.close();
            return 0;
        }
    }
}

void SimLoop::log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

bool SimLoop::drained() const {
    const auto now = SteadyClock::now();
    if (now - *drainStart_ >= kDrainLimit) {
        return true;
    }
    // The pty hands written bytes to the slave asynchronously: only trust an
    // empty slave queue some time after the last write.
    return pending_.empty() && now - lastWrite_ >= kDrainPoll && line_.unreadByPc() == 0;
}

// Until the next byte is due to move, the next drain check, or for ever.
std::optional<timespec> SimLoop::timeout(SteadyClock::time_point now) const {
    std::optional<SteadyClock::time_point> due;
    auto consider = [&](SteadyClock::time_point t) {
        if (!due || t < *due) {
            due = t;
        }
    };
    if (options_.pace && !inbound_.empty()) {
        consider(inDue_);
    }
    if (options_.pace && !pending_.empty()) {
        consider(outDue_);
    }
    if (draining()) {
        consider(now + kDrainPoll);
    }
    if (!due) {
        return std::nullopt;
    }
    const auto wait = std::max(std::chrono::nanoseconds(0), *due - now);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>((wait - seconds).count())};
}

// Everything the PC side wrote is read at once, stamped with the rate it was
// sent at. Without pacing it goes straight to the reader; with pacing it
// waits in inbound_ and reaches the reader one byte per byte time, as through
// the PC's transmitter, whose unsent bytes a purge of the PC's output
// discards.
bool SimLoop::readInput(bool readable) {
    if (readable && !draining()) {
        std::uint8_t packet[1 + 4096];
        const ssize_t n = ::read(line_.master(), packet, sizeof packet);
        if (n < 0 && !ReadFailureIsTransient(errno)) {
            return false;
        }
        if (n > 1 && packet[0] == TIOCPKT_DATA) {
            received(std::span(packet + 1, static_cast<std::size_t>(n - 1)));
        } else if (n == 1 && (packet[0] & TIOCPKT_FLUSHWRITE) && !inbound_.empty()) {
            log("the PC side purged its output: " + std::to_string(inbound_.size()) +
                " unsent byte(s) dropped");
            inbound_.clear();
        }
    }
    deliverPaced();
    return true;
}

void SimLoop::received(std::span<const std::uint8_t> bytes) {
    const unsigned rate = line_.lineBaud();
    if (!options_.pace) {
        feed(bytes, rate);
        return;
    }
    if (inbound_.size() + bytes.size() > kMaxPendingBytes) {
        Complain("the PC side sends faster than the line; " + std::to_string(bytes.size()) +
                 " byte(s) dropped");
        return;
    }
    if (inbound_.empty()) {
        inDue_ = std::max(SteadyClock::now(), inDue_) + byteTime_;
    }
    for (std::uint8_t byte : bytes) {
        inbound_.push_back({byte, rate});
    }
}

void SimLoop::deliverPaced() {
    const auto now = SteadyClock::now();
    while (!inbound_.empty() && now >= inDue_ && !reader_.hangupDue() && !draining()) {
        const SentByte sent = inbound_.front();
        inbound_.pop_front();
        feed(std::span(&sent.byte, 1), sent.rate);
        if (!inbound_.empty()) {
            inDue_ += byteTime_;
        }
    }
}

void SimLoop::feed(std::span<const std::uint8_t> bytes, unsigned rate) {
    const std::uint64_t acceptedBefore = reader_.acceptedImages();
    const std::vector<std::uint8_t> answer = reader_.receive(bytes, rate);
    if (!answer.empty()) {
        if (pending_.size() + answer.size() > kMaxPendingBytes) {
            Complain("the PC side reads nothing; " + std::to_string(answer.size()) +
                     " byte(s) dropped");
        } else {
            if (pending_.empty()) {
                outDue_ = std::max(SteadyClock::now(), lineFreeAt_) + byteTime_;
            }
            pending_.insert(pending_.end(), answer.begin(), answer.end());
        }
    }
    if (reader_.acceptedImages() != acceptedBefore && !options_.savePath.empty()) {
        platform::SystemError error;
        if (!platform::RealFileSystem().writeFileAtomically(options_.savePath, reader_.image(),
                                                            error)) {
            Complain("cannot save the image to " + options_.savePath + ": " +
                     platform::SystemMessageText(error.code));
        }
    }
    if (options_.exitAfterTransfers && !draining() &&
        reader_.completedTransfers() >= *options_.exitAfterTransfers) {
        drainStart_ = SteadyClock::now();
    }
}

bool SimLoop::writeOutput() {
    if (reader_.hangupDue() && options_.pace) {
        // The line is gone: what was still being paced out never arrives.
        return true;
    }
    const auto now = SteadyClock::now();
    while (!pending_.empty()) {
        if (options_.pace && now < outDue_) {
            return true;
        }
        std::uint8_t chunk[4096];
        const std::size_t count = options_.pace ? 1 : std::min(pending_.size(), sizeof chunk);
        std::copy_n(pending_.begin(), count, chunk);
        const ssize_t n = ::write(line_.master(), chunk, count);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                return true;
            }
            Complain("write: " + platform::SystemMessageText(errno));
            return false;
        }
        pending_.erase(pending_.begin(), pending_.begin() + n);
        lastWrite_ = now;
        if (options_.pace) {
            lineFreeAt_ = outDue_;
            outDue_ += byteTime_;
        }
    }
    return true;
}

}  // namespace magtune::readersim
