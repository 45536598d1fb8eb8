#pragma once

#include <cerrno>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "comm/TransferView.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SerialPort.h"
#include "support/MemoryFileSystem.h"

namespace magtune::test {

// A serial port whose other end is scripted: `reader` sees every write and
// may queue bytes for the reads; failures are injected per call.
class FakeSerialPort {
  public:
    std::deque<std::uint8_t> input;
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<platform::PortSettings> appliedStates;
    std::vector<platform::CommTimeouts> appliedTimeouts;
    std::vector<std::size_t> readSizes;
    platform::PortSettings systemState;  // what getState reports
    int getStateCalls = 0;
    int purges = 0;
    bool closed = false;

    std::function<void(FakeSerialPort&, std::span<const std::uint8_t>)> reader;
    std::function<void()> onRead;  // e.g. lets a fake clock run

    // Calls that fail (counted from 1), with the error number they give.
    int failReadAt = 0;
    int failWriteAt = 0;
    bool failGetState = false;
    bool failSetState = false;
    bool failSetTimeouts = false;
    bool failPurge = false;
    int errorCode = EIO;
    // The other side hangs up once `input` has been read to its end.
    bool hangUpWhenDrained = false;
    bool hungUp = false;
    // Bytes one write takes at most (0: all).
    std::size_t writeChunk = 0;

    bool getState(platform::PortSettings& settings, platform::SystemError& error) {
        ++getStateCalls;
        if (failGetState) {
            return fail(error);
        }
        settings = systemState;
        return true;
    }
    bool setState(const platform::PortSettings& settings, platform::SystemError& error) {
        if (failSetState) {
            return fail(error);
        }
        appliedStates.push_back(settings);
        return true;
    }
    bool setTimeouts(const platform::CommTimeouts& timeouts, platform::SystemError& error) {
        if (failSetTimeouts) {
            return fail(error);
        }
        appliedTimeouts.push_back(timeouts);
        return true;
    }
    bool purge(platform::SystemError& error) {
        if (failPurge || hungUp) {
            return fail(error);
        }
        ++purges;
        input.clear();
        return true;
    }
    bool read(std::span<std::uint8_t> buffer, std::size_t& received, platform::SystemError& error) {
        readSizes.push_back(buffer.size());
        if (onRead) {
            onRead();
        }
        received = 0;
        if (failReadAt != 0 && static_cast<int>(readSizes.size()) == failReadAt) {
            return fail(error);
        }
        if (hungUp) {
            error.code = EIO;
            return false;
        }
        while (received < buffer.size() && !input.empty()) {
            buffer[received++] = input.front();
            input.pop_front();
        }
        // As a terminal whose other side closed: the bytes before the
        // hang-up still arrive, every later call fails.
        hungUp = hangUpWhenDrained && input.empty();
        return true;
    }
    bool write(std::span<const std::uint8_t> data, std::size_t& written,
               platform::SystemError& error) {
        ++writeCalls;
        written = 0;
        if (failWriteAt != 0 && writeCalls == failWriteAt) {
            return fail(error);
        }
        written = writeChunk == 0 ? data.size() : std::min(writeChunk, data.size());
        const auto part = data.first(written);
        writes.emplace_back(part.begin(), part.end());
        pending_.insert(pending_.end(), part.begin(), part.end());
        // The reader sees whole frames, however the transfer cut them into
        // writes: STX starts a frame of 5 bytes, STX ESC "W" one of 517.
        for (;;) {
            std::size_t size = pending_.size();
            if (!pending_.empty() && pending_[0] == 0x02) {
                const bool image =
                    pending_.size() >= 3 && pending_[1] == 0x1B && pending_[2] == 'W';
                size = pending_.size() < 3 ? 0 : image ? 517 : 5;
            }
            if (size == 0 || size > pending_.size()) {
                break;
            }
            std::vector<std::uint8_t> frame(pending_.begin(), pending_.begin() + size);
            pending_.erase(pending_.begin(), pending_.begin() + size);
            frames.push_back(frame);
            if (reader) {
                reader(*this, frame);
            }
        }
        return true;
    }
    // What the reader saw: whole frames in the order written.
    std::vector<std::vector<std::uint8_t>> frames;

    int writeCalls = 0;

  private:
    std::vector<std::uint8_t> pending_;

    bool fail(platform::SystemError& error) {
        error.code = errorCode;
        return false;
    }
};

// What the session owns: forwards to a FakeSerialPort that the test keeps,
// so the test can look at it after the session closed the port.
class PortHandle : public platform::SerialPort {
  public:
    explicit PortHandle(FakeSerialPort& port) : port_(port) {}
    bool getState(platform::PortSettings& s, platform::SystemError& e) override {
        return port_.getState(s, e);
    }
    bool setState(const platform::PortSettings& s, platform::SystemError& e) override {
        return port_.setState(s, e);
    }
    bool setTimeouts(const platform::CommTimeouts& t, platform::SystemError& e) override {
        return port_.setTimeouts(t, e);
    }
    bool purge(platform::SystemError& e) override { return port_.purge(e); }
    bool read(std::span<std::uint8_t> b, std::size_t& n, platform::SystemError& e) override {
        return port_.read(b, n, e);
    }
    bool write(std::span<const std::uint8_t> d, std::size_t& n, platform::SystemError& e) override {
        return port_.write(d, n, e);
    }
    void close() override { port_.closed = true; }
    std::string devicePath() const override { return "/dev/fake"; }

  private:
    FakeSerialPort& port_;
};

class FakeClock : public platform::Clock {
  public:
    std::uint64_t now = 0;
    std::uint64_t nowMs() override { return now; }
    void sleepMs(std::uint32_t ms) override { now += ms; }
};

// Records what a transfer shows, one entry per call.
class RecordingView : public comm::TransferView {
  public:
    std::vector<std::string> events;
    void setStatus(const std::string& text) override { events.push_back("status " + text); }
    void setProgress(int percent) override {
        events.push_back("progress " + std::to_string(percent));
    }
    void setBusy(bool busy) override { events.push_back(busy ? "busy on" : "busy off"); }
};

}  // namespace magtune::test
