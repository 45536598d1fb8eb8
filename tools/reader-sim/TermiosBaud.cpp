#include "TermiosBaud.h"

#include <array>
#include <utility>

namespace magtune::readersim {

namespace {

constexpr std::array<std::pair<speed_t, unsigned>, 20> kSpeeds{{
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
}};

}  // namespace

unsigned BaudFromSpeed(speed_t speed) {
    for (const auto& [code, baud] : kSpeeds) {
        if (code == speed) {
            return baud;
        }
    }
    return 0;
}

std::optional<speed_t> SpeedFromBaud(unsigned baud) {
    for (const auto& [code, rate] : kSpeeds) {
        if (rate == baud) {
            return code;
        }
    }
    return std::nullopt;
}

unsigned LineBaud(const termios& settings) {
    const speed_t output = cfgetospeed(&settings);
    const speed_t input = cfgetispeed(&settings);
    if (input != B0 && input != output) {
        return 0;
    }
    return BaudFromSpeed(output);
}

}  // namespace magtune::readersim
