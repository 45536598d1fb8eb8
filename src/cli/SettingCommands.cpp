#include "cli/SettingCommands.h"

#include <optional>
#include <utility>

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "dataedit/FormulaCommands.h"
#include "dataedit/FormulaDialogRules.h"
#include "dataedit/FormulaTextReader.h"
#include "dataedit/TrackSequence.h"
#include "platform/FileSystem.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingDifferences.h"
#include "settings/StringInputRules.h"

namespace magtune::cli {
namespace {

void ExpectArgs(const std::vector<std::string>& args, std::size_t count, const char* usage) {
    if (args.size() != count) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
}

// "GROUP/LABEL": the group is everything before the first "/" (labels such
// as "ACK/NAK" contain slashes, group texts do not).
std::pair<std::string, std::string> SplitRowName(const std::string& name) {
    auto slash = name.find('/');
    if (slash == std::string::npos) {
        throw UsageError{"\"" + name + "\" is not GROUP/LABEL, for example \"RS232/Baud Rate\""};
    }
    return {name.substr(0, slash), name.substr(slash + 1)};
}

std::string GroupList() {
    std::string list;
    for (const auto& group : settings::SettingCatalogue) {
        list += list.empty() ? "" : ", ";
        list += group.text;
    }
    return list;
}

// The row of the property list that GROUP/LABEL names, formulas included.
settings::PropertyRow FindPropertyRow(const settings::SettingStore& store,
                                      const std::string& name) {
    auto [group, label] = SplitRowName(name);
    if (settings::FindGroup(group) == nullptr) {
        throw UsageError{"unknown group \"" + group + "\"; the groups are " + GroupList()};
    }
    for (auto& row : settings::PropertyRows(group, store.settings)) {
        if (row.label == label && !row.placeholder) {
            return row;
        }
    }
    throw UsageError{"unknown row \"" + label + "\" in group \"" + group + "\"" +
                     " (magtune-cli show FILE lists the rows)"};
}

std::string ChoiceList(const settings::CatalogueRow& row) {
    std::string list;
    for (const char* text : row.valueTexts) {
        list += list.empty() ? "" : ", ";
        list += std::string("\"") + text + "\"";
    }
    return list;
}

// Messages of the string input check become the command's error. A
// question (formulas that would be dropped) is printed as a warning and
// answered Yes: the command line asked for the change.
class CapturePrompter : public common::Prompter {
  public:
    explicit CapturePrompter(common::Prompter* console = nullptr) : console_(console) {}

    std::string text;
    common::Answer show(const common::Message& message) override {
        if (message.icon == common::MessageIcon::Question && console_ != nullptr) {
            console_->warning(message.text);
            return common::Answer::Yes;
        }
        text += (text.empty() ? "" : " ") + message.text;
        return message.defaultButton;
    }
    void beep() override {}

