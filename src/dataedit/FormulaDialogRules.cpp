#include "dataedit/FormulaDialogRules.h"

#include <algorithm>
#include <array>
#include <limits>

#include "dataedit/KeyNotation.h"
#include "dataedit/OutputSpecCheck.h"

namespace magtune::dataedit {

namespace {

// The string input dialog takes at most this many bytes for a formula string.
constexpr std::size_t kFormulaStringCapacity = 158;

constexpr const char* kIntegerMessage = "Please input an integer value.";

DialogCheck refuse(std::string message, std::string focus) {
    return {false, std::move(message), std::move(focus)};
}

// The messages of one number box, in the order of its checks.
struct NumberBox {
    const char* focus;
    const char* empty;
    const char* belowOne;
    const char* aboveLimit;
};

// Reads a number box; on a refusal returns the check to report.
std::optional<DialogCheck> readNumberBox(const std::string& text, const NumberBox& box,
                                         int& value) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return refuse(box.empty, box.focus);
    }
    const std::optional<int> number = ParseWholeNumber(text);
    if (!number) {
        return refuse(kIntegerMessage, box.focus);
    }
    if (*number < 1) {
        return refuse(box.belowOne, box.focus);
    }
    if (*number > kFormulaNumberLimit) {
        return refuse(box.aboveLimit, box.focus);
    }
    value = *number;
    return std::nullopt;
}

