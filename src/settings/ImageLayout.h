#pragma once

// Where each setting lives in the configuration image, with its default and
// its name. Packing, unpacking and the field comparison all read these
// tables, so the layout is written down once.

#include <cstddef>
#include <cstdint>

#include "settings/DeviceSettings.h"

namespace magtune::settings::layout {

#define MAGTUNE_FIELD(member) &DeviceSettings::member, #member

// A choice stored as bits lowBit .. lowBit + width - 1 of one image byte.
struct BitField {
    ChoiceSetting DeviceSettings::*field;
    const char* name;
    std::uint8_t byte;
    std::uint8_t lowBit;
    std::uint8_t width;
    std::int32_t defaultValue;
};

// Bytes 1-15 and 94. Bits not listed here are written 0 and never read.
inline constexpr BitField kBitFields[] = {
    {MAGTUNE_FIELD(FunctionCode), 1, 7, 1, 1},
    {MAGTUNE_FIELD(BeepTone), 1, 4, 3, 2},
    {MAGTUNE_FIELD(Language), 1, 0, 4, 0},

    {MAGTUNE_FIELD(CapsLock), 2, 6, 2, 0},
    {MAGTUNE_FIELD(InterCharacterDelay), 2, 3, 3, 0},
    {MAGTUNE_FIELD(InterBlockDelay), 2, 0, 3, 0},

    {MAGTUNE_FIELD(ScanningMode), 3, 5, 3, 0},
    {MAGTUNE_FIELD(DoubleVerification), 3, 2, 3, 0},
    {MAGTUNE_FIELD(ScannerTerminator), 3, 0, 2, 0},

    {MAGTUNE_FIELD(AimingTime), 4, 6, 2, 1},
    {MAGTUNE_FIELD(Parity), 4, 3, 3, 4},
    {MAGTUNE_FIELD(BaudRate), 4, 0, 3, 5},

    {MAGTUNE_FIELD(IdlePolarity), 5, 7, 1, 0},
    {MAGTUNE_FIELD(MinimumWidthDuration), 5, 6, 1, 0},
    {MAGTUNE_FIELD(WandEmulationOutput), 5, 5, 1, 0},
    {MAGTUNE_FIELD(UseNumericKeypad), 5, 4, 1, 0},
    {MAGTUNE_FIELD(DataBits), 5, 2, 1, 1},
    {MAGTUNE_FIELD(Handshaking), 5, 0, 2, 0},

    {MAGTUNE_FIELD(OutputOnlyWhenAllCorrect), 6, 7, 1, 1},
    {MAGTUNE_FIELD(Track2AccountNumberOnly), 6, 6, 1, 0},
    {MAGTUNE_FIELD(TrackSelection), 6, 3, 3, 0},
    {MAGTUNE_FIELD(SendStartStopSentinel), 6, 2, 1, 1},
    {MAGTUNE_FIELD(MsrTerminator), 6, 0, 2, 0},

    {MAGTUNE_FIELD(EnableManualSetup), 7, 7, 1, 1},
    {MAGTUNE_FIELD(MpuIdleStatus), 7, 5, 2, 0},
    {MAGTUNE_FIELD(Code39SendStartStop), 7, 4, 1, 1},
    {MAGTUNE_FIELD(Code39CheckDigit), 7, 2, 2, 2},
    {MAGTUNE_FIELD(Code39Type), 7, 1, 1, 0},
    {MAGTUNE_FIELD(Code39Enabled), 7, 0, 1, 1},

    {MAGTUNE_FIELD(I25SuppressDigit), 8, 4, 2, 2},
    {MAGTUNE_FIELD(I25CheckDigit), 8, 2, 2, 2},
    {MAGTUNE_FIELD(I25FixLength), 8, 1, 1, 1},
    {MAGTUNE_FIELD(I25Enabled), 8, 0, 1, 1},

    {MAGTUNE_FIELD(Ean128EnableCodeId), 9, 7, 1, 0},
    {MAGTUNE_FIELD(Ean128Enabled), 9, 6, 1, 1},
    {MAGTUNE_FIELD(ReservedFlagB), 9, 5, 1, 0},
    {MAGTUNE_FIELD(ReservedFlagA), 9, 4, 1, 0},
    {MAGTUNE_FIELD(S25CheckDigit), 9, 2, 2, 2},
    {MAGTUNE_FIELD(S25FixLength), 9, 1, 1, 0},
    {MAGTUNE_FIELD(S25Enabled), 9, 0, 1, 0},

    {MAGTUNE_FIELD(LabelType), 10, 7, 1, 0},
    {MAGTUNE_FIELD(Code11SendCheckDigit), 10, 6, 1, 1},
    {MAGTUNE_FIELD(Code11CheckDigitNumber), 10, 5, 1, 1},
    {MAGTUNE_FIELD(Code11Enabled), 10, 4, 1, 0},
    {MAGTUNE_FIELD(MsiCheckDigitFormula), 10, 2, 2, 0},
    {MAGTUNE_FIELD(MsiSendCheckDigit), 10, 1, 1, 1},
    {MAGTUNE_FIELD(MsiEnabled), 10, 0, 1, 0},

    {MAGTUNE_FIELD(Code93Enabled), 11, 7, 1, 1},
    {MAGTUNE_FIELD(Code128Enabled), 11, 6, 1, 1},
    {MAGTUNE_FIELD(CodabarClsiFormat), 11, 4, 1, 1},
    {MAGTUNE_FIELD(CodabarCheckDigit), 11, 2, 2, 2},
    {MAGTUNE_FIELD(CodabarSendStartStop), 11, 1, 1, 1},
    {MAGTUNE_FIELD(CodabarEnabled), 11, 0, 1, 0},

    {MAGTUNE_FIELD(UpcEZeroExpansion), 12, 7, 1, 1},
    {MAGTUNE_FIELD(UpcESendCheckDigit), 12, 6, 1, 1},
    {MAGTUNE_FIELD(UpcESendLeadingDigit), 12, 5, 1, 0},
    {MAGTUNE_FIELD(UpcEEnabled), 12, 4, 1, 1},
    {MAGTUNE_FIELD(UpcEEnableNsc1), 12, 3, 1, 0},
    {MAGTUNE_FIELD(UpcASendCheckDigit), 12, 2, 1, 0},
    {MAGTUNE_FIELD(UpcASendLeadingDigit), 12, 1, 1, 0},
    {MAGTUNE_FIELD(UpcAEnabled), 12, 0, 1, 1},

    {MAGTUNE_FIELD(Ean8SendCheckDigit), 13, 6, 1, 0},
    {MAGTUNE_FIELD(Ean8SendLeadingDigit), 13, 5, 1, 0},
    {MAGTUNE_FIELD(Ean8Enabled), 13, 4, 1, 1},
    {MAGTUNE_FIELD(Ean13BooklandEan), 13, 3, 1, 1},
    {MAGTUNE_FIELD(Ean13SendCheckDigit), 13, 2, 1, 0},
    {MAGTUNE_FIELD(Ean13SendLeadingDigit), 13, 1, 1, 0},
    {MAGTUNE_FIELD(Ean13Enabled), 13, 0, 1, 1},

    {MAGTUNE_FIELD(SendDataLength), 14, 4, 1, 0},
    {MAGTUNE_FIELD(InsertSpaceSeparator), 14, 3, 1, 1},
    {MAGTUNE_FIELD(SupplementMustPresent), 14, 2, 1, 1},
    {MAGTUNE_FIELD(FiveSupplementCode), 14, 1, 1, 0},
    {MAGTUNE_FIELD(TwoSupplementCode), 14, 0, 1, 0},

    {MAGTUNE_FIELD(DeltaSendCheckDigit), 15, 7, 1, 0},
    {MAGTUNE_FIELD(DeltaCalculateCheckDigit), 15, 6, 1, 0},
    {MAGTUNE_FIELD(DeltaEnabled), 15, 5, 1, 0},
    {MAGTUNE_FIELD(LabelCodeSendCheckDigit), 15, 4, 1, 0},
    {MAGTUNE_FIELD(LabelCodeEnabled), 15, 3, 1, 0},
    {MAGTUNE_FIELD(Code32SendTailingCharacter), 15, 2, 1, 0},
    {MAGTUNE_FIELD(Code32SendLeadingCharacter), 15, 1, 1, 0},
    {MAGTUNE_FIELD(Code32Enabled), 15, 0, 1, 0},

    {MAGTUNE_FIELD(AimFunction), 94, 7, 1, 0},
    {MAGTUNE_FIELD(UseCodeId), 94, 6, 1, 0},
    {MAGTUNE_FIELD(TimeOut), 94, 4, 2, 0},
    {MAGTUNE_FIELD(BccCharacter), 94, 3, 1, 0},
    {MAGTUNE_FIELD(AckNak), 94, 2, 1, 0},
    {MAGTUNE_FIELD(DataDirection), 94, 0, 2, 0},
};

// The separator characters are output by the reader, so they may hold the
// interblock delay; the terminator and code IDs are compared, so they may not.
struct KeyByteField {
    KeyByteSetting DeviceSettings::*field;
    const char* name;
    std::uint8_t byte;
    bool allowDelay;
    const char* defaultText;
};

inline constexpr KeyByteField kKeyByteFields[] = {
    {MAGTUNE_FIELD(SeparatorCharacter), 56, true, ""},
    {MAGTUNE_FIELD(ReceiveTerminator), 57, false, ""},
    {MAGTUNE_FIELD(Code39CodeIdFullAscii), 58, false, "M"},
    {MAGTUNE_FIELD(Code39CodeIdStandard), 59, false, "M"},
    {MAGTUNE_FIELD(Ean13CodeId), 60, false, "F"},
    {MAGTUNE_FIELD(UpcACodeId), 61, false, "A"},
    {MAGTUNE_FIELD(Ean8CodeId), 62, false, "<E0>"},
    {MAGTUNE_FIELD(UpcECodeId), 63, false, "E"},
    {MAGTUNE_FIELD(I25CodeId), 64, false, "I"},
    {MAGTUNE_FIELD(CodabarCodeId), 65, false, "N"},
    {MAGTUNE_FIELD(Code128CodeId), 66, false, "K"},
    {MAGTUNE_FIELD(Code93CodeId), 67, false, "L"},
    {MAGTUNE_FIELD(S25CodeId), 68, false, "H"},
    {MAGTUNE_FIELD(MsiCodeId), 69, false, "O"},
    {MAGTUNE_FIELD(Ean128CodeId), 70, false, ""},
    {MAGTUNE_FIELD(Code32CodeId), 71, false, "T"},
    {MAGTUNE_FIELD(DeltaCodeId), 72, false, "D"},
    {MAGTUNE_FIELD(LabelCodeCodeId), 73, false, "B"},
    {MAGTUNE_FIELD(PlesseyCodeId), 74, false, "P"},
    {MAGTUNE_FIELD(Code11CodeId), 75, false, "J"},
    {MAGTUNE_FIELD(ToshibaCodeId), 76, false, "C"},
    {MAGTUNE_FIELD(Ean128FieldSeparator), 95, true, ""},
};

// One length setting fills two bytes, each with its own name.
struct LengthField {
    LengthSetting DeviceSettings::*field;
    const char* minimumName;
    const char* maximumName;
    std::uint8_t byte;  // minimum; the maximum follows
    std::uint8_t lowerLimit;
    std::uint8_t upperLimit;
    std::uint8_t defaultMinimum;
    std::uint8_t defaultMaximum;
};

inline constexpr LengthField kLengthFields[] = {
    {&DeviceSettings::Code39Length, "Code39MinLength", "Code39MaxLength", 78, 0, 48, 0, 48},
    {&DeviceSettings::I25Length, "I25MinLength", "I25MaxLength", 80, 2, 64, 10, 64},
    {&DeviceSettings::S25Length, "S25MinLength", "S25MaxLength", 82, 1, 48, 4, 48},
    {&DeviceSettings::Code128Length, "Code128MinLength", "Code128MaxLength", 84, 1, 64, 1, 64},
    {&DeviceSettings::MsiLength, "MsiMinLength", "MsiMaxLength", 86, 1, 16, 1, 16},
    {&DeviceSettings::Code93Length, "Code93MinLength", "Code93MaxLength", 88, 1, 48, 1, 48},
    {&DeviceSettings::Code11Length, "Code11MinLength", "Code11MaxLength", 90, 1, 48, 1, 48},
    {&DeviceSettings::CodabarLength, "CodabarMinLength", "CodabarMaxLength", 92, 3, 48, 3, 48},
};

struct KeySequenceField {
    KeySequenceSetting DeviceSettings::*field;
    const char* name;
    std::uint8_t byte;
};

inline constexpr KeySequenceField kKeySequenceFields[] = {
    {MAGTUNE_FIELD(Preamble), 16},
    {MAGTUNE_FIELD(Postamble), 24},
};

struct TrackField {
    TrackSequenceSetting DeviceSettings::*field;
    const char* name;
    std::uint8_t byte;
    std::uint8_t size;
};

inline constexpr TrackField kTrackFields[] = {
    {MAGTUNE_FIELD(Track1OutputSequence), 32, 16},
    {MAGTUNE_FIELD(Track2OutputSequence), 48, 8},
};

inline constexpr std::int32_t kDefaultDeviceId = 1;
inline constexpr std::size_t kReservedByte = 77;

constexpr std::uint32_t FieldMask(const BitField& f) {
    return (1u << f.width) - 1u;
}

#undef MAGTUNE_FIELD

}  // namespace magtune::settings::layout
