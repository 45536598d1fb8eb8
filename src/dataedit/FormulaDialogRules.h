#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dataedit/Formula.h"
#include "dataedit/TrackSequence.h"

namespace magtune::dataedit {

// The rules behind the formula, match, output string and track sequence
// dialogs: what they show when they open, what they refuse on OK (in that
// order, with which message and which control to focus) and what they store.
// The dialogs hold no rule of their own; they copy their controls into the
// plain states below.

// The reader's formula memory holds positions, numbers of characters and
// lengths of 1..127 and counts of 0..127.
inline constexpr int kFormulaNumberLimit = 127;

// The outcome of an OK. Refused with an empty message means "stay open
// without a word" (a formula that defines nothing).
struct DialogCheck {
    bool accepted = false;
    std::string message;  // shown as an input error
    std::string focus;    // objectName of the control that gets the focus; empty: keep it
};

// A whole number: decimal digits with an optional leading "+" or "-", blanks
// around it trimmed. Values beyond the int range saturate (they are refused
// as out of range, not misread).
std::optional<int> ParseWholeNumber(std::string_view text);

// --- Formula dialog ------------------------------------------------------

struct InputIdRow {
    int id = 0;
    std::string text;
};

// The rows of the input id list: the sources this edition offers, and any
// other id that the formula already holds (a formula made for a scanner
// keeps its sources visible instead of losing them on OK).
std::vector<InputIdRow> InputIdRows(const Formula& formula);

struct FormulaDialogState {
    bool inputIdChecked = false;
    std::vector<int> selectedIds;
    bool lengthChecked = false;
    std::string minText;
    std::string maxText;
    bool matchChecked = false;
    std::size_t matchRows = 0;
    std::size_t outputCount = 0;
};

// The controls of a formula dialog that opens on this formula (outputs and
// match rows are the lists' business).
FormulaDialogState FormulaDialogFromRecord(const Formula& formula);
DialogCheck CheckFormulaDialog(const FormulaDialogState& state);
// After a passed check: input ids, length and the removal of matches. The
// outputs and the matches themselves were edited in place.
void StoreFormulaDialog(const FormulaDialogState& state, Formula& formula);

// --- Match dialog --------------------------------------------------------

struct MatchDialogState {
    std::int32_t kind = MatchKind::AtPosition;  // the selected option
    std::string positionText;                   // txtPos
    bool minus = false;                         // chkMinus
    std::string minusText;                      // txtLastPos
    std::string matchString;                    // txtMatchStr
};

MatchDialogState MatchDialogFromRecord(const MatchQualifier& match);
DialogCheck CheckMatchDialog(const MatchDialogState& state);
MatchQualifier MatchFromDialog(const MatchDialogState& state);

// --- Output string dialog ------------------------------------------------

// One side (start or end) of an output string dialog.
struct SpecDialogState {
    std::int32_t kind = SpecKind::Number;  // the selected option
    std::string numberText;                // txtStaFrom / txtEndNumber
    bool minus = false;                    // chkStaMinus / chkEndMinus
    std::string minusText;                 // txtStaMinus / txtEndMinus
    std::string matchString;               // txtStaMatch / txtEndMatch
    bool useOffset = false;                // chkStaOffset / chkEndOffset
    bool plus = true;                      // optStaPlus / optEndPlus
    std::string offsetText;                // txtStaOffset / txtEndOffset
};

struct OutputDialogState {
    SpecDialogState start;
    SpecDialogState end;
};

OutputDialogState OutputDialogFromRecord(const OutputString& output);
DialogCheck CheckOutputDialog(const OutputDialogState& state);
OutputString OutputFromDialog(const OutputDialogState& state);

// A string entered for a formula: refused when it holds a code that
// separates the parts of a formula in memory. Match strings use wildcards,
// literal output strings the delay code.
std::optional<std::string> CheckMatchString(std::string_view text);
std::optional<std::string> CheckLiteralString(std::string_view text);

// A whole formula that did not come through the dialogs (typed as text):
// the first message that the match and output string dialogs would show for
// one of its parts, so that it is held to the same rules.
std::optional<std::string> CheckFormulaByDialogRules(const Formula& formula);

// --- Track output sequence dialog ----------------------------------------

// A row of the "Sources Available:" list; code 0 is "Delimiter/Text".
struct TrackSource {
    std::string name;
    std::uint16_t code = 0;
};

std::vector<TrackSource> TrackSources(int track);
std::string TrackDialogCaption(int track);  // "Track 1 Output Sequence"
std::string TrackHelpTopic(int track);      // "::/html/deftrack1.htm"

// A delimiter that holds the byte 0xFF: the reader ends the sequence there,
// so it and everything after it would be lost.
std::optional<std::string> CheckTrackDelimiter(std::string_view text);
// OK of the track dialog: the byte limit of the track (and any delimiter the
// check above refuses).
std::optional<std::string> CheckTrackSequence(const TrackOutputSequence& sequence, int track);

}  // namespace magtune::dataedit
