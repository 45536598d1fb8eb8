#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace magtune::test {

// A pseudo-terminal: the program opens `slavePath` as its serial port, the
// test plays the device on `master`.
class PtyPair {
  public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            slavePath = name;
            // The device side must see the bytes as they were sent.
            termios tio{};
            ::tcgetattr(master, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(master, TCSANOW, &tio);
            ::tcgetattr(slave, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
    }
    ~PtyPair() {
        closeMaster();
        closeSlave();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master >= 0 && slave >= 0; }

    void closeMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }
    void closeSlave() {
        if (slave >= 0) {
            ::close(slave);
            slave = -1;
        }
    }

    bool send(const std::vector<std::uint8_t>& bytes) {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // What the program wrote, gathered until `count` bytes came or a second
    // passed.
    std::vector<std::uint8_t> receive(std::size_t count) {
        std::vector<std::uint8_t> got;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            std::uint8_t buffer[1024];
            ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    // Waits (at most a second) until the program's side holds `count`
    // bytes of input, seen through the test's own slave descriptor.
    bool waitForInput(int count) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < end) {
            int queued = 0;
            if (::ioctl(slave, FIONREAD, &queued) == 0 && queued >= count) {
                return true;
            }
            ::usleep(1000);
        }
        return false;
    }

    int master = -1;
    int slave = -1;
    std::string slavePath;
};

}  // namespace magtune::test
