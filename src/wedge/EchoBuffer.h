#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace magtune::wedge {

// The captured key events: two rings of the same capacity, one for the
// virtual-key codes and one for the scan codes, with a start index, an end
// index and a count of the times the end wrapped to 0 since the last read.
// The keyboard hook fills it and the read call empties it, under one lock.
class EchoBuffer {
  public:
    explicit EchoBuffer(std::size_t capacity);

    // What a read found waiting.
    struct Pending {
        std::size_t count = 0;
        std::size_t start = 0;
        std::size_t end = 0;
    };

    std::size_t capacity() const { return keys_.size(); }

    // False when the ring is full; the event is then dropped.
    bool store(std::uint8_t virtualKey, std::uint8_t scanCode);
    Pending pending() const;
    // Copies the entries of `pending` in arrival order.
    void copy(const Pending& pending, std::vector<std::uint8_t>& keys,
              std::vector<std::uint8_t>& scans) const;
    // Forgets the entries of `pending`; events stored since stay.
    void consume(const Pending& pending);
    // Zeroes both rings, the indexes and the wrap counter.
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> keys_;
    std::vector<std::uint8_t> scans_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    std::size_t wraps_ = 0;
};

}  // namespace magtune::wedge
