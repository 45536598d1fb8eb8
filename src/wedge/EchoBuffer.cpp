#include "wedge/EchoBuffer.h"

#include <algorithm>

namespace magtune::wedge {

EchoBuffer::EchoBuffer(std::size_t capacity)
    : keys_(std::max<std::size_t>(capacity, 1)), scans_(keys_.size()) {}

bool EchoBuffer::store(std::uint8_t virtualKey, std::uint8_t scanCode) {
    std::lock_guard lock(mutex_);
    if (wraps_ > 0 && end_ >= start_) {
        return false;
    }
    keys_[end_] = virtualKey;
    scans_[end_] = scanCode;
    if (++end_ == keys_.size()) {
        end_ = 0;
        ++wraps_;
    }
    return true;
}

EchoBuffer::Pending EchoBuffer::pending() const {
    std::lock_guard lock(mutex_);
    // With the wrap counter a full ring (end back at start) counts as full
    // rather than as empty, so its events are read instead of lost.
    const std::size_t count = wraps_ > 0 ? keys_.size() - start_ + end_ : end_ - start_;
    return {count, start_, end_};
}

void EchoBuffer::copy(const Pending& pending, std::vector<std::uint8_t>& keys,
                      std::vector<std::uint8_t>& scans) const {
    std::lock_guard lock(mutex_);
    keys.clear();
    scans.clear();
    for (std::size_t i = 0; i < pending.count; ++i) {
        const std::size_t at = (pending.start + i) % keys_.size();
        keys.push_back(keys_[at]);
        scans.push_back(scans_[at]);
    }
}

void EchoBuffer::consume(const Pending& pending) {
    std::lock_guard lock(mutex_);
    start_ = pending.end;
    wraps_ = end_ < start_ ? 1 : 0;
}

void EchoBuffer::clear() {
    std::lock_guard lock(mutex_);
    std::fill(keys_.begin(), keys_.end(), 0);
    std::fill(scans_.begin(), scans_.end(), 0);
    start_ = 0;
    end_ = 0;
    wraps_ = 0;
}

}  // namespace magtune::wedge
