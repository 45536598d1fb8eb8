#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

#include "platform/ComPorts.h"
#include "platform/TermiosSettings.h"

namespace magtune::platform {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

SteadyTime Now() {
    return std::chrono::steady_clock::now();
}

// Milliseconds left until `deadline` for poll(), rounded up so that a wait
// never ends a hair before its time.
int MsUntil(SteadyTime deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Now()).count();
    if (left <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<long long>(left, 1000 * 1000));
}

SteadyTime After(std::uint64_t ms) {
    return Now() + std::chrono::milliseconds(ms);
}

// The block the port reports before anything was set: what Windows reports
// for a freshly opened port in the fields termios has no place for.
PortSettings InitialSettings() {
    PortSettings s;
    s.DCBlength = PortSettings::kByteSize;
    s.setFBinary(true);
    s.setFDtrControl(PortSettings::kDtrControlEnable);
    s.setFRtsControl(PortSettings::kRtsControlEnable);
    s.XonLim = 2048;
    s.XoffLim = 512;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;
    return s;
}

class PosixSerialPort : public SerialPort {
  public:
    // `original`: the terminal's settings before this program opened it,
    // given back at close.
    PosixSerialPort(int fd, std::string path, std::uint32_t baudRate, const termios& original)
        : fd_(fd), path_(std::move(path)), baudRate_(baudRate), original_(original) {}
    ~PosixSerialPort() override { close(); }

    bool getState(PortSettings& settings, SystemError& error) override {
        termios tio{};
        if (!readTermios(tio, "GetCommState", error)) {
            return false;
        }
        settings = PortSettingsFromTermios(tio, lastSet_);
        return true;
    }

