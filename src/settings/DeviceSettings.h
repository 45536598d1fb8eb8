#pragma once

#include "common/Prompter.h"
#include "dataedit/FormulaCommands.h"
#include "settings/ChoiceSetting.h"
#include "settings/ConfigurationImage.h"
#include "settings/KeyByteSetting.h"
#include "settings/KeySequenceSetting.h"
#include "settings/LengthSetting.h"
#include "settings/TrackSequenceSetting.h"

namespace magtune::settings {

// Every setting of the reader, shown or not, as a (default, current) pair.
// Fields the main window never shows (device, scanner port, symbologies,
// reserved flags) are kept too, so that a file or an upload goes back to the
// reader unchanged.
class DeviceSettings {
  public:
    // Device
    ChoiceSetting DeviceId;
    ChoiceSetting EnableManualSetup;
    ChoiceSetting MpuIdleStatus;

    // Beeps and Delays
    ChoiceSetting BeepTone;
    ChoiceSetting InterCharacterDelay;
    ChoiceSetting InterBlockDelay;

    // Keyboard Wedge
    ChoiceSetting FunctionCode;
    ChoiceSetting CapsLock;
    ChoiceSetting Language;
    ChoiceSetting IdlePolarity;
    ChoiceSetting MinimumWidthDuration;
    ChoiceSetting WandEmulationOutput;
    ChoiceSetting UseNumericKeypad;

    // RS232
    ChoiceSetting BaudRate;
    ChoiceSetting DataBits;
    ChoiceSetting Parity;
    ChoiceSetting AckNak;
    ChoiceSetting BccCharacter;
    ChoiceSetting TimeOut;
    ChoiceSetting DataDirection;
    ChoiceSetting Handshaking;
    KeyByteSetting ReceiveTerminator;

    // Scanner Port
    ChoiceSetting ScannerTerminator;
    ChoiceSetting UseCodeId;
    ChoiceSetting AimFunction;
    ChoiceSetting AimingTime;
    ChoiceSetting DoubleVerification;
    ChoiceSetting ScanningMode;
    ChoiceSetting LabelType;
    ChoiceSetting SendDataLength;
    KeySequenceSetting Preamble;
    KeySequenceSetting Postamble;

    // Magnetic Reader
    ChoiceSetting MsrTerminator;
    ChoiceSetting SendStartStopSentinel;
    ChoiceSetting TrackSelection;
    ChoiceSetting Track2AccountNumberOnly;
    ChoiceSetting OutputOnlyWhenAllCorrect;  // 0 Yes, 1 No
    KeyByteSetting SeparatorCharacter;
    TrackSequenceSetting Track1OutputSequence{1, {}, {}, {}};
    TrackSequenceSetting Track2OutputSequence{2, {}, {}, {}};

    // Data Editing: the formula list and its compiled memory (image bytes 96-253)
    dataedit::DataEditing dataEditing;

    // Code 39 (Code39Length holds Code39MinLength and Code39MaxLength)
    ChoiceSetting Code39Enabled;
    ChoiceSetting Code39Type;
    ChoiceSetting Code39CheckDigit;
    ChoiceSetting Code39SendStartStop;
    LengthSetting Code39Length;
    KeyByteSetting Code39CodeIdStandard;
    KeyByteSetting Code39CodeIdFullAscii;

    // I 2 of 5
    ChoiceSetting I25Enabled;
    ChoiceSetting I25FixLength;
    ChoiceSetting I25CheckDigit;
    ChoiceSetting I25SuppressDigit;
    LengthSetting I25Length;
    KeyByteSetting I25CodeId;

    // S 2 of 5 / Toshiba Code
    ChoiceSetting S25Enabled;
    ChoiceSetting S25FixLength;
    ChoiceSetting S25CheckDigit;
    LengthSetting S25Length;
    KeyByteSetting S25CodeId;
    KeyByteSetting ToshibaCodeId;

