#include "PtyLine.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "TermiosBaud.h"
#include "platform/SystemError.h"

namespace magtune::readersim {

bool PtyLine::open(unsigned baudRate, std::string& error) {
    auto fail = [&](const char* call) {
        error = std::string(call) + ": " + platform::SystemMessageText(errno);
        close();
        return false;
    };
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        return fail("openpty");
    }
    devicePath_ = name;
    if (::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        return fail("fcntl");
    }
    // Packet mode tells the master when the PC side purges its output, which
    // a paced line needs to drop what the PC's transmitter had not sent.
    int packetMode = 1;
    if (::ioctl(master_, TIOCPKT, &packetMode) != 0) {
        return fail("TIOCPKT");
    }
    // Raw from the start, so nothing the PC side sends is echoed back or
    // translated before it has configured the port itself.
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0) {
        return fail("tcgetattr");
    }
    ::cfmakeraw(&settings);
    const speed_t speed = SpeedFromBaud(baudRate).value_or(B9600);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0) {
        return fail("tcsetattr");
    }
    return true;
}

void PtyLine::close() {
    if (master_ >= 0) {
        ::close(master_);
    }
    if (slave_ >= 0) {
        ::close(slave_);
    }
    master_ = slave_ = -1;
}

unsigned PtyLine::lineBaud() const {
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0) {
        return 0;
    }
    return LineBaud(settings);
}

int PtyLine::unreadByPc() const {
    int count = 0;
    if (::ioctl(slave_, FIONREAD, &count) != 0) {
        return 0;
    }
    return count;
}

}  // namespace magtune::readersim
