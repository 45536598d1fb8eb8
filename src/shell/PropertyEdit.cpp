#include "shell/PropertyEdit.h"

#include <string>

namespace magtune {

namespace {

FormulaEditResult NoteModified(SettingStore& store, FormulaEditResult result) {
    if (result.modified) {
        store.Modified = true;
    }
    return result;
}

bool EditFormulaRow(SettingStore& store, std::size_t formulaRow, PropertyEditors& editors,
                    Prompter& prompter) {
    DataEditing& data = store.settings.dataEditing;
    if (formulaRow < 1 || formulaRow > data.formulas.size()) {
        return false;
    }
    Formula edited = data.formulas[formulaRow - 1];
    if (!editors.editFormula(edited)) {
        return false;
    }
    // A list that no longer fits the memory keeps the formula as it was.
    return NoteModified(store, ReplaceFormula(data, formulaRow, edited, prompter)).applied;
}

}  // namespace

bool EditProperty(SettingStore& store, std::string_view group, const PropertyRow& row,
                  PropertyEditors& editors, Prompter& prompter) {
    if (row.placeholder || row.editor == EditorKind::None) {
        return false;
    }
    store.EditGroup = std::string(group);
    store.EditItem = row.label;
    switch (row.editor) {
        case EditorKind::ValueEditor:
            return editors.editValue();
        case EditorKind::StringInput:
            if (row.row == nullptr || row.row->keyByte == nullptr) {
                return false;
            }
            return editors.editKeyText((store.settings.*(row.row->keyByte)).currentText);
        case EditorKind::TrackSequenceDialog: {
            if (row.row == nullptr || row.row->track == nullptr) {
                return false;
            }
            TrackSequenceSetting& setting = store.settings.*(row.row->track);
            TrackOutputSequence edited = setting.current;
            return editors.editTrackSequence(setting.track, edited) &&
                   StoreTrackSequence(store, setting, edited);
        }
        case EditorKind::FormulaDialog:
            return EditFormulaRow(store, row.formulaRow, editors, prompter);
        case EditorKind::None:
            break;
    }
    return false;
}

bool StoreTrackSequence(SettingStore& store, TrackSequenceSetting& setting,
                        const TrackOutputSequence& sequence) {
    auto bytes = EncodeTrackSequence(sequence, setting.track);
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

FormulaEditResult AddFormulaCommand(SettingStore& store, std::string_view group,
                                    PropertyEditors& editors, Prompter& prompter) {
    store.EditGroup = std::string(group);
    Formula edited;
    if (!editors.editFormula(edited)) {
        return {};
    }
    return NoteModified(store, AddFormula(store.settings.dataEditing, edited, prompter));
}

FormulaEditResult DeleteFormulaCommand(SettingStore& store, std::size_t selectedRow,
                                       Prompter& prompter) {
    DataEditing& data = store.settings.dataEditing;
    if (selectedRow < 1 || selectedRow > data.formulas.size()) {
        return {};
    }
    const Answer answer = prompter.question("Delete " + FormulaRowLabel(selectedRow) + " ?",
                                            kApplicationTitle, MessageButtons::YesNo, Answer::No);
    if (answer != Answer::Yes) {
        return {};
    }
    return NoteModified(store, DeleteFormula(data, selectedRow, prompter));
}

FormulaEditResult FormulaUpCommand(SettingStore& store, std::size_t selectedRow,
                                   Prompter& prompter) {
    return NoteModified(store, MoveFormulaUp(store.settings.dataEditing, selectedRow, prompter));
}

FormulaEditResult FormulaDownCommand(SettingStore& store, std::size_t selectedRow,
                                     Prompter& prompter) {
    return NoteModified(store, MoveFormulaDown(store.settings.dataEditing, selectedRow, prompter));
}

}  // namespace magtune
