#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/Prompter.h"
#include "settings/SettingStore.h"

namespace magtune::settings {

// The check of the character-string input dialog's OK, chosen by
// store.EditGroup and the input label. Refusals are told through the
// prompter ("Bad input. ...", "Input too long. ..."), except an empty
// sequence, which is refused without a word; a group and label with no rule
// are never accepted. An accepted "Receive Terminator" or "Separator
// Character" is stored: the text always, the byte (and Modified) only when
// the byte changes.
bool AcceptStringInput(SettingStore& store, std::string_view inputLabel, std::string_view text,
                       common::Prompter& prompter);

// The Default button's text: the setting's default text for "Receive
// Terminator" and "Separator Character", nothing for other labels.
std::optional<std::string> StringInputDefault(const DeviceSettings& settings,
                                              std::string_view inputLabel);

}  // namespace magtune::settings