    bool setState(const PortSettings& settings, SystemError& error) override {
        termios tio{};
        if (!readTermios(tio, "SetCommState", error)) {
            return false;
        }
        if (!ApplyPortSettings(settings, tio)) {
            error = {"SetCommState", EINVAL};
            return false;
        }
        // TCSANOW: a change must not wait for output held up by flow control.
        if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
            error = {"SetCommState", errno};
            return false;
        }
        // tcsetattr succeeds when any part of the change was made. Framing a
        // device has no use for (a pseudo-terminal knows only 8 bits without
        // parity) is no failure; a baud rate it did not take is.
        termios check{};
        if (::tcgetattr(fd_, &check) != 0) {
            error = {"SetCommState", errno};
            return false;
        }
        if (cfgetospeed(&check) != cfgetospeed(&tio)) {
            error = {"SetCommState", EINVAL};
            return false;
        }
        setModemLines(settings, (tio.c_cflag & CRTSCTS) != 0);
        lastSet_ = settings;
        lastSet_.DCBlength = PortSettings::kByteSize;
        baudRate_ = settings.BaudRate;
        return true;
    }

    bool setTimeouts(const CommTimeouts& timeouts, SystemError& error) override {
        if (fd_ < 0) {
            error = {"SetCommTimeouts", EBADF};
            return false;
        }
        timeouts_ = timeouts;
        return true;
    }

    bool purge(SystemError& error) override {
        if (fd_ < 0) {
            error = {"PurgeComm", EBADF};
            return false;
        }
        if (::tcflush(fd_, TCIOFLUSH) != 0) {
            error = {"PurgeComm", errno};
            return false;
        }
        return true;
    }

    bool read(std::span<std::uint8_t> buffer, std::size_t& received, SystemError& error) override {
        received = 0;
        if (fd_ < 0) {
            error = {"ReadFile", EBADF};
            return false;
        }
        if (buffer.empty()) {
            return true;
        }
        const CommTimeouts& t = timeouts_;
        bool returnAtOnce = t.readIntervalTimeout == kMaxDword &&
                            t.readTotalTimeoutMultiplier == 0 && t.readTotalTimeoutConstant == 0;
        bool waitForFirst =
            t.readIntervalTimeout == kMaxDword && t.readTotalTimeoutMultiplier == kMaxDword &&
            t.readTotalTimeoutConstant != 0 && t.readTotalTimeoutConstant != kMaxDword;

        std::optional<SteadyTime> total;
        std::uint64_t interval = 0;
        if (waitForFirst) {
            total = After(t.readTotalTimeoutConstant);
        } else if (!returnAtOnce) {
            std::uint64_t totalMs = std::uint64_t{t.readTotalTimeoutMultiplier} * buffer.size() +
                                    t.readTotalTimeoutConstant;
            if (totalMs != 0) {
                total = After(totalMs);
            }
            interval = t.readIntervalTimeout;
        }
        SteadyTime lastByte{};
        bool hangUpSeen = false;
        for (;;) {
            std::size_t before = received;
            ReadStatus status = readAvailable(buffer, received, error);
            if (status == ReadStatus::Failed) {
                return false;
            }
            if (received > before) {
                lastByte = Now();
            } else if (hangUpSeen) {
                // poll() keeps reporting a hang-up: waiting again would spin.
                status = ReadStatus::HungUp;
            }
            if (status == ReadStatus::HungUp) {
                // The bytes that came before the hang-up are delivered; the
                // next read reports the failure.
                if (received > 0) {
                    return true;
                }
                error = {"ReadFile", EIO};
                return false;
            }
            if (received == buffer.size() || returnAtOnce || (waitForFirst && received > 0)) {
                return true;
            }
            std::optional<SteadyTime> deadline = total;
            if (received > 0 && interval != 0) {
                SteadyTime gap = lastByte + std::chrono::milliseconds(interval);
                deadline = deadline ? std::min(*deadline, gap) : gap;
            }
            int waitMs = deadline ? MsUntil(*deadline) : -1;
            if (waitMs == 0) {
                return true;
            }
            pollfd p{fd_, POLLIN, 0};
            int ready = ::poll(&p, 1, waitMs);
            if (ready < 0 && errno != EINTR) {
                error = {"ReadFile", errno};
                return false;
            }
            if (ready > 0 && (p.revents & POLLNVAL)) {
                error = {"ReadFile", EBADF};
                return false;
            }
            hangUpSeen = ready > 0 && (p.revents & (POLLHUP | POLLERR)) != 0;
            // A time-out still takes a byte that came in the last instant:
            // the loop reads once more and then finds the deadline passed.
        }
    }

    bool write(std::span<const std::uint8_t> data, std::size_t& written,
               SystemError& error) override {
        written = 0;
        if (fd_ < 0) {
            error = {"WriteFile", EBADF};
            return false;
        }
        SteadyTime deadline = After(writeLimitMs(data.size()));
        while (written < data.size()) {
            ssize_t n = ::write(fd_, data.data() + written, data.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN) {
                error = {"WriteFile", errno};
                return false;
            }
            pollfd p{fd_, POLLOUT, 0};
            int waitMs = MsUntil(deadline);
            if (waitMs == 0) {
                error = {"WriteFile", ETIMEDOUT};
                return false;
            }
            int ready = ::poll(&p, 1, waitMs);
            if (ready < 0 && errno != EINTR) {
                error = {"WriteFile", errno};
                return false;
            }
            if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
                !(p.revents & POLLOUT)) {
                error = {"WriteFile", (p.revents & POLLNVAL) ? EBADF : EIO};
                return false;
            }
        }
        return waitUntilSent(deadline, error);
    }

    void close() override {
        if (fd_ >= 0) {
            // The exclusive mode belongs to the terminal, not to this
            // descriptor: left set, it would refuse the next open of the port
            // by anyone but root while another party (a pseudo-terminal's
            // master) keeps the terminal alive. The settings go back too:
            // the next program finds the port as this one found it.
            ::tcsetattr(fd_, TCSANOW, &original_);
            ::ioctl(fd_, TIOCNXCL);
            ::close(fd_);
            fd_ = -1;
        }
    }

    std::string devicePath() const override { return path_; }

  private:
    enum class ReadStatus { Ok, HungUp, Failed };

    bool readTermios(termios& tio, const char* function, SystemError& error) {
        if (fd_ < 0) {
            error = {function, EBADF};
            return false;
        }
        if (::tcgetattr(fd_, &tio) != 0) {
            error = {function, errno};
            return false;
        }
        return true;
    }

    void setModemLines(const PortSettings& s, bool rtsHandshake) {
        // Not every device has modem lines (a pseudo-terminal has none).
        int dtr = TIOCM_DTR;
        if (s.fDtrControl() == PortSettings::kDtrControlDisable) {
            ::ioctl(fd_, TIOCMBIC, &dtr);
        } else {
            ::ioctl(fd_, TIOCMBIS, &dtr);
        }
        if (rtsHandshake) {
            return;
        }
        int rts = TIOCM_RTS;
        if (s.fRtsControl() == PortSettings::kRtsControlDisable) {
            ::ioctl(fd_, TIOCMBIC, &rts);
        } else {
            ::ioctl(fd_, TIOCMBIS, &rts);
        }
    }

    // Takes what is waiting, up to the room left in the buffer.
    ReadStatus readAvailable(std::span<std::uint8_t> buffer, std::size_t& received,
                             SystemError& error) {
        while (received < buffer.size()) {
            ssize_t n = ::read(fd_, buffer.data() + received, buffer.size() - received);
            if (n > 0) {
                received += static_cast<std::size_t>(n);
                continue;
            }
            if (n == 0) {
                return ReadStatus::HungUp;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                return ReadStatus::Ok;
            }
            if (errno == EIO) {
                // A pseudo-terminal whose other side closed, or a device
                // that went away.
                return ReadStatus::HungUp;
            }
            error = {"ReadFile", errno};
            return ReadStatus::Failed;
        }
        return ReadStatus::Ok;
    }

    std::uint64_t writeLimitMs(std::size_t count) const {
        std::uint64_t ms = std::uint64_t{timeouts_.writeTotalTimeoutMultiplier} * count +
                           timeouts_.writeTotalTimeoutConstant;
        if (ms != 0) {
            return ms;
        }
        std::uint64_t baud = baudRate_ ? baudRate_ : 9600;
        // Up to 12 bits a character, twice over, and a second for the device.
        return (count * 12 * 1000 * 2) / baud + 1000;
    }

    // A write on Windows returns when the bytes have gone out; the read
    // time-out that follows is counted from there, so the reader's answer
    // must not be waited for while the frame is still in the output queue.
    bool waitUntilSent(SteadyTime deadline, SystemError& error) {
        for (;;) {
            int queued = 0;
            if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) {
                return true;
            }
            int waitMs = MsUntil(deadline);
            if (waitMs == 0) {
                error = {"WriteFile", ETIMEDOUT};
                return false;
            }
            std::uint64_t baud = baudRate_ ? baudRate_ : 9600;
            std::uint64_t needMs = static_cast<std::uint64_t>(queued) * 10 * 1000 / baud + 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::min<std::uint64_t>({needMs, 20, std::uint64_t(waitMs)})));
        }
    }

    int fd_ = -1;
    std::string path_;
    std::uint32_t baudRate_ = 0;
    termios original_{};
    CommTimeouts timeouts_{};
    PortSettings lastSet_ = InitialSettings();
};

}  // namespace

std::unique_ptr<SerialPort> OpenSerialDevice(const std::string& path, SystemError& error) {
    // Non-blocking so that a modem-control port without carrier opens at
    // once; it stays non-blocking, the reads and writes wait in poll().
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = {"CreateFile", errno};
        return nullptr;
    }
    auto fail = [&](int code) -> std::unique_ptr<SerialPort> {
        ::close(fd);
        error = {"CreateFile", code};
        return nullptr;
    };
    if (!::isatty(fd)) {
        return fail(ENOTTY);
    }
    // Not shared, as a COM port on Windows: the advisory lock keeps out other
    // programs that honour it, TIOCEXCL every later open() by anyone but root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    }
    termios original{};
    if (::tcgetattr(fd, &original) != 0) {
        return fail(errno);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        return fail(errno);
    }
    termios tio = original;
    MakeRawTermios(tio);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        // Not left exclusive: that would refuse every later open.
        const int code = errno;
        ::ioctl(fd, TIOCNXCL);
        return fail(code);
    }
    return std::make_unique<PosixSerialPort>(fd, path, BaudRateOf(cfgetospeed(&tio)), original);
}

}  // namespace magtune::platform
