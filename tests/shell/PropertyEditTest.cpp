#include "shell/PropertyEdit.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/FakePrompter.h"

namespace magtune::shell {
namespace {

// Records which editor a row opened and what it saw, and answers from a
// script (an empty script cancels).
class FakeEditors : public PropertyEditors {
  public:
    explicit FakeEditors(settings::SettingStore& store) : store_(store) {}

    std::vector<std::string> calls;  // editor, EditGroup, EditItem
    std::string keyText;
    dataedit::TrackOutputSequence trackOnOpen;
    dataedit::Formula formulaOnOpen;
    std::deque<bool> answers;
    std::function<void(dataedit::TrackOutputSequence&)> changeTrack;
    std::function<void(dataedit::Formula&)> changeFormula;

    bool editValue() override { return record("value"); }
    bool editKeyText(const std::string& text) override {
        keyText = text;
        return record("string");
    }
    bool editTrackSequence(int track, dataedit::TrackOutputSequence& sequence) override {
        trackOnOpen = sequence;
        bool ok = record("track" + std::to_string(track));
        if (ok && changeTrack) {
            changeTrack(sequence);
        }
        return ok;
    }
    bool editFormula(dataedit::Formula& formula) override {
        formulaOnOpen = formula;
        bool ok = record("formula");
        if (ok && changeFormula) {
            changeFormula(formula);
        }
        return ok;
    }

