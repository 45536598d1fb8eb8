#pragma once

#include <string>

#include "comm/CommOptions.h"

namespace magtune::comm {

// The four text boxes of the options dialog, as typed.
struct OptionsDialogTexts {
    std::string usbDelay;              // txtUSBDelay
    std::string protocolDelay;         // txtProtocolDelay
    std::string intervalTimeout;       // txtIntervalTimeout
    std::string totalTimeoutConstant;  // txtTotalTimeoutConstant

    friend bool operator==(const OptionsDialogTexts&, const OptionsDialogTexts&) = default;
};

// The box a failed rule gives the focus to.
enum class OptionsField { None, UsbDelay, ProtocolDelay, IntervalTimeout, TotalTimeoutConstant };

// Outcome of one page's rules: focus None means the page is valid; warning
// is the text of the "Error" box to show first, empty for none.
struct OptionsValidation {
    OptionsField focus = OptionsField::None;
    std::string warning;

    bool ok() const { return focus == OptionsField::None; }
};

// The boxes filled from the current options.
OptionsDialogTexts OptionsDialogTextsFrom(const CommOptions& options);

// The boxes take digits only; every other typed character is discarded.
bool IsOptionsBoxCharacter(char typed);

// "Please input a value between " + minimum + " and " + maximum + " ms."
std::string OptionRangeWarning(const OptionRange& range);

// USB page: an empty or out-of-range box gets the focus, without a message.
OptionsValidation ValidateUsbOptions(const OptionsDialogTexts& texts);
// Serial page: an empty box gets the focus; an out-of-range value gets the
// range warning and the focus.
OptionsValidation ValidateSerialOptions(const OptionsDialogTexts& texts);

// The Default buttons of the two pages.
void SetUsbDefaults(OptionsDialogTexts& texts);
void SetSerialDefaults(OptionsDialogTexts& texts);

// OK: USB rules, then serial rules; only when both pass are the four edited
// options taken from the boxes. The options are untouched otherwise.
OptionsValidation AcceptOptionsDialog(const OptionsDialogTexts& texts, CommOptions& options);

}  // namespace magtune::comm
