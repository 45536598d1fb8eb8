#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "cli/CliTestSupport.h"

namespace magtune::cli {
namespace {

// The image of a reader at its defaults, byte for byte.
std::vector<std::uint8_t> DefaultImage() {
    std::vector<std::uint8_t> image(256, 0xFF);
    const auto put = [&image](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(at));
    };
    put(0, {0x01, 0xA0, 0x00, 0x00, 0x65, 0x04, 0x84, 0x99, 0x2B, 0x48, 0x62, 0xDA, 0xD1, 0x19,
            0x0C, 0x00});
    // The code ids, one 0xFF, then the track lengths and a 0x00.
    put(58, {0x4D, 0x4D, 0x46, 0x41, 0xE0, 0x45, 0x49, 0x4E, 0x4B, 0x4C, 0x48, 0x4F, 0xFF, 0x54,
             0x44, 0x42, 0x50, 0x4A, 0x43});
    put(78, {0x00, 0x30, 0x0A, 0x40, 0x04, 0x30, 0x01, 0x40, 0x01, 0x10, 0x01, 0x30, 0x01, 0x30,
             0x03, 0x30, 0x00});
    return image;
}

const char* const kDefaultShow =
    "Beeps and Delays\n"
    "  Beep Tone\tMedium\n"
    "  InterBlock Delay\t10 ms\n"
    "  InterCharacter Delay\t1 ms\n"
    "Keyboard Wedge\n"
    "  Function Code\tYes\n"
    "  Caps-Lock\tAuto Trace\n"
    "  Language\tU.S.\n"
    "  Wand Emulation Output\tBar with High / Space with Low\n"
    "  Level Duration of Minimum Width\t200 \xC2\xB5s\n"
    "  Polarity of Idle Condition\tLow\n"
    "  Use Numeric Keypad\tNo\n"
    "RS232\n"
    "  Baud Rate\t9600\n"
    "  Parity\tNone\n"
    "  Data Bit\t8\n"
    "  Handshaking\tIgnore\n"
    "  ACK/NAK\tNo\n"
    "  BCC Character\tNo\n"
    "  Time Out\t1 second\n"
    "  Data Direction\tSend to Host\n"
    "  Receive Terminator\tNone\n"
    "Magnetic Reader\n"
    "  Terminator\tEnter\n"
    "  Send Start/Stop Sentinel\tYes\n"
    "  Track Selection\tAll Tracks\n"
    "  Track 2 Account Number Only\tNo\n"
    "  Output Only When All Tracks Have Correct Data\tNo\n"
    "  Separator Character\tNone\n"
    "  Track 1 Output Sequence\tNone\n"
    "  Track 2 Output Sequence\tNone\n"
    "Data Editing\n"
    "  (no formula defined)\t\n";

const char* const kExampleFormula = R"(IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER)";

class CliFiles : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string file = folder.file("x.cfg");
    void SetUp() override { ASSERT_EQ(test::Cli({"new", file}).status, 0); }
};

TEST_F(CliFiles, NewWritesTheDefaultImage) {
    EXPECT_EQ(test::ReadBytes(file), DefaultImage());
}

