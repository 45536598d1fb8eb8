#pragma once

#include <termios.h>

#include <cstdint>

#include "platform/PortSettings.h"

namespace magtune::platform {

// How a port's control block maps onto termios. Baud rates 110 to 115200
// of the standard series are supported. termios has no place for the DTR
// and RTS line modes, the DSR flow control, the limits and the special
// characters other than XON/XOFF: they are taken from the block last set.

bool SpeedCodeOf(std::uint32_t baudRate, speed_t& code);
// 0 for a speed outside the supported series.
std::uint32_t BaudRateOf(speed_t code);

// Raw bytes in both directions, receiver on, modem lines ignored.
void MakeRawTermios(termios& tio);

// The block as `tio` describes it; the fields termios cannot hold come
// from `base`. DCBlength is 28 and fBinary set, as Windows reports them.
PortSettings PortSettingsFromTermios(const termios& tio, const PortSettings& base);

// Puts the block into `tio` (in raw mode). False, with `tio` unchanged,
// for what a Windows port would refuse too: an unsupported baud rate, a
// byte size outside 5-8, an unknown parity or stop-bit value, 1.5 stop
// bits with more than 5 data bits or 2 with 5.
bool ApplyPortSettings(const PortSettings& settings, termios& tio);

}  // namespace magtune::platform