// The value of a box that passed its check (0 for one that did not).
std::uint8_t byteOf(const std::string& text) {
    const int value = ParseWholeNumber(text).value_or(0);
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

std::string decimal(std::uint8_t value) {
    return std::to_string(static_cast<int>(value));
}

PositionOffset minusOffset(const std::string& text) {
    return {false, OffsetSign::Minus, byteOf(text)};
}

bool hasMinus(const PositionOffset& offset) {
    return !offset.absent && offset.sign == OffsetSign::Minus;
}

// --- Output string sides -------------------------------------------------

struct SpecBoxes {
    NumberBox number;
    NumberBox minus;
    const char* match;
    NumberBox offset;
};

const SpecBoxes kStartBoxes = {
    {"txtStaFrom", "Please input start position.", "Position must be greater than or equal to 1.",
     "Position must be less than or equal to 127."},
    {"txtStaMinus", "Please input minus value.", "Value must be greater than or equal to 1.",
     "Value must be less than or equal to 127."},
    "txtStaMatch",
    {"txtStaOffset", "Please input offset.", "Offset must be greater than or equal to 1.",
     "Offset must be less than or equal to 127."},
};

const SpecBoxes kEndBoxes = {
    {"txtEndNumber", "Please input number of characters to output.",
     "Number must be greater than or equal to 1.", "Number must be less than or equal to 127."},
    {"txtEndMinus", "Please input minus value.", "Value must be greater than or equal to 1.",
     "Value must be less than or equal to 127."},
    "txtEndMatch",
    {"txtEndOffset", "Please input offset.", "Offset must be greater than or equal to 1.",
     "Offset must be less than or equal to 127."},
};

std::optional<DialogCheck> checkSpec(const SpecDialogState& side, const SpecBoxes& boxes) {
    int value = 0;
    switch (side.kind) {
        case SpecKind::Number:
            return readNumberBox(side.numberText, boxes.number, value);
        case SpecKind::LastPosition:
            if (side.minus) {
                return readNumberBox(side.minusText, boxes.minus, value);
            }
            return std::nullopt;
        case SpecKind::AfterMatch:
            if (side.matchString.empty()) {
                return refuse("Please input string pattern.", boxes.match);
            }
            if (auto fault = CheckMatchString(side.matchString)) {
                return refuse(*fault, boxes.match);
            }
            if (side.useOffset) {
                return readNumberBox(side.offsetText, boxes.offset, value);
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

SpecDialogState specDialogFromRecord(const PositionSpec& spec) {
    SpecDialogState side;
    switch (spec.kind) {
        case SpecKind::LastPosition:
            side.kind = SpecKind::LastPosition;
            if (hasMinus(spec.offset)) {
                side.minus = true;
                side.minusText = decimal(spec.offset.value);
            }
            break;
        case SpecKind::AfterMatch:
            side.kind = SpecKind::AfterMatch;
            side.matchString = spec.matchString;
            if (!spec.offset.absent) {
                side.useOffset = true;
                side.plus = spec.offset.sign == OffsetSign::Plus;
                side.offsetText = decimal(spec.offset.value);
            }
            break;
        default:
            side.kind = SpecKind::Number;
            side.numberText = decimal(spec.number);
            break;
    }
    return side;
}

PositionSpec specFromDialog(const SpecDialogState& side) {
    PositionSpec spec;
    spec.empty = false;
    spec.kind = side.kind;
    switch (side.kind) {
        case SpecKind::Number:
            spec.number = byteOf(side.numberText);
            break;
        case SpecKind::LastPosition:
            if (side.minus) {
                spec.offset = minusOffset(side.minusText);
            }
            break;
        case SpecKind::AfterMatch:
            spec.matchString = side.matchString;
            if (side.useOffset) {
                spec.offset = {false, side.plus ? OffsetSign::Plus : OffsetSign::Minus,
                               byteOf(side.offsetText)};
            }
            break;
        default:
            break;
    }
    return spec;
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    constexpr long long kCeiling = std::numeric_limits<int>::max();
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = std::min(value * 10 + (c - '0'), kCeiling);
    }
    return static_cast<int>(negative ? -value : value);
}

// --- Formula dialog ------------------------------------------------------

std::vector<InputIdRow> InputIdRows(const Formula& formula) {
    std::vector<InputIdRow> rows;
    for (int id = 0; id < kInputIdCount; ++id) {
        const auto info = std::find_if(InputIdTable.begin(), InputIdTable.end(),
                                       [id](const InputIdInfo& row) { return row.id == id; });
        const bool held = formula.inputIds[id] == 1;
        if (info == InputIdTable.end()) {
            if (held) {
                rows.push_back({id, "Input ID " + std::to_string(id)});
            }
        } else if (info->offer != InputIdOffer::Barcode || held) {
            rows.push_back({id, info->text});
        }
    }
    return rows;
}

FormulaDialogState FormulaDialogFromRecord(const Formula& formula) {
    FormulaDialogState state;
    state.outputCount = formula.outputs.size();
    if (formula.empty) {
        return state;
    }
    for (int id = 0; id < kInputIdCount; ++id) {
        if (formula.inputIds[id] == 1) {
            state.selectedIds.push_back(id);
        }
    }
    state.inputIdChecked = !state.selectedIds.empty();
    if (formula.maxLength != 0 && formula.minLength > 0) {
        state.lengthChecked = true;
        state.minText = decimal(formula.minLength);
        state.maxText = decimal(formula.maxLength);
    }
    state.matchChecked = !formula.matches.empty();
    state.matchRows = static_cast<std::size_t>(
        std::count_if(formula.matches.begin(), formula.matches.end(),
                      [](const MatchQualifier& match) { return !MatchText(match).empty(); }));
    return state;
}

DialogCheck CheckFormulaDialog(const FormulaDialogState& state) {
    if (state.inputIdChecked && state.selectedIds.empty()) {
        return refuse("Please check input id.", "lstInpId");
    }
    if (state.lengthChecked) {
        // Lengths of 128 and more have always been "out of range".
        const NumberBox minBox = {"txtMinLen", "Please input minimum length.",
                                  "Minimum length must be greater than or equal to 1.",
                                  "Minimum length out of range."};
        const NumberBox maxBox = {"txtMaxLen", "Please input maximum length.",
                                  "Maximum length must be greater than or equal to 1.",
                                  "Maximum length out of range."};
        int minimum = 0;
        int maximum = 0;
        if (auto fault = readNumberBox(state.minText, minBox, minimum)) {
            return *fault;
        }
        if (auto fault = readNumberBox(state.maxText, maxBox, maximum)) {
            return *fault;
        }
        if (maximum < minimum) {
            return refuse("Minimum length cannot be greater than maximum length.", "txtMinLen");
        }
    }
    if (state.matchChecked && state.matchRows == 0) {
        return refuse("Please define match qualifier.", "lstMatch");
    }
    if (state.outputCount == 0 && !state.inputIdChecked && !state.lengthChecked &&
        !state.matchChecked) {
        return refuse({}, {});
    }
    return {true, {}, {}};
}

void StoreFormulaDialog(const FormulaDialogState& state, Formula& formula) {
    formula.empty = false;
    formula.inputIds.fill(0);
    if (state.inputIdChecked) {
        for (const int id : state.selectedIds) {
            if (id >= 0 && id < kInputIdCount) {
                formula.inputIds[id] = 1;
            }
        }
    }
    formula.minLength = state.lengthChecked ? byteOf(state.minText) : 0;
    formula.maxLength = state.lengthChecked ? byteOf(state.maxText) : 0;
    if (!state.matchChecked) {
        formula.matches.clear();
    }
}

// --- Match dialog --------------------------------------------------------

MatchDialogState MatchDialogFromRecord(const MatchQualifier& match) {
    MatchDialogState state;
    state.matchString = match.matchString;
    if (match.empty) {
        return state;
    }
    switch (match.kind) {
        case MatchKind::AnyPosition:
            state.kind = MatchKind::AnyPosition;
            break;
        case MatchKind::LastPosition:
            state.kind = MatchKind::LastPosition;
            if (hasMinus(match.lastMinus)) {
                state.minus = true;
                state.minusText = decimal(match.lastMinus.value);
            }
            break;
        default:
            state.kind = MatchKind::AtPosition;
            state.positionText = decimal(match.position);
            break;
    }
    return state;
}

DialogCheck CheckMatchDialog(const MatchDialogState& state) {
    int value = 0;
    if (state.kind == MatchKind::AtPosition) {
        const NumberBox box = {"txtPos", "Please input start position.",
                               "Start position must be greater than or equal to 1.",
                               "Start position must be less than or equal to 127."};
        if (auto fault = readNumberBox(state.positionText, box, value)) {
            return *fault;
        }
    }
    if (state.kind == MatchKind::LastPosition) {
        int n = 0;
        if (state.minus) {
            const NumberBox box = {"txtLastPos", "Please input last position minus value.",
                                   "Value must be greater than or equal to 1.",
                                   "Value must be less than or equal to 127."};
            if (auto fault = readNumberBox(state.minusText, box, n)) {
                return *fault;
            }
        }
        if (!state.matchString.empty()) {
            // The string starts n characters before the last one, so it
            // cannot be longer than n + 1.
            std::array<std::uint8_t, kFormulaStringCapacity> bytes{};
            const int count = ParseKeySequence(state.matchString, bytes, true, false);
            if (count > n + 1) {
                return refuse("Match string too long.", {});
            }
        }
    }
    if (state.matchString.empty()) {
        return refuse("Please input match string.", "txtMatchStr");
    }
    if (auto fault = CheckMatchString(state.matchString)) {
        return refuse(*fault, "txtMatchStr");
    }
    return {true, {}, {}};
}

MatchQualifier MatchFromDialog(const MatchDialogState& state) {
    MatchQualifier match;
    match.empty = false;
    match.kind = state.kind;
    if (state.kind == MatchKind::AtPosition) {
        match.position = byteOf(state.positionText);
    }
    if (state.kind == MatchKind::LastPosition && state.minus) {
        match.lastMinus = minusOffset(state.minusText);
    }
    match.matchString = state.matchString;
    return match;
}

// --- Output string dialog ------------------------------------------------

OutputDialogState OutputDialogFromRecord(const OutputString& output) {
    if (output.empty || output.start.empty || output.end.empty) {
        return {};
    }
    return {specDialogFromRecord(output.start), specDialogFromRecord(output.end)};
}

DialogCheck CheckOutputDialog(const OutputDialogState& state) {
    if (auto fault = checkSpec(state.start, kStartBoxes)) {
        return *fault;
    }
    if (auto fault = checkSpec(state.end, kEndBoxes)) {
        return *fault;
    }
    if (auto fault = CheckOutputSpec(OutputFromDialog(state))) {
        return refuse(*fault, kEndBoxes.number.focus);
    }
    return {true, {}, {}};
}

OutputString OutputFromDialog(const OutputDialogState& state) {
    OutputString output;
    output.empty = false;
    output.kind = OutputKind::FromOriginal;
    output.start = specFromDialog(state.start);
    output.end = specFromDialog(state.end);
    return output;
}

std::optional<std::string> CheckMatchString(std::string_view text) {
    return CheckFormulaString(text, true, false);
}

std::optional<std::string> CheckLiteralString(std::string_view text) {
    return CheckFormulaString(text, false, true);
}

// --- Track output sequence dialog ----------------------------------------

std::vector<TrackSource> TrackSources(int track) {
    std::vector<TrackSource> sources;
    const std::uint16_t last = LastTrackField(track);
    if (last != 0) {
        // "All Information" comes after the single fields.
        for (std::uint16_t code = kFirstTrackField + 1; code <= last; ++code) {
            sources.push_back({TrackFieldName(code, track), code});
        }
        sources.push_back({TrackFieldName(kFirstTrackField, track), kFirstTrackField});
    }
    sources.push_back({"Delimiter/Text", kTrackLiteral});
    return sources;
}

std::string TrackDialogCaption(int track) {
    return "Track " + std::to_string(track) + " Output Sequence";
}

std::string TrackHelpTopic(int track) {
    return "::/html/deftrack" + std::to_string(track) + ".htm";
}

std::optional<std::string> CheckTrackDelimiter(std::string_view text) {
    std::array<std::uint8_t, 256> bytes{};
    const int count = ParseKeySequence(text, bytes, false, true);
    if (count > 0 &&
        std::find(bytes.begin(), bytes.begin() + count, 0xFF) != bytes.begin() + count) {
        return "The code <FF> cannot be used in a delimiter: the reader takes it for the end of "
               "the output sequence.";
    }
    return std::nullopt;
}

std::optional<std::string> CheckFormulaByDialogRules(const Formula& formula) {
    for (const MatchQualifier& match : formula.matches) {
        const DialogCheck check = CheckMatchDialog(MatchDialogFromRecord(match));
        if (!check.accepted) {
            return check.message;
        }
    }
    for (const OutputString& output : formula.outputs) {
        if (output.kind != OutputKind::FromOriginal) {
            if (auto fault = CheckLiteralString(output.literal)) {
                return fault;
            }
            continue;
        }
        const DialogCheck check = CheckOutputDialog(OutputDialogFromRecord(output));
        if (!check.accepted) {
            return check.message;
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckTrackSequence(const TrackOutputSequence& sequence, int track) {
    for (const TrackSequenceEntry& entry : sequence) {
        if (entry.code == kTrackLiteral) {
            if (auto fault = CheckTrackDelimiter(entry.text)) {
                return fault;
            }
        }
    }
    if (!EncodeTrackSequence(sequence, track)) {
        return TrackSequenceTooLongText(track);
    }
    return std::nullopt;
}

}  // namespace magtune::dataedit
