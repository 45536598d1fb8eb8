#include "cli/TerminalKeySource.h"

namespace magtune::cli {

TerminalKeySource::TerminalKeySource(int fd) : fd_(fd), keys_(fd) {}

TerminalKeySource::~TerminalKeySource() = default;

std::string TerminalKeySource::waitForKeys(std::uint32_t timeoutMs) {
    std::string keys;
    if (ended_) {
        return keys;
    }
    int wait = static_cast<int>(timeoutMs);
    for (;;) {
        const platform::InputWait ready = platform::WaitForInput(fd_, wait);
        if (ready != platform::InputWait::Ready) {
            if (ready == platform::InputWait::Failed) {
                ended_ = true;
            }
            return keys;
        }
        char buffer[512];
        const long n = platform::ReadInput(fd_, buffer, sizeof buffer);
        if (n < 0) {
            return keys;
        }
        if (n == 0) {
            // The end of the input: nobody types any more.
            ended_ = true;
            return keys;
        }
        keys.append(buffer, static_cast<std::size_t>(n));
        // Take what is already there without waiting again.
        wait = 0;
    }
}

std::unique_ptr<comm::KeySource> TerminalKeys() {
    return std::make_unique<TerminalKeySource>();
}

}  // namespace magtune::cli