TEST_F(CliFiles, ShowListsEveryGroupAsTheWindowDoes) {
    test::CliResult r = test::Cli({"show", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kDefaultShow);
    EXPECT_EQ(r.err, "");
}

TEST_F(CliFiles, GetPrintsOneValueText) {
    struct Case {
        const char* row;
        const char* value;
    } cases[] = {
        {"RS232/Baud Rate", "9600\n"},
        {"RS232/ACK/NAK", "No\n"},
        {"Magnetic Reader/Send Start/Stop Sentinel", "Yes\n"},
        {"Beeps and Delays/Beep Tone", "Medium\n"},
    };
    for (const auto& c : cases) {
        test::CliResult r = test::Cli({"get", file, c.row});
        EXPECT_EQ(r.status, 0) << c.row << r.err;
        EXPECT_EQ(r.out, c.value) << c.row;
    }
}

TEST_F(CliFiles, SetChangesRowsAndGetReadsThemBack) {
    struct Case {
        const char* assignment;
        const char* row;
        const char* shown;
    } cases[] = {
        {"RS232/Baud Rate=19200", "RS232/Baud Rate", "19200"},
        {"Magnetic Reader/Output Only When All Tracks Have Correct Data=Yes",
         "Magnetic Reader/Output Only When All Tracks Have Correct Data", "Yes"},
        {"RS232/Receive Terminator=<r>", "RS232/Receive Terminator", "\"<r>\""},
        {"RS232/Receive Terminator=", "RS232/Receive Terminator", "None"},
        {"Magnetic Reader/Separator Character=<*>", "Magnetic Reader/Separator Character",
         "\"<*>\""},
        {"Magnetic Reader/Track 1 Output Sequence=<Account>\"=\"<ExpireYear>",
         "Magnetic Reader/Track 1 Output Sequence", "<Account>\"=\"<ExpireYear>"},
        {"Magnetic Reader/Track 2 Output Sequence=\"12\"<Discretion>",
         "Magnetic Reader/Track 2 Output Sequence", "\"12\"<Discretion>"},
        {"Magnetic Reader/Track 1 Output Sequence=None", "Magnetic Reader/Track 1 Output Sequence",
         "None"},
    };
    for (const auto& c : cases) {
        test::CliResult set = test::Cli({"set", file, c.assignment});
        ASSERT_EQ(set.status, 0) << c.assignment << ": " << set.err;
        test::CliResult get = test::Cli({"get", file, c.row});
        EXPECT_EQ(get.out, std::string(c.shown) + "\n") << c.assignment;
    }
}

TEST_F(CliFiles, SetWritesTheBitsOfTheImage) {
    ASSERT_EQ(
        test::Cli({"set", file, "RS232/Baud Rate=300", "RS232/Receive Terminator=<r>"}).status, 0);
    auto image = test::ReadBytes(file);
    EXPECT_EQ(image[4], 0x60);  // AimingTime 1, Parity 4, BaudRate 0
    EXPECT_EQ(image[57], 0x0D);
}

TEST_F(CliFiles, BadAssignmentsChangeNothing) {
    struct Case {
        std::vector<std::string> assignments;
        const char* message;
    } cases[] = {
        {{"RS232/Baud Rate=96000"}, "unknown value \"96000\""},
        {{"RS232/Baud Rate=19200", "RS232/Parity=Weird"}, "unknown value \"Weird\""},
        {{"Nowhere/Baud Rate=9600"}, "unknown group \"Nowhere\""},
        {{"RS232/Speed=9600"}, "unknown row \"Speed\""},
        {{"RS232/Receive Terminator=<*>"}, "Bad input. Please check length and syntax."},
        {{"Magnetic Reader/Separator Character=ab"}, "Bad input. Please check length and syntax."},
        {{"Magnetic Reader/Track 2 Output Sequence=<Account>\"123456789\""},
         "Definition cannot exceed 8 bytes limit. Please carefully design your output. at "
         "position 18"},
        {{"Magnetic Reader/Track 2 Output Sequence=<LastName>"}, "position"},
        {{"RS232/Baud Rate"}, "is not GROUP/LABEL=VALUE"},
    };
    const auto before = test::ReadBytes(file);
    for (const auto& c : cases) {
        std::vector<std::string> args = {"set", file};
        args.insert(args.end(), c.assignments.begin(), c.assignments.end());
        test::CliResult r = test::Cli(args);
        EXPECT_EQ(r.status, 2) << c.assignments.back();
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadBytes(file), before) << c.assignments.back();
    }
}

TEST_F(CliFiles, FormulasAreAddedMovedAndDeleted) {
    ASSERT_EQ(test::Cli({"formula", "add", file, kExampleFormula}).status, 0);
    ASSERT_EQ(test::Cli({"formula", "add", file, "IN_ID,20,ENTER"}).status, 0);
    EXPECT_EQ(test::Cli({"get", file, "Data Editing/Formula1"}).out,
              std::string(kExampleFormula) + "\n");
    auto image = test::ReadBytes(file);
    const std::vector<std::uint8_t> compiled = {0xC1, 0x15, 0xC2, 0x0A, 0x28, 0xC3, 0x01, 0xC5,
                                                0xC6, 0xC5, 0xC5, 0x49, 0x44, 0x3A, 0xC5, 0xC4,
                                                0x02, 0x05, 0xC8, 0xC1, 0x14, 0xC8};
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 96, image.begin() + 96 + 22), compiled);
    EXPECT_EQ(image[96 + 22], 0xFF);

    ASSERT_EQ(test::Cli({"formula", "up", file, "2"}).status, 0);
    EXPECT_EQ(test::Cli({"get", file, "Data Editing/Formula1"}).out, "IN_ID,20,ENTER\n");
    ASSERT_EQ(test::Cli({"formula", "down", file, "2"}).status, 0);  // the last: nothing to do
    ASSERT_EQ(test::Cli({"formula", "delete", file, "1"}).status, 0);
    EXPECT_EQ(test::Cli({"get", file, "Data Editing/Formula1"}).out,
              std::string(kExampleFormula) + "\n");
    ASSERT_EQ(test::Cli({"formula", "delete", file, "1"}).status, 0);
    EXPECT_EQ(test::ReadBytes(file), DefaultImage());
}

