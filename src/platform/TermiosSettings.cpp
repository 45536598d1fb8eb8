#include "platform/TermiosSettings.h"

namespace magtune::platform {
namespace {

struct BaudEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr BaudEntry kBaudRates[] = {
    {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

}  // namespace

bool SpeedCodeOf(std::uint32_t baudRate, speed_t& code) {
    for (const auto& entry : kBaudRates) {
        if (entry.rate == baudRate) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

std::uint32_t BaudRateOf(speed_t code) {
    for (const auto& entry : kBaudRates) {
        if (entry.code == code) {
            return entry.rate;
        }
    }
    return 0;
}

void MakeRawTermios(termios& tio) {
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    // With O_NONBLOCK, VMIN 1 makes "no data" EAGAIN, so that a read of 0
    // bytes can only mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

PortSettings PortSettingsFromTermios(const termios& tio, const PortSettings& base) {
    PortSettings s = base;
    s.DCBlength = PortSettings::kByteSize;
    s.BaudRate = BaudRateOf(cfgetospeed(&tio));
    s.setFBinary(true);
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            s.ByteSize = 5;
            break;
        case CS6:
            s.ByteSize = 6;
            break;
        case CS7:
            s.ByteSize = 7;
            break;
        default:
            s.ByteSize = 8;
            break;
    }
    if ((tio.c_cflag & PARENB) == 0) {
        s.Parity = PortSettings::kNoParity;
    } else if (tio.c_cflag & CMSPAR) {
        s.Parity = (tio.c_cflag & PARODD) ? PortSettings::kMarkParity : PortSettings::kSpaceParity;
    } else {
        s.Parity = (tio.c_cflag & PARODD) ? PortSettings::kOddParity : PortSettings::kEvenParity;
    }
    s.setFParity((tio.c_iflag & INPCK) != 0);
    if (tio.c_cflag & CSTOPB) {
        s.StopBits = s.ByteSize == 5 ? PortSettings::kOne5StopBits : PortSettings::kTwoStopBits;
    } else {
        s.StopBits = PortSettings::kOneStopBit;
    }
    bool handshake = (tio.c_cflag & CRTSCTS) != 0;
    s.setFOutxCtsFlow(handshake);
    if (handshake) {
        s.setFRtsControl(PortSettings::kRtsControlHandshake);
    } else if (s.fRtsControl() == PortSettings::kRtsControlHandshake) {
        s.setFRtsControl(PortSettings::kRtsControlEnable);
    }
    s.setFOutX((tio.c_iflag & IXON) != 0);
    s.setFInX((tio.c_iflag & IXOFF) != 0);
    s.XonChar = tio.c_cc[VSTART];
    s.XoffChar = tio.c_cc[VSTOP];
    return s;
}

bool ApplyPortSettings(const PortSettings& settings, termios& tio) {
    speed_t speed = B0;
    if (!SpeedCodeOf(settings.BaudRate, speed)) {
        return false;
    }
    tcflag_t size = 0;
    switch (settings.ByteSize) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return false;
    }
    // One and a half stop bits exist only with 5 data bits, two only
    // with more, as on Windows; the UART gives 1.5 for CSTOPB with CS5.
    bool twoStops = false;
    switch (settings.StopBits) {
        case PortSettings::kOneStopBit:
            break;
        case PortSettings::kOne5StopBits:
            if (settings.ByteSize != 5) {
                return false;
            }
            twoStops = true;
            break;
        case PortSettings::kTwoStopBits:
            if (settings.ByteSize == 5) {
                return false;
            }
            twoStops = true;
            break;
        default:
            return false;
    }
    tcflag_t parity = 0;
    switch (settings.Parity) {
        case PortSettings::kNoParity:
            break;
        case PortSettings::kOddParity:
            parity = PARENB | PARODD;
            break;
        case PortSettings::kEvenParity:
            parity = PARENB;
            break;
        case PortSettings::kMarkParity:
            parity = PARENB | PARODD | CMSPAR;
            break;
        case PortSettings::kSpaceParity:
            parity = PARENB | CMSPAR;
            break;
        default:
            return false;
    }

    MakeRawTermios(tio);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= size | parity;
    if (twoStops) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.fOutxCtsFlow() || settings.fRtsControl() == PortSettings::kRtsControlHandshake) {
        tio.c_cflag |= CRTSCTS;
    }
    tio.c_iflag &= ~(INPCK | IXON | IXOFF);
    if (settings.fParity()) {
        tio.c_iflag |= INPCK;
    }
    if (settings.fOutX()) {
        tio.c_iflag |= IXON;
    }
    if (settings.fInX()) {
        tio.c_iflag |= IXOFF;
    }
    tio.c_cc[VSTART] = settings.XonChar;
    tio.c_cc[VSTOP] = settings.XoffChar;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return true;
}

}  // namespace magtune::platform
