#pragma once

#include <cstddef>
#include <string_view>

#include "common/Prompter.h"
#include "dataedit/FormulaCommands.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingStore.h"
#include "shell/PropertyEditors.h"

namespace magtune {

// Opens the editor of a property list row of `group` (the property edit
// dispatch): EditGroup and EditItem name the row while the editor is open.
// Returns whether the value was accepted, after which the caller rebuilds
// the list. The placeholder row opens nothing.
bool EditProperty(SettingStore& store, std::string_view group, const PropertyRow& row,
                  PropertyEditors& editors, Prompter& prompter);

// Stores an accepted track output sequence with its encoded image bytes;
// Modified is set when either changed. False (nothing stored) when the
// sequence does not fit the track's bytes.
bool StoreTrackSequence(SettingStore& store, TrackSequenceSetting& setting,
                        const TrackOutputSequence& sequence);

// The Data Editing commands of the main window. `selectedRow` is the
// 1-based formula row selected in the list, 0 when none is (or the
// placeholder is). Each sets Modified when the formula memory changed; the
// result tells whether the list changed and which row to select.
FormulaEditResult AddFormulaCommand(SettingStore& store, std::string_view group,
                                    PropertyEditors& editors, Prompter& prompter);
// Asks "Delete " + row label + " ?" first (Yes/No, default No).
FormulaEditResult DeleteFormulaCommand(SettingStore& store, std::size_t selectedRow,
                                       Prompter& prompter);
FormulaEditResult FormulaUpCommand(SettingStore& store, std::size_t selectedRow,
                                   Prompter& prompter);
FormulaEditResult FormulaDownCommand(SettingStore& store, std::size_t selectedRow,
                                     Prompter& prompter);

}  // namespace magtune
