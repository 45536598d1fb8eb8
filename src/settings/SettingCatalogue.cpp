#include "settings/SettingCatalogue.h"

#include "dataedit/Formula.h"
#include "dataedit/FormulaCommands.h"
#include "dataedit/TrackSequence.h"

namespace magtune::settings {
namespace {

using Settings = DeviceSettings;

constexpr CatalogueRow Choice(const char* label, ChoiceSetting Settings::*field,
                              std::span<const char* const> texts) {
    CatalogueRow row;
    row.label = label;
    row.editor = EditorKind::ValueEditor;
    row.choice = field;
    row.valueTexts = texts;
    return row;
}

constexpr CatalogueRow KeyByte(const char* label, KeyByteSetting Settings::*field) {
    CatalogueRow row;
    row.label = label;
    row.editor = EditorKind::StringInput;
    row.keyByte = field;
    return row;
}

constexpr CatalogueRow Track(const char* label, TrackSequenceSetting Settings::*field) {
    CatalogueRow row;
    row.label = label;
    row.editor = EditorKind::TrackSequenceDialog;
    row.track = field;
    return row;
}

constexpr const char* kNoYes[] = {"No", "Yes"};

constexpr const char* kBeepTone[] = {"None", "Low", "Medium", "High", "Low to High", "High to Low"};
constexpr const char* kInterBlockDelay[] = {"10 ms",  "50 ms",    "100 ms",
                                            "500 ms", "1 second", "3 seconds"};
constexpr const char* kInterCharacterDelay[] = {"1 ms",  "5 ms",  "10 ms",
                                                "20 ms", "50 ms", "100 ms"};

constexpr const char* kCapsLock[] = {"Auto Trace", "Lower Case", "Upper Case"};
constexpr const char* kLanguage[] = {
    "U.S.",   "U.K.",   "Swiss",        "Swedish", "Spanish",     "Norwegian", "Italian",
    "German", "French", "Alt Key Mode", "Danish",  "Partial Alt", "Japanese"};
constexpr const char* kWandEmulationOutput[] = {"Bar with High / Space with Low",
                                                "Bar with Low / Space with High"};
constexpr const char* kMinimumWidthDuration[] = {"200 µs", "600 µs"};
constexpr const char* kIdlePolarity[] = {"Low", "High"};

constexpr const char* kBaudRate[] = {"300",  "600",  "1200",  "2400",
                                     "4800", "9600", "19200", "38400"};
constexpr const char* kParity[] = {"Even", "Odd", "Mark", "Space", "None"};
constexpr const char* kDataBits[] = {"7", "8"};
constexpr const char* kHandshaking[] = {"Ignore", "RTS Enabled at Power Up",
                                        "RTS Enabled in Communication"};
constexpr const char* kTimeOut[] = {"1 second", "3 seconds", "10 seconds", "Unlimited"};
constexpr const char* kDataDirection[] = {"Send to Host", "Send to Host & Terminal",
                                          "Send to Terminal"};

constexpr const char* kMsrTerminator[] = {"Enter", "Return (on numeric keypad)",
                                          "Field Exit or Right Ctrl", "None"};
constexpr const char* kTrackSelection[] = {
    "All Tracks",     "Track 1 and Track 2", "Track 1 and Track 3", "Track 2 and Track 3",
    "Track 1 Output", "Track 2 Output",      "Track 3 Output"};
constexpr const char* kYesNo[] = {"Yes", "No"};

constexpr CatalogueRow kBeepsAndDelays[] = {
    Choice("Beep Tone", &Settings::BeepTone, kBeepTone),
    Choice("InterBlock Delay", &Settings::InterBlockDelay, kInterBlockDelay),
    Choice("InterCharacter Delay", &Settings::InterCharacterDelay, kInterCharacterDelay),
};

constexpr CatalogueRow kKeyboardWedge[] = {
    Choice("Function Code", &Settings::FunctionCode, kNoYes),
    Choice("Caps-Lock", &Settings::CapsLock, kCapsLock),
    Choice("Language", &Settings::Language, kLanguage),
    Choice("Wand Emulation Output", &Settings::WandEmulationOutput, kWandEmulationOutput),
    Choice("Level Duration of Minimum Width", &Settings::MinimumWidthDuration,
           kMinimumWidthDuration),
    Choice("Polarity of Idle Condition", &Settings::IdlePolarity, kIdlePolarity),
    Choice("Use Numeric Keypad", &Settings::UseNumericKeypad, kNoYes),
};

constexpr CatalogueRow kRs232[] = {
    Choice("Baud Rate", &Settings::BaudRate, kBaudRate),
    Choice("Parity", &Settings::Parity, kParity),
    Choice("Data Bit", &Settings::DataBits, kDataBits),
    Choice("Handshaking", &Settings::Handshaking, kHandshaking),
    Choice("ACK/NAK", &Settings::AckNak, kNoYes),
    Choice("BCC Character", &Settings::BccCharacter, kNoYes),
    Choice("Time Out", &Settings::TimeOut, kTimeOut),
    Choice("Data Direction", &Settings::DataDirection, kDataDirection),
    KeyByte("Receive Terminator", &Settings::ReceiveTerminator),
};

// "Output Only When All Tracks Have Correct Data" stores 0 for "Yes".
constexpr CatalogueRow kMagneticReader[] = {
    Choice("Terminator", &Settings::MsrTerminator, kMsrTerminator),
    Choice("Send Start/Stop Sentinel", &Settings::SendStartStopSentinel, kNoYes),
    Choice("Track Selection", &Settings::TrackSelection, kTrackSelection),
    Choice("Track 2 Account Number Only", &Settings::Track2AccountNumberOnly, kNoYes),
    Choice("Output Only When All Tracks Have Correct Data", &Settings::OutputOnlyWhenAllCorrect,
           kYesNo),
    KeyByte("Separator Character", &Settings::SeparatorCharacter),
    Track("Track 1 Output Sequence", &Settings::Track1OutputSequence),
    Track("Track 2 Output Sequence", &Settings::Track2OutputSequence),
};

}  // namespace

const std::array<CatalogueGroup, 5> SettingCatalogue{{
    {"Beeps and Delays", kBeepsAndDelays},
    {"Keyboard Wedge", kKeyboardWedge},
    {"RS232", kRs232},
    {"Magnetic Reader", kMagneticReader},
    {kDataEditingGroup, {}},
}};

const CatalogueGroup* FindGroup(std::string_view text) {
    for (const auto& group : SettingCatalogue) {
        if (text == group.text) {
            return &group;
        }
    }
    return nullptr;
}

const CatalogueRow* FindRow(std::string_view group, std::string_view label) {
    const CatalogueGroup* found = FindGroup(group);
    if (!found) {
        return nullptr;
    }
    for (const auto& row : found->rows) {
        if (label == row.label) {
            return &row;
        }
    }
    return nullptr;
}

std::string ValueText(const CatalogueRow& row, const DeviceSettings& settings) {
    if (row.choice) {
        std::int32_t value = (settings.*row.choice).current;
        if (value < 0 || static_cast<std::size_t>(value) >= row.valueTexts.size()) {
            return {};
        }
        return row.valueTexts[static_cast<std::size_t>(value)];
    }
    if (row.keyByte) {
        return KeyValueText((settings.*row.keyByte).currentText);
    }
    if (row.track) {
        const TrackSequenceSetting& track = settings.*row.track;
        return dataedit::TrackSequenceText(track.current, track.track);
    }
    return {};
}

std::string KeyValueText(const std::string& keyText) {
    return keyText.empty() ? std::string("None") : "\"" + keyText + "\"";
}

std::vector<PropertyRow> PropertyRows(std::string_view node, const DeviceSettings& settings) {
    std::vector<PropertyRow> rows;
    if (node == kDataEditingGroup) {
        const dataedit::FormulaList& formulas = settings.dataEditing.formulas;
        for (std::size_t i = 0; i < formulas.size(); ++i) {
            PropertyRow row;
            row.label = dataedit::FormulaRowLabel(i + 1);
            row.value = dataedit::FormulaText(formulas[i]);
            row.editor = EditorKind::FormulaDialog;
            row.formulaRow = i + 1;
            rows.push_back(std::move(row));
        }
        if (rows.empty()) {
            PropertyRow row;
            row.label = kNoFormulaLabel;
            row.placeholder = true;
            rows.push_back(std::move(row));
        }
        return rows;
    }
    const CatalogueGroup* group = FindGroup(node);
    if (!group) {
        return rows;
    }
    for (const auto& entry : group->rows) {
        PropertyRow row;
        row.label = entry.label;
        row.value = ValueText(entry, settings);
        row.editor = entry.editor;
        row.row = &entry;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string NodePath(std::string_view node) {
    std::string path = kRootText;
    if (node != kRootText) {
        path += '\\';
        path += node;
    }
    return path;
}

bool FormulaCommandsEnabled(std::string_view node) {
    return node == kDataEditingGroup;
}

std::int32_t CurrentChoice(const CatalogueRow& row, const DeviceSettings& settings) {
    return row.choice ? (settings.*row.choice).current : -1;
}

std::int32_t DefaultChoice(const CatalogueRow& row, const DeviceSettings& settings) {
    return row.choice ? (settings.*row.choice).defaultValue : -1;
}

bool SetChoice(SettingStore& store, const CatalogueRow& row, std::int32_t index) {
    if (!row.choice || index < 0 || static_cast<std::size_t>(index) >= row.valueTexts.size()) {
        return false;
    }
    ChoiceSetting& setting = store.settings.*row.choice;
    if (setting.current != index) {
        setting.current = index;
        store.Modified = true;
    }
    return true;
}

}  // namespace magtune::settings
