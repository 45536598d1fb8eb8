#include "platform/PortSettings.h"

namespace magtune::platform {
namespace {

class ByteWriter {
  public:
    explicit ByteWriter(std::array<std::uint8_t, PortSettings::kByteSize>& out) : out_(out) {}
    void put(std::uint32_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            out_[pos_++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }

  private:
    std::array<std::uint8_t, PortSettings::kByteSize>& out_;
    std::size_t pos_ = 0;
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> in) : in_(in) {}
    std::uint32_t get(std::size_t width) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i, ++pos_) {
            if (pos_ < in_.size()) {
                value |= static_cast<std::uint32_t>(in_[pos_]) << (8 * i);
            }
        }
        return value;
    }

  private:
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

}  // namespace

std::array<std::uint8_t, PortSettings::kByteSize> PortSettings::toBytes() const {
    std::array<std::uint8_t, kByteSize> bytes{};
    ByteWriter w(bytes);
    w.put(DCBlength, 4);
    w.put(BaudRate, 4);
    w.put(flags, 4);
    w.put(wReserved, 2);
    w.put(XonLim, 2);
    w.put(XoffLim, 2);
    w.put(ByteSize, 1);
    w.put(Parity, 1);
    w.put(StopBits, 1);
    w.put(XonChar, 1);
    w.put(XoffChar, 1);
    w.put(ErrorChar, 1);
    w.put(EofChar, 1);
    w.put(EvtChar, 1);
    w.put(wReserved1, 2);
    return bytes;
}

PortSettings PortSettings::fromBytes(std::span<const std::uint8_t> bytes) {
    ByteReader r(bytes);
    PortSettings s;
    s.DCBlength = r.get(4);
    s.BaudRate = r.get(4);
    s.flags = r.get(4);
    s.wReserved = static_cast<std::uint16_t>(r.get(2));
    s.XonLim = static_cast<std::uint16_t>(r.get(2));
    s.XoffLim = static_cast<std::uint16_t>(r.get(2));
    s.ByteSize = static_cast<std::uint8_t>(r.get(1));
    s.Parity = static_cast<std::uint8_t>(r.get(1));
    s.StopBits = static_cast<std::uint8_t>(r.get(1));
    s.XonChar = static_cast<std::uint8_t>(r.get(1));
    s.XoffChar = static_cast<std::uint8_t>(r.get(1));
    s.ErrorChar = static_cast<std::uint8_t>(r.get(1));
    s.EofChar = static_cast<std::uint8_t>(r.get(1));
    s.EvtChar = static_cast<std::uint8_t>(r.get(1));
    s.wReserved1 = static_cast<std::uint16_t>(r.get(2));
    return s;
}

static_assert(std::tuple_size_v<decltype(PortSettings{}.toBytes())> == 28,
              "the stored control block is 28 bytes");

}  // namespace magtune::platform
