#pragma once

#include <termios.h>

#include <optional>

namespace magtune::readersim {

// The rate a termios speed code stands for; 0 for B0 and unknown codes.
unsigned BaudFromSpeed(speed_t speed);
// The termios speed code of a rate; nullopt when termios has none for it.
std::optional<speed_t> SpeedFromBaud(unsigned baud);

// The rate at which the other side of the line talks and listens: its output
// rate, provided its input rate is the same or follows the output rate
// (input speed 0). A split rate gives 0, which no reader answers.
unsigned LineBaud(const termios& settings);

}  // namespace magtune::readersim
