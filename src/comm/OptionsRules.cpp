#include "comm/OptionsRules.h"

namespace magtune::comm {

namespace {

enum class BoxState { Empty, OutOfRange, Valid };

struct BoxValue {
    BoxState state;
    std::int32_t value = 0;
};

// Pasted text can hold anything, so a box that is not all digits counts as
// out of range rather than being read up to its first non-digit.
BoxValue ReadBox(const std::string& text, const OptionRange& range) {
    if (text.empty()) {
        return {BoxState::Empty};
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsOptionsBoxCharacter(c)) {
            return {BoxState::OutOfRange};
        }
        value = value * 10 + (c - '0');
        if (value > range.maximum) {
            return {BoxState::OutOfRange};
        }
    }
    if (!range.contains(value)) {
        return {BoxState::OutOfRange};
    }
    return {BoxState::Valid, static_cast<std::int32_t>(value)};
}

}  // namespace

OptionsDialogTexts OptionsDialogTextsFrom(const CommOptions& options) {
    return {std::to_string(options.UsbDelay), std::to_string(options.ProtocolDelay),
            std::to_string(options.ReadIntervalTimeout),
            std::to_string(options.ReadTotalTimeoutConstant)};
}

bool IsOptionsBoxCharacter(char typed) {
    return typed >= '0' && typed <= '9';
}

std::string OptionRangeWarning(const OptionRange& range) {
    return "Please input a value between " + std::to_string(range.minimum) + " and " +
           std::to_string(range.maximum) + " ms.";
}

OptionsValidation ValidateUsbOptions(const OptionsDialogTexts& texts) {
    if (ReadBox(texts.usbDelay, kUsbDelayRange).state != BoxState::Valid) {
        return {OptionsField::UsbDelay, {}};
    }
    if (ReadBox(texts.protocolDelay, kProtocolDelayRange).state != BoxState::Valid) {
        return {OptionsField::ProtocolDelay, {}};
    }
    return {};
}

OptionsValidation ValidateSerialOptions(const OptionsDialogTexts& texts) {
    const struct {
        const std::string& text;
        const OptionRange& range;
        OptionsField field;
    } boxes[] = {
        {texts.intervalTimeout, kReadIntervalTimeoutRange, OptionsField::IntervalTimeout},
        {texts.totalTimeoutConstant, kReadTotalTimeoutConstantRange,
         OptionsField::TotalTimeoutConstant},
    };
    for (const auto& box : boxes) {
        switch (ReadBox(box.text, box.range).state) {
            case BoxState::Empty:
                return {box.field, {}};
            case BoxState::OutOfRange:
                return {box.field, OptionRangeWarning(box.range)};
            case BoxState::Valid:
                break;
        }
    }
    return {};
}

void SetUsbDefaults(OptionsDialogTexts& texts) {
    texts.usbDelay = std::to_string(kUsbDelayRange.defaultValue);
    texts.protocolDelay = std::to_string(kProtocolDelayRange.defaultValue);
}

void SetSerialDefaults(OptionsDialogTexts& texts) {
    texts.intervalTimeout = std::to_string(kReadIntervalTimeoutRange.defaultValue);
    texts.totalTimeoutConstant = std::to_string(kReadTotalTimeoutConstantRange.defaultValue);
}

OptionsValidation AcceptOptionsDialog(const OptionsDialogTexts& texts, CommOptions& options) {
    if (auto usb = ValidateUsbOptions(texts); !usb.ok()) {
        return usb;
    }
    if (auto serial = ValidateSerialOptions(texts); !serial.ok()) {
        return serial;
    }
    options.UsbDelay = ReadBox(texts.usbDelay, kUsbDelayRange).value;
    options.ProtocolDelay = ReadBox(texts.protocolDelay, kProtocolDelayRange).value;
    options.ReadIntervalTimeout = ReadBox(texts.intervalTimeout, kReadIntervalTimeoutRange).value;
    options.ReadTotalTimeoutConstant =
        ReadBox(texts.totalTimeoutConstant, kReadTotalTimeoutConstantRange).value;
    return {};
}

}  // namespace magtune::comm
