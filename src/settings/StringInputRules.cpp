#include "settings/StringInputRules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dataedit/KeyNotation.h"

namespace magtune::settings {
namespace {

// One rule of the dialog. A rule with a target checks one key byte and
// stores it; the others check a sequence of at most `capacity` bytes.
struct StringInputRule {
    const char* group;
    const char* label;
    std::size_t capacity;
    bool allowWildcards;
    bool allowDelay;
    KeyByteSetting DeviceSettings::*target;
};

constexpr StringInputRule kRules[] = {
    {"Data Editing", "Match String", 158, true, false, nullptr},
    {"Data Editing", "New Modifier", 158, false, true, nullptr},
    {"RS232", "Receive Terminator", 1, false, false, &DeviceSettings::ReceiveTerminator},
    {"Magnetic Reader", "Separator Character", 1, false, true, &DeviceSettings::SeparatorCharacter},
    {"Magnetic Reader", "Track 1 Output Sequence", 16, false, true, nullptr},
    {"Magnetic Reader", "Track 2 Output Sequence", 8, false, true, nullptr},
};

constexpr const char* kBadInput = "Bad input. Please check length and syntax.";

const StringInputRule* FindRule(std::string_view group, std::string_view label) {
    for (const auto& rule : kRules) {
        if (group == rule.group && label == rule.label) {
            return &rule;
        }
    }
    return nullptr;
}

bool StoreKeyByte(SettingStore& store, const StringInputRule& rule, std::string_view text,
                  common::Prompter& prompter) {
    auto byte = dataedit::ParseKeyByte(text, rule.allowWildcards, rule.allowDelay);
    if (!byte) {
        prompter.warning(kBadInput);
        return false;
    }
    KeyByteSetting& setting = store.settings.*rule.target;
    setting.currentText = std::string(text);
    if (setting.byte != *byte) {
        setting.byte = *byte;
        store.Modified = true;
    }
    return true;
}

bool CheckSequence(const StringInputRule& rule, std::string_view text, common::Prompter& prompter) {
    std::vector<std::uint8_t> bytes(rule.capacity);
    int count = dataedit::ParseKeySequence(text, bytes, rule.allowWildcards, rule.allowDelay);
    if (count == dataedit::kKeySyntaxError) {
        prompter.warning(kBadInput);
        return false;
    }
    if (count == dataedit::kKeyTooLong) {
        prompter.warning(dataedit::KeySequenceTooLongText(rule.capacity));
        return false;
    }
    return count >= 1;
}

// The track output sequence dialog asks for its literal delimiters under the
// label "Delimiter/Text" while EditItem names the track being edited; the
// track's own rule (16 bytes for track 1, 8 for track 2) applies.
const StringInputRule* RuleFor(const SettingStore& store, std::string_view inputLabel) {
    if (store.EditGroup == "Magnetic Reader" && inputLabel == "Delimiter/Text") {
        const StringInputRule* track = FindRule(store.EditGroup, store.EditItem);
        return track && !track->target ? track : nullptr;
    }
    return FindRule(store.EditGroup, inputLabel);
}

}  // namespace

bool AcceptStringInput(SettingStore& store, std::string_view inputLabel, std::string_view text,
                       common::Prompter& prompter) {
    const StringInputRule* rule = RuleFor(store, inputLabel);
    if (!rule) {
        return false;
    }
    if (rule->target) {
        return StoreKeyByte(store, *rule, text, prompter);
    }
    return CheckSequence(*rule, text, prompter);
}

std::optional<std::string> StringInputDefault(const DeviceSettings& settings,
                                              std::string_view inputLabel) {
    for (const auto& rule : kRules) {
        if (rule.target && inputLabel == rule.label) {
            return (settings.*rule.target).defaultText;
        }
    }
    return std::nullopt;
}

}  // namespace magtune::settings
