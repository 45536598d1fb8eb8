#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/DeviceSettings.h"
#include "settings/SettingStore.h"

namespace magtune::settings {

// The dialog that a double-click or Enter on a row opens.
enum class EditorKind { None, ValueEditor, StringInput, TrackSequenceDialog, FormulaDialog };

// One row of a group as the property list shows it. Exactly one of the
// field pointers is set, matching the editor.
struct CatalogueRow {
    const char* label = "";
    EditorKind editor = EditorKind::None;
    ChoiceSetting DeviceSettings::*choice = nullptr;
    std::span<const char* const> valueTexts;  // by stored value, from 0
    KeyByteSetting DeviceSettings::*keyByte = nullptr;
    TrackSequenceSetting DeviceSettings::*track = nullptr;
};

// A group node of the tree. Data Editing has no fixed rows: its rows are the
// formulas (see PropertyRows).
struct CatalogueGroup {
    const char* text;
    std::span<const CatalogueRow> rows;
};

inline constexpr const char* kRootText = "Current Settings";
inline constexpr const char* kRootKey = "Root";
inline constexpr const char* kDataEditingGroup = "Data Editing";
inline constexpr const char* kNoFormulaLabel = "(no formula defined)";

// The five groups in tree order, each with its rows in list order.
extern const std::array<CatalogueGroup, 5> SettingCatalogue;

// A row of the property list, filled from the current values.
struct PropertyRow {
    std::string label;
    std::string value;
    EditorKind editor = EditorKind::None;
    bool placeholder = false;           // the "(no formula defined)" row: not editable
    std::size_t formulaRow = 0;         // 1-based position of a formula row
    const CatalogueRow* row = nullptr;  // the catalogue row of a setting
};

// Groups and rows are found by their display texts, exactly and with case.
const CatalogueGroup* FindGroup(std::string_view text);
const CatalogueRow* FindRow(std::string_view group, std::string_view label);

// The "Data" cell: the choice's text (empty for a value beyond the list),
// "None" or the key text in quotation marks, the track sequence text.
std::string ValueText(const CatalogueRow& row, const DeviceSettings& settings);

// A key text as the property list shows it: "None" when empty, otherwise
// the text in double quotation marks.
std::string KeyValueText(const std::string& keyText);

// The rows of a node; none for the root or an unknown text.
std::vector<PropertyRow> PropertyRows(std::string_view node, const DeviceSettings& settings);

// The first status bar panel for a node: "Current Settings\RS232".
std::string NodePath(std::string_view node);

// The Data Editing commands are usable while their group is selected.
bool FormulaCommandsEnabled(std::string_view node);

// Choice rows, for the value editor. Current and default are stored values;
// the current one may lie beyond the list (then nothing is selected).
std::int32_t CurrentChoice(const CatalogueRow& row, const DeviceSettings& settings);
std::int32_t DefaultChoice(const CatalogueRow& row, const DeviceSettings& settings);
// Stores an index of the row's list; Modified is set only when the value
// changes. Returns false (storing nothing) for an index outside the list or
// a row that is not a choice.
bool SetChoice(SettingStore& store, const CatalogueRow& row, std::int32_t index);

}  // namespace magtune::settings