TEST_F(CliFiles, FormulaErrorsLeaveTheFileAlone) {
    const auto before = test::ReadBytes(file);
    test::CliResult bad = test::Cli({"formula", "add", file, "IN_ID,21,LEN,10"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("position"), std::string::npos) << bad.err;
    test::CliResult missing = test::Cli({"formula", "delete", file, "1"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(test::ReadBytes(file), before);
}

TEST_F(CliFiles, TypedFormulasAreHeldToTheDialogsRules) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"MATCH,<#>,\"AB\",ENTER", "Match string too long."},
        {"MATCH,<#>-0,\"A\",ENTER", "Value must be greater than or equal to 1."},
        {"O-STR,\"=\"+0,5,ENTER", "Offset must be greater than or equal to 1."},
    };
    const auto before = test::ReadBytes(file);
    for (const auto& c : cases) {
        test::CliResult r = test::Cli({"formula", "add", file, c.text});
        EXPECT_EQ(r.status, 2) << c.text;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadBytes(file), before);
    EXPECT_EQ(test::Cli({"formula", "add", file, "MATCH,<#>-1,\"AB\",ENTER"}).status, 0);
}

TEST_F(CliFiles, DroppingFormulasThatCouldNotBeReadIsTold) {
    auto image = test::ReadBytes(file);
    const std::vector<std::uint8_t> memory = {0xC1, 0x14, 0xC8, 0xC2, 0xC8};
    std::copy(memory.begin(), memory.end(), image.begin() + 96);
    test::WriteBytes(file, image);
    test::CliResult r = test::Cli({"formula", "add", file, "IN_ID,21,ENTER"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: 1 formula of this setting could not be read and is lost"),
              std::string::npos)
        << r.err;
    auto after = test::ReadBytes(file);
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 96, after.begin() + 103),
              (std::vector<std::uint8_t>{0xC1, 0x14, 0xC8, 0xC1, 0x15, 0xC8, 0xFF}));
}

TEST_F(CliFiles, DiffShowsBytesThatNoRowShowsButTheReaderReceives) {
    auto image = test::ReadBytes(file);
    const std::string other = folder.file("other.cfg");
    image[253] ^= 0x01;  // the memory's last byte: after every formula
    test::WriteBytes(other, image);
    test::CliResult r = test::Cli({"diff", file, other});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("FormulaMemory bytes after the last C8\t"), std::string::npos) << r.out;
}

TEST_F(CliFiles, AFormulaThatDoesNotFitGivesTheMemoryFullMessage) {
    // 17 + 2 + 2 + 1: each literal formula takes 22 bytes; seven take 154 of 158.
    std::string literal = "\"" + std::string(17, 'x') + "\",ENTER";
    for (int i = 0; i < 7; ++i) {
        ASSERT_EQ(test::Cli({"formula", "add", file, literal}).status, 0) << i;
    }
    const auto before = test::ReadBytes(file);
    test::CliResult full = test::Cli({"formula", "add", file, literal});
    EXPECT_EQ(full.status, 2);
    EXPECT_NE(full.err.find("Memory space for data editing is full. Please reduce formulas or "
                            "shorten formula expressions."),
              std::string::npos)
        << full.err;
    EXPECT_EQ(test::ReadBytes(file), before);
}

TEST_F(CliFiles, DiffNamesRowsAndOtherFields) {
    std::string other = folder.file("y.cfg");
    ASSERT_EQ(test::Cli({"new", other}).status, 0);
    EXPECT_EQ(test::Cli({"diff", file, other}).status, 0);

    ASSERT_EQ(test::Cli({"set", other, "RS232/Baud Rate=2400"}).status, 0);
    auto image = test::ReadBytes(other);
    image[7] ^= 0x01;  // Code39Enabled, which no row shows
    test::WriteBytes(other, image);
    test::CliResult r = test::Cli({"diff", file, other});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "RS232/Baud Rate\t9600\t2400\nCode39Enabled\t1\t0\n");
}

TEST_F(CliFiles, DumpPrintsSixteenBytesALine) {
    test::CliResult r = test::Cli({"dump", file});
    EXPECT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first, "00: 01 A0 00 00 65 04 84 99 2B 48 62 DA D1 19 0C 00");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 16);
}

TEST(CliErrors, BadFilesAndWordsExitWithStatusTwo) {
    test::TempFolder folder;
    std::string shortFile = folder.file("short.cfg");
    test::WriteBytes(shortFile, std::vector<std::uint8_t>(255, 0));
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"show", folder.file("missing.cfg")}, "Failed to open"},
        {{"show", shortFile}, "Incorrect file format."},
        {{"dump", shortFile}, "Incorrect file format."},
        {{"frobnicate"}, "unknown command"},
        {{"get", shortFile}, "usage:"},
    };
    for (const auto& c : cases) {
        test::CliResult r = test::Cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadBytes(shortFile).size(), 255u);
}

TEST(CliErrors, EveryCommandHasHelp) {
    for (const char* command : {"new", "show", "get", "set", "formula", "diff", "dump", "download",
                                "upload", "test", "prefs"}) {
        test::CliResult r = test::Cli({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_NE(r.out.find(std::string("usage: magtune-cli ") + command), std::string::npos)
            << command;
    }
    EXPECT_EQ(test::Cli({"--help"}).status, 0);
}

}  // namespace
}  // namespace magtune::cli
