#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PortSettings.h"

namespace magtune::shell {

// What the port configuration dialog offers, and how each choice reads and
// writes the control block. Fields the dialog does not show keep their
// values.

// Bits per second as listed; a rate of the block that is not listed joins
// the list in its order, so that it is shown and kept.
std::vector<std::uint32_t> BaudRateChoices(std::uint32_t current);

inline constexpr std::uint8_t kDataBitChoices[] = {5, 6, 7, 8};

// Parity texts in list order and the block value of each.
struct ParityChoice {
    const char* text;
    std::uint8_t value;
};
inline constexpr ParityChoice kParityChoices[] = {{"Even", platform::PortSettings::kEvenParity},
                                                  {"Odd", platform::PortSettings::kOddParity},
                                                  {"None", platform::PortSettings::kNoParity},
                                                  {"Mark", platform::PortSettings::kMarkParity},
                                                  {"Space", platform::PortSettings::kSpaceParity}};

// Stop bit texts in list order; the block value is the index.
inline constexpr const char* kStopBitTexts[] = {"1", "1.5", "2"};

enum class FlowControl { XonXoff, Hardware, None };
inline constexpr const char* kFlowControlTexts[] = {"Xon / Xoff", "Hardware", "None"};

// Hardware when the block waits for CTS or drives RTS as handshake, else
// Xon / Xoff when it uses either software flow direction, else None.
FlowControl FlowControlOf(const platform::PortSettings& settings);
// Sets the handshake fields of the block as the choice means them.
void SetFlowControl(platform::PortSettings& settings, FlowControl flow);

// Sets parity and the parity check together.
void SetParity(platform::PortSettings& settings, std::uint8_t parity);

// 9600 bits per second, 8 data bits, no parity, 1 stop bit, no flow control.
void RestorePortDefaults(platform::PortSettings& settings);

}  // namespace magtune::shell
