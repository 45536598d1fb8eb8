#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "comm/KeySource.h"
#include "platform/Console.h"

namespace magtune::cli {

// The keys typed into this terminal: a USB reader is a keyboard, so on a
// desk its answers arrive on standard input. While the source exists a
// terminal delivers each key at once and shows nothing; its settings come
// back when the source goes, and also when a signal ends the program
// (Ctrl+C, a hang-up, kill). Input that is not a terminal is read as it is.
class TerminalKeySource : public comm::KeySource {
  public:
    explicit TerminalKeySource(int fd = 0);
    ~TerminalKeySource() override;

    TerminalKeySource(const TerminalKeySource&) = delete;
    TerminalKeySource& operator=(const TerminalKeySource&) = delete;

    std::string waitForKeys(std::uint32_t timeoutMs) override;

    // The input was a terminal whose settings were changed.
    bool changedTerminal() const { return keys_.changed(); }

  private:
    int fd_;
    platform::RawKeyInput keys_;
    bool ended_ = false;
};

// A source of the keys of standard input, for a USB reader's transfer.
std::unique_ptr<comm::KeySource> TerminalKeys();

}  // namespace magtune::cli
