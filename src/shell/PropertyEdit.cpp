#include "shell/PropertyEdit.h"

#include <string>

namespace magtune::shell {

namespace {

dataedit::FormulaEditResult NoteModified(settings::SettingStore& store,
                                         dataedit::FormulaEditResult result) {
    if (result.modified) {
        store.Modified = true;
    }
    return result;
}

bool EditFormulaRow(settings::SettingStore& store, std::size_t formulaRow, PropertyEditors& editors,
                    common::Prompter& prompter) {
    dataedit::DataEditing& data = store.settings.dataEditing;
    if (formulaRow < 1 || formulaRow > data.formulas.size()) {
        return false;
    }
    dataedit::Formula edited = data.formulas[formulaRow - 1];
    if (!editors.editFormula(edited)) {
        return false;
    }
    // A list that no longer fits the memory keeps the formula as it was.
    return NoteModified(store, dataedit::ReplaceFormula(data, formulaRow, edited, prompter))
        .applied;
}

}  // namespace

bool EditProperty(settings::SettingStore& store, std::string_view group,
                  const settings::PropertyRow& row, PropertyEditors& editors,
                  common::Prompter& prompter) {
    if (row.placeholder || row.editor == settings::EditorKind::None) {
        return false;
    }
    store.EditGroup = std::string(group);
    store.EditItem = row.label;
    switch (row.editor) {
        case settings::EditorKind::ValueEditor:
            return editors.editValue();
        case settings::EditorKind::StringInput:
            if (row.row == nullptr || row.row->keyByte == nullptr) {
                return false;
            }
            return editors.editKeyText((store.settings.*(row.row->keyByte)).currentText);
        case settings::EditorKind::TrackSequenceDialog: {
            if (row.row == nullptr || row.row->track == nullptr) {
                return false;
            }
            settings::TrackSequenceSetting& setting = store.settings.*(row.row->track);
            dataedit::TrackOutputSequence edited = setting.current;
            return editors.editTrackSequence(setting.track, edited) &&
                   StoreTrackSequence(store, setting, edited);
        }
        case settings::EditorKind::FormulaDialog:
            return EditFormulaRow(store, row.formulaRow, editors, prompter);
        case settings::EditorKind::None:
            break;
    }
    return false;
}

bool StoreTrackSequence(settings::SettingStore& store, settings::TrackSequenceSetting& setting,
                        const dataedit::TrackOutputSequence& sequence) {
    auto bytes = dataedit::EncodeTrackSequence(sequence, setting.track);
    if (!bytes) {
        return false;
    }
    if (sequence != setting.current || *bytes != setting.image) {
        store.Modified = true;
    }
    setting.current = sequence;
    setting.image = std::move(*bytes);
    return true;
}

dataedit::FormulaEditResult AddFormulaCommand(settings::SettingStore& store, std::string_view group,
                                              PropertyEditors& editors,
                                              common::Prompter& prompter) {
    store.EditGroup = std::string(group);
    dataedit::Formula edited;
    if (!editors.editFormula(edited)) {
        return {};
    }
    return NoteModified(store, dataedit::AddFormula(store.settings.dataEditing, edited, prompter));
}

dataedit::FormulaEditResult DeleteFormulaCommand(settings::SettingStore& store,
                                                 std::size_t selectedRow,
                                                 common::Prompter& prompter) {
    dataedit::DataEditing& data = store.settings.dataEditing;
    if (selectedRow < 1 || selectedRow > data.formulas.size()) {
        return {};
    }
    const common::Answer answer = prompter.question(
        "Delete " + dataedit::FormulaRowLabel(selectedRow) + " ?", common::kApplicationTitle,
        common::MessageButtons::YesNo, common::Answer::No);
    if (answer != common::Answer::Yes) {
        return {};
    }
    return NoteModified(store, dataedit::DeleteFormula(data, selectedRow, prompter));
}

dataedit::FormulaEditResult FormulaUpCommand(settings::SettingStore& store, std::size_t selectedRow,
                                             common::Prompter& prompter) {
    return NoteModified(store,
                        dataedit::MoveFormulaUp(store.settings.dataEditing, selectedRow, prompter));
}

dataedit::FormulaEditResult FormulaDownCommand(settings::SettingStore& store,
                                               std::size_t selectedRow,
                                               common::Prompter& prompter) {
    return NoteModified(
        store, dataedit::MoveFormulaDown(store.settings.dataEditing, selectedRow, prompter));
}

}  // namespace magtune::shell
