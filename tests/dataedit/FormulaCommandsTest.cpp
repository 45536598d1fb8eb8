#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dataedit/FormulaCommands.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {
namespace {

// A formula for one input id: C1 id C8.
Formula forId(int id) {
    Formula f;
    f.empty = false;
    f.inputIds[id] = 1;
    return f;
}

Formula literal(const std::string& text) {
    Formula f;
    f.empty = false;
    f.outputs.push_back({false, OutputKind::Literal, text, {}, {}});
    return f;
}

FormulaMemory memoryOf(std::vector<std::uint8_t> bytes) {
    FormulaMemory memory;
    memory.fill(0xFF);
    std::copy(bytes.begin(), bytes.end(), memory.begin());
    return memory;
}

class FormulaCommands : public ::testing::Test {
  protected:
    // Three formulas: C1 14 C8, C1 15 C8, C1 16 C8.
    DataEditing threeFormulas() {
        DataEditing data;
        data.formulas = {forId(20), forId(21), forId(22)};
        EXPECT_TRUE(CompileFormulas(data.formulas, data.memory, prompter));
        return data;
    }
    test::FakePrompter prompter;
};

TEST_F(FormulaCommands, AddCompilesAndMarksModified) {
    DataEditing data;
    data.memory.fill(0xFF);
    const FormulaEditResult result = AddFormula(data, forId(20), prompter);
    EXPECT_TRUE(result.applied);
    EXPECT_TRUE(result.modified);
    EXPECT_EQ(data.formulas, FormulaList{forId(20)});
    EXPECT_EQ(data.memory, memoryOf({0xC1, 0x14, 0xC8}));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FormulaCommands, AddThatDoesNotFitChangesNothing) {
    DataEditing data;
    data.formulas = {literal(std::string(150, 'x'))};
    ASSERT_TRUE(CompileFormulas(data.formulas, data.memory, prompter));
    const DataEditing before = data;
    const FormulaEditResult result = AddFormula(data, literal(std::string(10, 'y')), prompter);
    EXPECT_FALSE(result.applied);
    EXPECT_FALSE(result.modified);
    EXPECT_EQ(data.formulas, before.formulas);
    EXPECT_EQ(data.memory, before.memory);
    ASSERT_EQ(prompter.texts(),
              std::vector<std::string>{"Memory space for data editing is full. Please reduce "
                                       "formulas or shorten formula expressions."});
}

TEST_F(FormulaCommands, ReplaceSetsModifiedOnlyWhenABytesChanges) {
    DataEditing data;
    data.formulas = {literal("A")};
    ASSERT_TRUE(CompileFormulas(data.formulas, data.memory, prompter));

    // Another spelling of the same bytes: the list takes it, the memory is as it was.
    FormulaEditResult result = ReplaceFormula(data, 1, literal("<41>"), prompter);
    EXPECT_TRUE(result.applied);
    EXPECT_FALSE(result.modified);
    EXPECT_EQ(data.formulas, FormulaList{literal("<41>")});

    result = ReplaceFormula(data, 1, literal("B"), prompter);
    EXPECT_TRUE(result.applied);
    EXPECT_TRUE(result.modified);
    EXPECT_EQ(data.memory, memoryOf({0xC5, 0x42, 0xC5, 0xC8}));

    const DataEditing before = data;
    result = ReplaceFormula(data, 1, literal(std::string(156, 'x')), prompter);
    EXPECT_FALSE(result.applied);
    EXPECT_EQ(data.formulas, before.formulas);
    EXPECT_EQ(data.memory, before.memory);
    EXPECT_EQ(prompter.messages.size(), 1u);

    for (std::size_t row : {0u, 2u}) {
        result = ReplaceFormula(data, row, literal("C"), prompter);
        EXPECT_FALSE(result.applied);
        EXPECT_EQ(data.formulas, before.formulas);
    }
}

TEST_F(FormulaCommands, DeleteSelectsTheRowThatTookItsPlace) {
    struct Case {
        std::size_t row;
        std::vector<int> ids;
        std::size_t select;
    };
    const std::vector<Case> cases = {
        {1, {21, 22}, 1},
        {2, {20, 22}, 2},
        {3, {20, 21}, 2},
    };
    for (const Case& c : cases) {
        DataEditing data = threeFormulas();
        const FormulaEditResult result = DeleteFormula(data, c.row, prompter);
        EXPECT_TRUE(result.applied);
        EXPECT_TRUE(result.modified);
        EXPECT_EQ(result.selectRow, c.select);
        EXPECT_EQ(data.formulas, (FormulaList{forId(c.ids[0]), forId(c.ids[1])}));
        EXPECT_EQ(data.memory, memoryOf({0xC1, static_cast<std::uint8_t>(c.ids[0]), 0xC8, 0xC1,
                                         static_cast<std::uint8_t>(c.ids[1]), 0xC8}));
    }

    DataEditing one;
    one.formulas = {forId(20)};
    ASSERT_TRUE(CompileFormulas(one.formulas, one.memory, prompter));
    const FormulaEditResult last = DeleteFormula(one, 1, prompter);
    EXPECT_TRUE(last.modified);
    EXPECT_EQ(last.selectRow, 0u);
    EXPECT_TRUE(one.formulas.empty());
    EXPECT_EQ(one.memory, memoryOf({}));

    DataEditing data = threeFormulas();
    EXPECT_FALSE(DeleteFormula(data, 4, prompter).applied);
    EXPECT_FALSE(DeleteFormula(data, 0, prompter).applied);
    EXPECT_EQ(data.formulas.size(), 3u);
}

TEST_F(FormulaCommands, MoveUpAndDown) {
    struct Case {
        bool up;
        std::size_t row;
        bool applied;
        std::vector<int> ids;
        std::size_t select;
    };
    const std::vector<Case> cases = {
        {true, 2, true, {21, 20, 22}, 1},   {true, 3, true, {20, 22, 21}, 2},
        {true, 1, false, {20, 21, 22}, 0},  {false, 1, true, {21, 20, 22}, 2},
        {false, 2, true, {20, 22, 21}, 3},  {false, 3, false, {20, 21, 22}, 0},
        {false, 0, false, {20, 21, 22}, 0}, {true, 4, false, {20, 21, 22}, 0},
    };
    for (const Case& c : cases) {
        DataEditing data = threeFormulas();
        const FormulaEditResult result =
            c.up ? MoveFormulaUp(data, c.row, prompter) : MoveFormulaDown(data, c.row, prompter);
        EXPECT_EQ(result.applied, c.applied) << c.up << c.row;
        EXPECT_EQ(result.modified, c.applied);
        EXPECT_EQ(result.selectRow, c.select);
        EXPECT_EQ(data.formulas, (FormulaList{forId(c.ids[0]), forId(c.ids[1]), forId(c.ids[2])}));
        std::vector<std::uint8_t> bytes;
        for (int id : c.ids) {
            bytes.insert(bytes.end(), {0xC1, static_cast<std::uint8_t>(id), 0xC8});
        }
        EXPECT_EQ(data.memory, memoryOf(bytes));
    }
}

TEST_F(FormulaCommands, RowLabel) {
    EXPECT_EQ(FormulaRowLabel(1), "Formula1");
    EXPECT_EQ(FormulaRowLabel(12), "Formula12");
}

TEST_F(FormulaCommands, AChangeThatWouldDropUnreadFormulasAsksFirst) {
    // C1 14 C8 reads; C2 C8 (a length without its numbers) does not.
    const FormulaMemory read = memoryOf({0xC1, 0x14, 0xC8, 0xC2, 0xC8});
    EXPECT_EQ(UnreadFormulaCount(read), 1u);
    const std::string question =
        "1 formula of this setting could not be read and is lost when the formulas are changed. "
        "Change them anyway?";
    using Command = std::function<FormulaEditResult(DataEditing&, common::Prompter&)>;
    const std::vector<std::pair<const char*, Command>> commands = {
        {"add", [](DataEditing& d, common::Prompter& p) { return AddFormula(d, forId(21), p); }},
        {"edit",
         [](DataEditing& d, common::Prompter& p) { return ReplaceFormula(d, 1, forId(22), p); }},
        {"delete", [](DataEditing& d, common::Prompter& p) { return DeleteFormula(d, 1, p); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        for (common::Answer answer : {common::Answer::No, common::Answer::Yes}) {
            DataEditing data;
            data.memory = read;
            data.formulas = {forId(20)};
            prompter.clear();
            prompter.answers = {answer};
            FormulaEditResult result = command(data, prompter);
            ASSERT_FALSE(prompter.messages.empty());
            EXPECT_EQ(prompter.messages[0].text, question);
            EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Question);
            EXPECT_EQ(prompter.messages[0].defaultButton, common::Answer::No);
            EXPECT_EQ(result.applied, answer == common::Answer::Yes);
            if (answer == common::Answer::No) {
                EXPECT_EQ(data.memory, read);
                EXPECT_EQ(data.formulas, FormulaList{forId(20)});
            } else {
                EXPECT_EQ(UnreadFormulaCount(data.memory), 0u);
            }
        }
    }
    // Without unread formulas nothing is asked.
    DataEditing clean = threeFormulas();
    prompter.clear();
    EXPECT_TRUE(AddFormula(clean, forId(23), prompter).applied);
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace magtune::dataedit
