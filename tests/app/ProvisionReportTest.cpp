#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/ProvisionReport.h"
#include "app/ProvisionTargets.h"
#include "support/MemoryFileSystem.h"

namespace magtune::app {
namespace {

ProvisionResult Row(const std::string& port, ProvisionState state, std::string message = {},
                    std::string device = "/dev/pts/3") {
    ProvisionResult row;
    row.target.port = port;
    row.device = std::move(device);
    row.baudRate = 9600;
    row.durationMs = 1234;
    row.state = state;
    row.message = std::move(message);
    row.status = "Connecting to device ...";
    return row;
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(ProvisionReport, JsonKeepsEveryCharacterOfTheMessages) {
    const std::vector<ProvisionResult> rows = {
        Row("COM1", ProvisionState::Verified),
        Row("COM2", ProvisionState::Failed,
            "Verify failed: Output/Terminator differs (the setting has \"<r>\", the reader "
            "\"\\\").\n\ttab\x01"),
    };
    EXPECT_EQ(ProvisionJson("C:\\set\"a\".cfg", rows),
              "{\n"
              "  \"setting\": \"C:\\\\set\\\"a\\\".cfg\",\n"
              "  \"verified\": 1,\n"
              "  \"downloaded\": 0,\n"
              "  \"failed\": 1,\n"
              "  \"readers\": [\n"
              "    {\"port\": \"COM1\", \"device\": \"/dev/pts/3\", \"baud\": 9600, "
              "\"duration_ms\": 1234, \"state\": \"verified\", \"message\": \"\"},\n"
              "    {\"port\": \"COM2\", \"device\": \"/dev/pts/3\", \"baud\": 9600, "
              "\"duration_ms\": 1234, \"state\": \"failed\", \"message\": \"Verify failed: "
              "Output/Terminator differs (the setting has \\\"<r>\\\", the reader "
              "\\\"\\\\\\\").\\n\\ttab\\u0001\"}\n"
              "  ]\n"
              "}\n");
    EXPECT_EQ(ProvisionJson("s.cfg", {}),
              "{\n  \"setting\": \"s.cfg\",\n  \"verified\": 0,\n  \"downloaded\": 0,\n"
              "  \"failed\": 0,\n  \"readers\": []\n}\n");
}

TEST(ProvisionReport, CsvQuotesOnlyTheFieldsThatNeedIt) {
    const std::vector<ProvisionResult> rows = {
        Row("COM1", ProvisionState::Verified),
        Row("/dev/odd,name", ProvisionState::Failed, "say \"no\"\r\nagain", "/dev/odd,name"),
    };
    EXPECT_EQ(
        ProvisionCsv(rows),
        "port,device,baud,duration_ms,state,message\r\n"
        "COM1,/dev/pts/3,9600,1234,verified,\r\n"
        "\"/dev/odd,name\",\"/dev/odd,name\",9600,1234,failed,\"say \"\"no\"\"\r\nagain\"\r\n");
}

TEST(ProvisionReport, SummaryCountsEachState) {
    const struct {
        std::vector<ProvisionState> states;
        const char* summary;
    } cases[] = {
        {{}, "0 readers: 0 failed."},
        {{ProvisionState::Verified}, "1 reader: 1 verified, 0 failed."},
        {{ProvisionState::Downloaded, ProvisionState::Failed, ProvisionState::Downloading},
         "3 readers: 1 downloaded, 1 failed, 1 unfinished."},
        {{ProvisionState::Verified, ProvisionState::Downloaded, ProvisionState::Waiting,
          ProvisionState::Verifying},
         "4 readers: 1 verified, 1 downloaded, 0 failed, 2 unfinished."},
    };
    for (const auto& c : cases) {
        std::vector<ProvisionResult> rows;
        for (ProvisionState state : c.states) {
            rows.push_back(Row("COM1", state));
        }
        EXPECT_EQ(ProvisionSummary(rows), c.summary);
    }
}

TEST(ProvisionReport, WriteChoosesTheFormByTheNameAndKeepsAnOldReportOnFailure) {
    test::MemoryFileSystem files;
    const std::vector<ProvisionResult> rows = {Row("COM1", ProvisionState::Verified)};
    EXPECT_EQ(WriteProvisionReport(files, "/r/a.csv", "s.cfg", rows), "");
    EXPECT_EQ(Text(files.files.at("/r/a.csv")), ProvisionCsv(rows));
    EXPECT_EQ(WriteProvisionReport(files, "/r/a.json", "s.cfg", rows), "");
    EXPECT_EQ(Text(files.files.at("/r/a.json")), ProvisionJson("s.cfg", rows));
    // Any other name takes JSON, the form the command line writes by default.
    EXPECT_EQ(WriteProvisionReport(files, "/r/a.CSV.txt", "s.cfg", rows), "");
    EXPECT_EQ(Text(files.files.at("/r/a.CSV.txt")), ProvisionJson("s.cfg", rows));

    files.failWrites = ENOSPC;
    const std::string failure = WriteProvisionReport(files, "/r/a.csv", "s.cfg", {});
    EXPECT_TRUE(failure.starts_with("Failed to write the report /r/a.csv. (")) << failure;
    EXPECT_EQ(Text(files.files.at("/r/a.csv")), ProvisionCsv(rows));
}

TEST(ProvisionChoice, NamesTheTargetsOrTheFieldInError) {
    using Field = ProvisionChoiceField;
    const struct {
        ProvisionChoice choice;
        std::vector<std::string> ports;
        bool onlyThatOpen;
        Field field;
        const char* error;
    } cases[] = {
        {{true, "1-3, 12", false, "", false},
         {"COM1", "COM2", "COM3", "COM12"},
         false,
         Field::None,
         ""},
        {{true, "2", false, " /dev/ttyUSB0  /dev/ttyACM1 ", false},
         {"COM2", "/dev/ttyUSB0", "/dev/ttyACM1"},
         false,
         Field::None,
         ""},
        // All ports take the place of the list, even a broken one.
        {{true, "8-1", true, "", false}, {}, true, Field::None, ""},
        {{false, "8-1", false, "", true}, {}, false, Field::None, ""},
        {{true, "8-1", false, "", false},
         {},
         false,
         Field::ComList,
         "COM ports: \"8-1\": the range 8-1 runs downwards; write 1-8."},
        {{true, "1,1", false, "", false},
         {},
         false,
         Field::ComList,
         "COM ports: \"1,1\": COM1 is given twice."},
        {{false, "", false, "/dev/a /dev/a", false},
         {},
         false,
         Field::Devices,
         "Device paths: /dev/a is given twice."},
        {{false, "1", false, "  ", false},
         {},
         false,
         Field::Readers,
         "Choose the readers: COM ports, device paths or USB readers."},
    };
    for (const auto& c : cases) {
        const ProvisionTargetList list = ProvisionChoiceTargets(c.choice);
        EXPECT_EQ(list.error, c.error) << c.choice.comList;
        EXPECT_EQ(list.field, c.field) << c.choice.comList;
        EXPECT_EQ(list.onlyPortsThatOpen, c.onlyThatOpen) << c.choice.comList;
        EXPECT_EQ(list.usb, c.error[0] == '\0' && c.choice.usb);
        if (c.onlyThatOpen) {
            ASSERT_EQ(list.serial.size(), 32u);
            EXPECT_EQ(list.serial.back().port, "COM32");
            EXPECT_EQ(list.serial.back().comIndex, 31);
            continue;
        }
        std::vector<std::string> ports;
        for (const auto& target : list.serial) {
            ports.push_back(target.port);
            EXPECT_EQ(target.comIndex.has_value(), target.device.empty()) << target.port;
        }
        EXPECT_EQ(ports, c.ports) << c.choice.comList;
    }
}

}  // namespace
}  // namespace magtune::app