  private:
    bool record(const std::string& editor) {
        calls.push_back(editor + "|" + store_.EditGroup + "|" + store_.EditItem);
        if (answers.empty()) {
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    settings::SettingStore& store_;
};

dataedit::Formula Literal(const std::string& text) {
    dataedit::Formula f;
    f.empty = false;
    f.outputs.push_back({false, dataedit::OutputKind::Literal, text, {}, {}});
    return f;
}

class PropertyEditTest : public ::testing::Test {
  protected:
    settings::SettingStore store;
    test::FakePrompter prompter;
    FakeEditors editors{store};

    settings::PropertyRow rowOf(const std::string& group, const std::string& label) {
        for (auto& row : settings::PropertyRows(group, store.settings)) {
            if (row.label == label) {
                return row;
            }
        }
        ADD_FAILURE() << "no row " << group << "/" << label;
        return {};
    }
    void setFormulas(const dataedit::FormulaList& formulas) {
        store.settings.dataEditing.formulas = formulas;
        ASSERT_TRUE(
            dataedit::CompileFormulas(formulas, store.settings.dataEditing.memory, prompter));
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (const auto& f : store.settings.dataEditing.formulas) {
            out.push_back(f.outputs.empty() ? "" : f.outputs[0].literal);
        }
        return out;
    }
};

TEST_F(PropertyEditTest, EachRowOpensItsEditorWithTheRowNamed) {
    setFormulas({Literal("A")});
    const struct {
        const char* group;
        const char* label;
        const char* call;
    } cases[] = {
        {"Beeps and Delays", "Beep Tone", "value|Beeps and Delays|Beep Tone"},
        {"Keyboard Wedge", "Language", "value|Keyboard Wedge|Language"},
        {"RS232", "Baud Rate", "value|RS232|Baud Rate"},
        {"RS232", "Receive Terminator", "string|RS232|Receive Terminator"},
        {"Magnetic Reader", "Separator Character", "string|Magnetic Reader|Separator Character"},
        {"Magnetic Reader", "Track 1 Output Sequence",
         "track1|Magnetic Reader|Track 1 Output Sequence"},
        {"Magnetic Reader", "Track 2 Output Sequence",
         "track2|Magnetic Reader|Track 2 Output Sequence"},
        {"Magnetic Reader", "Output Only When All Tracks Have Correct Data",
         "value|Magnetic Reader|Output Only When All Tracks Have Correct Data"},
        {"Data Editing", "Formula1", "formula|Data Editing|Formula1"},
    };
    for (const auto& c : cases) {
        editors.calls.clear();
        EXPECT_FALSE(EditProperty(store, c.group, rowOf(c.group, c.label), editors, prompter));
        EXPECT_EQ(editors.calls, std::vector<std::string>{c.call}) << c.label;
    }
    EXPECT_FALSE(store.Modified);
}

TEST_F(PropertyEditTest, PlaceholderRowOpensNothing) {
    const auto rows = settings::PropertyRows(settings::kDataEditingGroup, store.settings);
    ASSERT_EQ(rows.size(), 1u);
    editors.answers = {true};
    EXPECT_FALSE(EditProperty(store, settings::kDataEditingGroup, rows[0], editors, prompter));
    EXPECT_TRUE(editors.calls.empty());
    EXPECT_TRUE(store.EditItem.empty());
}

TEST_F(PropertyEditTest, StringInputStartsFromTheCurrentKeyText) {
    store.settings.SeparatorCharacter.currentText = "<t>";
    editors.answers = {true};
    EXPECT_TRUE(EditProperty(store, "Magnetic Reader",
                             rowOf("Magnetic Reader", "Separator Character"), editors, prompter));
    EXPECT_EQ(editors.keyText, "<t>");
}

TEST_F(PropertyEditTest, AcceptedTrackSequenceIsStoredWithItsBytes) {
    editors.answers = {true};
    editors.changeTrack = [](dataedit::TrackOutputSequence& s) { s = {{0x31, ""}, {0, "="}}; };
    ASSERT_TRUE(EditProperty(store, "Magnetic Reader",
                             rowOf("Magnetic Reader", "Track 2 Output Sequence"), editors,
                             prompter));
    const auto& track = store.settings.Track2OutputSequence;
    EXPECT_EQ(track.current, (dataedit::TrackOutputSequence{{0x31, ""}, {0, "="}}));
    EXPECT_EQ(track.image, dataedit::EncodeTrackSequence(track.current, 2).value());
    EXPECT_EQ(track.image.size(), 8u);
    EXPECT_TRUE(store.Modified);
    EXPECT_TRUE(store.settings.Track1OutputSequence.current.empty());
}

TEST_F(PropertyEditTest, TrackSequenceAcceptedUnchangedLeavesModifiedAlone) {
    editors.answers = {true};
    ASSERT_TRUE(EditProperty(store, "Magnetic Reader",
                             rowOf("Magnetic Reader", "Track 1 Output Sequence"), editors,
                             prompter));
    EXPECT_FALSE(store.Modified);
}

TEST_F(PropertyEditTest, TrackSequenceTooLongForItsBytesIsNotStored) {
    const auto before = store.settings.Track2OutputSequence;
    editors.answers = {true};
    editors.changeTrack = [](dataedit::TrackOutputSequence& s) { s = {{0, "123456789"}}; };
    EXPECT_FALSE(EditProperty(store, "Magnetic Reader",
                              rowOf("Magnetic Reader", "Track 2 Output Sequence"), editors,
                              prompter));
    EXPECT_EQ(store.settings.Track2OutputSequence.current, before.current);
    EXPECT_EQ(store.settings.Track2OutputSequence.image, before.image);
    EXPECT_FALSE(store.Modified);
}

TEST_F(PropertyEditTest, FormulaRowEditsAWorkingCopyOfItsFormula) {
    setFormulas({Literal("A"), Literal("B")});
    editors.answers = {true};
    editors.changeFormula = [](dataedit::Formula& f) { f = Literal("C"); };
    ASSERT_TRUE(EditProperty(store, settings::kDataEditingGroup,
                             rowOf(settings::kDataEditingGroup, "Formula2"), editors, prompter));
    EXPECT_EQ(editors.formulaOnOpen, Literal("B"));
    EXPECT_EQ(labels(), (std::vector<std::string>{"A", "C"}));
    EXPECT_TRUE(store.Modified);
}

TEST_F(PropertyEditTest, FormulaEditThatDoesNotFitRestoresTheFormula) {
    setFormulas({Literal(std::string(140, 'x')), Literal("B")});
    const auto memory = store.settings.dataEditing.memory;
    editors.answers = {true};
    editors.changeFormula = [](dataedit::Formula& f) { f = Literal(std::string(30, 'y')); };
    EXPECT_FALSE(EditProperty(store, settings::kDataEditingGroup,
                              rowOf(settings::kDataEditingGroup, "Formula2"), editors, prompter));
    EXPECT_EQ(labels(), (std::vector<std::string>{std::string(140, 'x'), "B"}));
    EXPECT_EQ(store.settings.dataEditing.memory, memory);
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(PropertyEditTest, AddFormulaAppendsWhatTheDialogAccepted) {
    editors.answers = {true, false};
    editors.changeFormula = [](dataedit::Formula& f) { f = Literal("A"); };
    dataedit::FormulaEditResult result =
        AddFormulaCommand(store, settings::kDataEditingGroup, editors, prompter);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(editors.formulaOnOpen, dataedit::Formula{});
    EXPECT_EQ(editors.calls, std::vector<std::string>{"formula|Data Editing|"});
    EXPECT_EQ(labels(), std::vector<std::string>{"A"});
    EXPECT_TRUE(store.Modified);

    store.Modified = false;
    result = AddFormulaCommand(store, settings::kDataEditingGroup, editors, prompter);
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(labels(), std::vector<std::string>{"A"});
    EXPECT_FALSE(store.Modified);
}

TEST_F(PropertyEditTest, AddFormulaThatDoesNotFitLeavesListAndMemory) {
    setFormulas({Literal(std::string(150, 'x'))});
    const auto memory = store.settings.dataEditing.memory;
    editors.answers = {true};
    editors.changeFormula = [](dataedit::Formula& f) { f = Literal("0123456789"); };
    EXPECT_FALSE(AddFormulaCommand(store, settings::kDataEditingGroup, editors, prompter).applied);
    EXPECT_EQ(labels(), std::vector<std::string>{std::string(150, 'x')});
    EXPECT_EQ(store.settings.dataEditing.memory, memory);
    EXPECT_FALSE(store.Modified);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "Memory space for data editing is full. Please reduce formulas or shorten "
              "formula expressions.");
}

TEST_F(PropertyEditTest, DeleteAsksFirstAndSelectsTheRowThatTookItsPlace) {
    const struct {
        std::size_t row;
        common::Answer answer;
        std::vector<std::string> left;
        std::size_t select;
    } cases[] = {
        {1, common::Answer::Yes, {"B", "C"}, 1},
        {2, common::Answer::Yes, {"A", "C"}, 2},
        {3, common::Answer::Yes, {"A", "B"}, 2},
        {2, common::Answer::No, {"A", "B", "C"}, 0},
    };
    for (const auto& c : cases) {
        setFormulas({Literal("A"), Literal("B"), Literal("C")});
        store.Modified = false;
        prompter.clear();
        prompter.answers = {c.answer};
        const dataedit::FormulaEditResult result = DeleteFormulaCommand(store, c.row, prompter);
        ASSERT_EQ(prompter.messages.size(), 1u);
        const common::Message& question = prompter.messages[0];
        EXPECT_EQ(question.text, "Delete Formula" + std::to_string(c.row) + " ?");
        EXPECT_EQ(question.caption, "Magtune Reader");
        EXPECT_EQ(question.icon, common::MessageIcon::Question);
        EXPECT_EQ(question.buttons, common::MessageButtons::YesNo);
        EXPECT_EQ(question.defaultButton, common::Answer::No);
        EXPECT_EQ(labels(), c.left) << c.row;
        EXPECT_EQ(result.selectRow, c.select) << c.row;
        EXPECT_EQ(store.Modified, c.answer == common::Answer::Yes);
    }
}

TEST_F(PropertyEditTest, DeleteWithoutASelectedFormulaAsksNothing) {
    setFormulas({Literal("A")});
    for (std::size_t row : {0u, 2u}) {
        EXPECT_FALSE(DeleteFormulaCommand(store, row, prompter).applied);
    }
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(labels(), std::vector<std::string>{"A"});
}

TEST_F(PropertyEditTest, UpAndDownMoveTheFormulaAndItsSelection) {
    const struct {
        bool up;
        std::size_t row;
        std::vector<std::string> order;
        std::size_t select;
    } cases[] = {
        {true, 2, {"B", "A", "C"}, 1},  {true, 3, {"A", "C", "B"}, 2},
        {true, 1, {"A", "B", "C"}, 0},  {false, 1, {"B", "A", "C"}, 2},
        {false, 3, {"A", "B", "C"}, 0}, {false, 0, {"A", "B", "C"}, 0},
    };
    for (const auto& c : cases) {
        setFormulas({Literal("A"), Literal("B"), Literal("C")});
        store.Modified = false;
        const dataedit::FormulaEditResult result = c.up
                                                       ? FormulaUpCommand(store, c.row, prompter)
                                                       : FormulaDownCommand(store, c.row, prompter);
        EXPECT_EQ(labels(), c.order) << c.up << c.row;
        EXPECT_EQ(result.selectRow, c.select) << c.up << c.row;
        EXPECT_EQ(store.Modified, c.select != 0);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace magtune::shell