    // Code 11
    ChoiceSetting Code11Enabled;
    ChoiceSetting Code11CheckDigitNumber;
    ChoiceSetting Code11SendCheckDigit;
    LengthSetting Code11Length;
    KeyByteSetting Code11CodeId;

    // MSI / Plessey Code
    ChoiceSetting MsiEnabled;
    ChoiceSetting MsiSendCheckDigit;
    ChoiceSetting MsiCheckDigitFormula;
    LengthSetting MsiLength;
    KeyByteSetting MsiCodeId;
    KeyByteSetting PlesseyCodeId;

    // Code 93
    ChoiceSetting Code93Enabled;
    LengthSetting Code93Length;
    KeyByteSetting Code93CodeId;

    // Codabar
    ChoiceSetting CodabarEnabled;
    ChoiceSetting CodabarSendStartStop;
    ChoiceSetting CodabarCheckDigit;
    ChoiceSetting CodabarClsiFormat;
    LengthSetting CodabarLength;
    KeyByteSetting CodabarCodeId;

    // EAN-8
    ChoiceSetting Ean8Enabled;
    ChoiceSetting Ean8SendLeadingDigit;
    ChoiceSetting Ean8SendCheckDigit;
    KeyByteSetting Ean8CodeId;

    // EAN-13
    ChoiceSetting Ean13Enabled;
    ChoiceSetting Ean13SendLeadingDigit;
    ChoiceSetting Ean13SendCheckDigit;
    ChoiceSetting Ean13BooklandEan;
    KeyByteSetting Ean13CodeId;

    // UPC-E
    ChoiceSetting UpcEEnabled;
    ChoiceSetting UpcESendLeadingDigit;
    ChoiceSetting UpcESendCheckDigit;
    ChoiceSetting UpcEZeroExpansion;
    ChoiceSetting UpcEEnableNsc1;
    KeyByteSetting UpcECodeId;

    // UPC-A
    ChoiceSetting UpcAEnabled;
    ChoiceSetting UpcASendLeadingDigit;
    ChoiceSetting UpcASendCheckDigit;
    KeyByteSetting UpcACodeId;

    // EAN 128
    ChoiceSetting Ean128Enabled;
    ChoiceSetting Ean128EnableCodeId;
    KeyByteSetting Ean128CodeId;
    KeyByteSetting Ean128FieldSeparator;

    // Code 128
    ChoiceSetting Code128Enabled;
    LengthSetting Code128Length;
    KeyByteSetting Code128CodeId;

    // Delta Code
    ChoiceSetting DeltaEnabled;
    ChoiceSetting DeltaCalculateCheckDigit;
    ChoiceSetting DeltaSendCheckDigit;
    KeyByteSetting DeltaCodeId;

    // Code 32
    ChoiceSetting Code32Enabled;
    ChoiceSetting Code32SendLeadingCharacter;
    ChoiceSetting Code32SendTailingCharacter;
    KeyByteSetting Code32CodeId;

    // Supplement Code
    ChoiceSetting TwoSupplementCode;
    ChoiceSetting FiveSupplementCode;
    ChoiceSetting SupplementMustPresent;
    ChoiceSetting InsertSpaceSeparator;

    // Label Code IV and V
    ChoiceSetting LabelCodeEnabled;
    ChoiceSetting LabelCodeSendCheckDigit;
    KeyByteSetting LabelCodeCodeId;

    // No editor; kept so that they survive a round trip.
    ChoiceSetting ReservedFlagA;
    ChoiceSetting ReservedFlagB;

    DeviceSettings() { ResetToDefaults(); }

    // Gives every default and current member its default value, the track
    // sequences their encoded bytes, and empties the formula list.
    void ResetToDefaults();

    // Rebuilds the whole image from the current values.
    void PackImage(ConfigurationImage& image) const;

    // Sets the current values from any 256 bytes; formulas that do not
    // decode are reported through the prompter and skipped.
    void UnpackImage(const ConfigurationImage& image, common::Prompter& prompter);
};

}  // namespace magtune::settings