  private:
    common::Prompter* console_;
};

void AssignTrack(settings::SettingStore& store, settings::TrackSequenceSetting& setting,
                 const std::string& name, const std::string& value) {
    dataedit::TrackTextResult read = dataedit::ReadTrackSequenceText(value, setting.track);
    if (!read.sequence) {
        throw UsageError{name + ": " + read.error + " in \"" + value + "\""};
    }
    if (auto fault = dataedit::CheckTrackSequence(*read.sequence, setting.track)) {
        throw UsageError{name + ": " + *fault};
    }
    auto bytes = dataedit::EncodeTrackSequence(*read.sequence, setting.track);
    if (!bytes) {
        throw UsageError{name + ": " + dataedit::TrackSequenceTooLongText(setting.track)};
    }
    if (*read.sequence != setting.current || *bytes != setting.image) {
        store.Modified = true;
    }
    setting.current = *read.sequence;
    setting.image = *bytes;
}

void Assign(settings::SettingStore& store, const std::string& assignment) {
    auto equals = assignment.find('=');
    if (equals == std::string::npos) {
        throw UsageError{"\"" + assignment + "\" is not GROUP/LABEL=VALUE"};
    }
    std::string name = assignment.substr(0, equals);
    std::string value = assignment.substr(equals + 1);
    settings::PropertyRow row = FindPropertyRow(store, name);
    const auto [group, label] = SplitRowName(name);

    switch (row.editor) {
        case settings::EditorKind::ValueEditor: {
            const settings::CatalogueRow& catalogueRow = *row.row;
            for (std::size_t i = 0; i < catalogueRow.valueTexts.size(); ++i) {
                if (value == catalogueRow.valueTexts[i]) {
                    settings::SetChoice(store, catalogueRow, static_cast<std::int32_t>(i));
                    return;
                }
            }
            throw UsageError{name + ": unknown value \"" + value + "\"; one of " +
                             ChoiceList(catalogueRow)};
        }
        case settings::EditorKind::StringInput: {
            CapturePrompter capture;
            store.EditGroup = group;
            store.EditItem = label;
            if (!settings::AcceptStringInput(store, label, value, capture)) {
                throw UsageError{name + ": " +
                                 (capture.text.empty() ? "the value is refused" : capture.text)};
            }
            return;
        }
        case settings::EditorKind::TrackSequenceDialog:
            AssignTrack(store, store.settings.*(row.row->track), name, value);
            return;
        case settings::EditorKind::FormulaDialog:
            throw UsageError{name +
                             ": formulas change with magtune-cli formula add|delete|up|down"};
        case settings::EditorKind::None:
            break;
    }
    throw UsageError{name + " cannot be changed"};
}

void PrintRows(std::ostream& out, const settings::SettingStore& store, const std::string& group) {
    for (const auto& row : settings::PropertyRows(group, store.settings)) {
        out << "  " << row.label << '\t' << row.value << '\n';
    }
}

}  // namespace

int CommandNew(const std::vector<std::string>& args, std::ostream& /*out*/,
               common::Prompter& prompter) {
    ExpectArgs(args, 1, "new FILE");
    settings::SettingStore store;
    store.settings.ResetToDefaults();
    SaveSettingFile(args[0], store, prompter);
    return 0;
}

int CommandShow(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& prompter) {
    ExpectArgs(args, 1, "show FILE");
    settings::SettingStore store;
    LoadSettingFile(args[0], store, prompter);
    for (const auto& group : settings::SettingCatalogue) {
        out << group.text << '\n';
        PrintRows(out, store, group.text);
    }
    return 0;
}

int CommandGet(const std::vector<std::string>& args, std::ostream& out,
               common::Prompter& prompter) {
    ExpectArgs(args, 2, "get FILE GROUP/LABEL");
    settings::SettingStore store;
    LoadSettingFile(args[0], store, prompter);
    out << FindPropertyRow(store, args[1]).value << '\n';
    return 0;
}

int CommandSet(const std::vector<std::string>& args, std::ostream& /*out*/,
               common::Prompter& prompter) {
    if (args.size() < 2) {
        throw UsageError{"usage: magtune-cli set FILE GROUP/LABEL=VALUE ..."};
    }
    settings::SettingStore store;
    LoadSettingFile(args[0], store, prompter);
    // All assignments are checked before anything is written: all or none.
    for (std::size_t i = 1; i < args.size(); ++i) {
        Assign(store, args[i]);
    }
    SaveSettingFile(args[0], store, prompter);
    return 0;
}

int CommandFormula(const std::vector<std::string>& args, std::ostream& /*out*/,
                   common::Prompter& prompter) {
    const char* usage = "formula add FILE TEXT | formula delete|up|down FILE N";
    if (args.size() != 3) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    const std::string& action = args[0];
    const std::string& path = args[1];
    settings::SettingStore store;
    LoadSettingFile(path, store, prompter);
    dataedit::DataEditing& data = store.settings.dataEditing;
    CapturePrompter capture(&prompter);
    dataedit::FormulaEditResult result;

    if (action == "add") {
        dataedit::FormulaTextResult read = dataedit::ReadFormulaText(args[2]);
        if (!read.formula) {
            throw UsageError{"formula: " + read.error + " in " + args[2]};
        }
        if (auto fault = dataedit::CheckFormulaByDialogRules(*read.formula)) {
            throw UsageError{"formula: " + *fault + " in " + args[2]};
        }
        result = dataedit::AddFormula(data, *read.formula, capture);
        if (!result.applied) {
            throw UsageError{capture.text.empty() ? "the formula was not added" : capture.text};
        }
    } else if (action == "delete" || action == "up" || action == "down") {
        std::size_t row = ParseRowNumber(args[2], "formula");
        if (row > data.formulas.size()) {
            throw UsageError{path + " has " + std::to_string(data.formulas.size()) +
                             " formula(s); there is no formula " + std::to_string(row)};
        }
        if (action == "delete") {
            result = dataedit::DeleteFormula(data, row, capture);
        } else if (action == "up") {
            result = dataedit::MoveFormulaUp(data, row, capture);
        } else {
            result = dataedit::MoveFormulaDown(data, row, capture);
        }
        if (!result.applied) {
            // Up on the first formula and down on the last change nothing.
            return 0;
        }
    } else {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    SaveSettingFile(path, store, prompter);
    return 0;
}

int CommandDiff(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& prompter) {
    ExpectArgs(args, 2, "diff FILE1 FILE2");
    settings::SettingStore first;
    settings::SettingStore second;
    LoadSettingFile(args[0], first, prompter);
    LoadSettingFile(args[1], second, prompter);
    const auto differences = settings::DifferingSettings(first, second);
    for (const auto& field : differences) {
        out << field.name << '\t' << field.first << '\t' << field.second << '\n';
    }
    return differences.empty() ? 0 : 1;
}

int CommandDump(const std::vector<std::string>& args, std::ostream& out,
                common::Prompter& /*prompter*/) {
    ExpectArgs(args, 1, "dump FILE");
    platform::SystemError error;
    auto bytes = platform::RealFileSystem().readFile(args[0], error);
    if (!bytes) {
        throw UsageError{"Failed to open " + args[0] + ". (" +
                         platform::SystemMessageText(error.code) + ")"};
    }
    if (bytes->size() != 256) {
        throw UsageError{args[0] +
                         ": Incorrect file format. A setting file holds exactly 256 bytes."};
    }
    const char* digits = "0123456789ABCDEF";
    for (std::size_t offset = 0; offset < bytes->size(); offset += 16) {
        out << digits[offset >> 4] << digits[offset & 0xF] << ':';
        for (std::size_t i = offset; i < offset + 16; ++i) {
            out << ' ' << digits[(*bytes)[i] >> 4] << digits[(*bytes)[i] & 0xF];
        }
        out << '\n';
    }
    return 0;
}

}  // namespace magtune::cli
