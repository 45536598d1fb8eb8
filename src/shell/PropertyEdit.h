#pragma once

#include <cstddef>
#include <string_view>

#include "common/Prompter.h"
#include "dataedit/FormulaCommands.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingStore.h"
#include "shell/PropertyEditors.h"

namespace magtune::shell {

// Opens the editor of a property list row of `group` (the property edit
// dispatch): EditGroup and EditItem name the row while the editor is open.
// Returns whether the value was accepted, after which the caller rebuilds
// the list. The placeholder row opens nothing.
bool EditProperty(settings::SettingStore& store, std::string_view group,
                  const settings::PropertyRow& row, PropertyEditors& editors,
                  common::Prompter& prompter);

// Stores an accepted track output sequence with its encoded image bytes;
// Modified is set when either changed. False (nothing stored) when the
// sequence does not fit the track's bytes.
bool StoreTrackSequence(settings::SettingStore& store, settings::TrackSequenceSetting& setting,
                        const dataedit::TrackOutputSequence& sequence);

// The Data Editing commands of the main window. `selectedRow` is the
// 1-based formula row selected in the list, 0 when none is (or the
// placeholder is). Each sets Modified when the formula memory changed; the
// result tells whether the list changed and which row to select.
dataedit::FormulaEditResult AddFormulaCommand(settings::SettingStore& store, std::string_view group,
                                              PropertyEditors& editors, common::Prompter& prompter);
// Asks "Delete " + row label + " ?" first (Yes/No, default No).
dataedit::FormulaEditResult DeleteFormulaCommand(settings::SettingStore& store,
                                                 std::size_t selectedRow,
                                                 common::Prompter& prompter);
dataedit::FormulaEditResult FormulaUpCommand(settings::SettingStore& store, std::size_t selectedRow,
                                             common::Prompter& prompter);
dataedit::FormulaEditResult FormulaDownCommand(settings::SettingStore& store,
                                               std::size_t selectedRow, common::Prompter& prompter);

}  // namespace magtune::shell
