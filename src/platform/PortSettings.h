#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace magtune::platform {

// The serial port's device control block in the Windows DCB layout. It is
// remembered in the preferences as these 28 bytes, so the same block must
// mean the same port set-up on every system: the byte form is written out
// field by field in little-endian order, never copied from memory.
//
// Byte offsets: 0 DCBlength, 4 BaudRate, 8 flags, 12 wReserved, 14 XonLim,
// 16 XoffLim, 18 ByteSize, 19 Parity, 20 StopBits, 21 XonChar, 22 XoffChar,
// 23 ErrorChar, 24 EofChar, 25 EvtChar, 26 wReserved1.
struct PortSettings {
    static constexpr std::size_t kByteSize = 28;

    // Parity values.
    static constexpr std::uint8_t kNoParity = 0;
    static constexpr std::uint8_t kOddParity = 1;
    static constexpr std::uint8_t kEvenParity = 2;
    static constexpr std::uint8_t kMarkParity = 3;
    static constexpr std::uint8_t kSpaceParity = 4;
    // StopBits values.
    static constexpr std::uint8_t kOneStopBit = 0;
    static constexpr std::uint8_t kOne5StopBits = 1;
    static constexpr std::uint8_t kTwoStopBits = 2;
    // fDtrControl values.
    static constexpr std::uint8_t kDtrControlDisable = 0;
    static constexpr std::uint8_t kDtrControlEnable = 1;
    static constexpr std::uint8_t kDtrControlHandshake = 2;
    // fRtsControl values.
    static constexpr std::uint8_t kRtsControlDisable = 0;
    static constexpr std::uint8_t kRtsControlEnable = 1;
    static constexpr std::uint8_t kRtsControlHandshake = 2;
    static constexpr std::uint8_t kRtsControlToggle = 3;

    std::uint32_t DCBlength = 0;  // 0: never filled (see OpenSerialPort)
    std::uint32_t BaudRate = 0;
    std::uint32_t flags = 0;  // the DCB bit fields, see the accessors below
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    std::array<std::uint8_t, kByteSize> toBytes() const;
    // Reads the first 28 bytes; a shorter span leaves the missing fields 0.
    static PortSettings fromBytes(std::span<const std::uint8_t> bytes);

    // The bit fields of the flags word, named as in the DCB. Bit positions:
    // fBinary 0, fParity 1, fOutxCtsFlow 2, fOutxDsrFlow 3, fDtrControl 4-5,
    // fDsrSensitivity 6, fTXContinueOnXoff 7, fOutX 8, fInX 9, fErrorChar 10,
    // fNull 11, fRtsControl 12-13, fAbortOnError 14, the rest unused.
    bool fBinary() const { return bits(0, 1) != 0; }
    bool fParity() const { return bits(1, 1) != 0; }
    bool fOutxCtsFlow() const { return bits(2, 1) != 0; }
    bool fOutxDsrFlow() const { return bits(3, 1) != 0; }
    std::uint8_t fDtrControl() const { return static_cast<std::uint8_t>(bits(4, 2)); }
    bool fDsrSensitivity() const { return bits(6, 1) != 0; }
    bool fTXContinueOnXoff() const { return bits(7, 1) != 0; }
    bool fOutX() const { return bits(8, 1) != 0; }
    bool fInX() const { return bits(9, 1) != 0; }
    bool fErrorChar() const { return bits(10, 1) != 0; }
    bool fNull() const { return bits(11, 1) != 0; }
    std::uint8_t fRtsControl() const { return static_cast<std::uint8_t>(bits(12, 2)); }
    bool fAbortOnError() const { return bits(14, 1) != 0; }

    void setFBinary(bool on) { setBits(0, 1, on); }
    void setFParity(bool on) { setBits(1, 1, on); }
    void setFOutxCtsFlow(bool on) { setBits(2, 1, on); }
    void setFOutxDsrFlow(bool on) { setBits(3, 1, on); }
    void setFDtrControl(std::uint8_t value) { setBits(4, 2, value); }
    void setFDsrSensitivity(bool on) { setBits(6, 1, on); }
    void setFTXContinueOnXoff(bool on) { setBits(7, 1, on); }
    void setFOutX(bool on) { setBits(8, 1, on); }
    void setFInX(bool on) { setBits(9, 1, on); }
    void setFErrorChar(bool on) { setBits(10, 1, on); }
    void setFNull(bool on) { setBits(11, 1, on); }
    void setFRtsControl(std::uint8_t value) { setBits(12, 2, value); }
    void setFAbortOnError(bool on) { setBits(14, 1, on); }

    friend bool operator==(const PortSettings&, const PortSettings&) = default;

  private:
    std::uint32_t bits(unsigned first, unsigned count) const {
        return (flags >> first) & ((1u << count) - 1u);
    }
    void setBits(unsigned first, unsigned count, std::uint32_t value) {
        std::uint32_t mask = ((1u << count) - 1u) << first;
        flags = (flags & ~mask) | ((value << first) & mask);
    }
};

}  // namespace magtune::platform
