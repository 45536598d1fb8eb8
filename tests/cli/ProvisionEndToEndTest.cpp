// magtune-cli provision against many simulated readers at once, each on a
// pseudo-terminal of its own behind a COM link.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/ChildProcess.h"
#include "support/JsonReader.h"

namespace magtune::cli {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Splits one CSV record; fields may be quoted, with "" for a quote.
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::vector<std::string> CsvLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class ProvisionEndToEnd : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string ports = folder.file("ports");
    std::string setting = folder.file("setting.cfg");
    std::vector<std::pair<std::string, std::string>> env = {
        {"MAGTUNE_REGISTRY_FILE", folder.file("registry.reg")},
        {"MAGTUNE_PORTS_DIR", ports},
    };

    void SetUp() override {
        fs::create_directory(ports);
        ASSERT_EQ(cli({"new", setting}).status, 0);
    }

    // Starts readers with `options`; true once their links are in place.
    bool startReaders(std::vector<std::string> options) {
        options.insert(options.begin(), MAGTUNE_READER_SIM_PATH);
        readers_.push_back(std::make_unique<test::ChildProcess>(options));
        return !readers_.back()->firstLine().empty();
    }

    test::ProgramRun cli(std::vector<std::string> args, std::chrono::milliseconds limit = 60000ms) {
        args.insert(args.begin(), MAGTUNE_CLI_PATH);
        return test::RunProgram(args, env, limit);
    }

    std::vector<std::unique_ptr<test::ChildProcess>> readers_;
};

TEST_F(ProvisionEndToEnd, SixteenReadersWithThreeFaultyOnes) {
    ASSERT_TRUE(
        startReaders({"--count", "16", "--link-dir", ports, "--reader", "3:silent", "--reader",
                      "5:nak", "--reader", "7:wrong-image", "--reader", "2:baud=2400"}));
    const std::string json = folder.file("report.json");
    const std::string csv = folder.file("report.csv");
    const test::ProgramRun run =
        cli({"provision", setting, "--com", "1-16", "--report", json, "--report", csv});
    ASSERT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_TRUE(test::Contains(run.out, "16 readers: 13 verified, 3 failed.")) << run.out;

    const auto report = test::JsonReader::Parse(test::ReadText(json));
    ASSERT_TRUE(report) << test::ReadText(json);
    EXPECT_EQ((*report)["setting"].text, setting);
    EXPECT_EQ((*report)["verified"].number, 13);
    EXPECT_EQ((*report)["failed"].number, 3);
    const auto& rows = (*report)["readers"].items;
    ASSERT_EQ(rows.size(), 16u);
    const std::string wrongImage =
        "Verify failed: Beeps and Delays/Beep Tone differs (the setting has \"Medium\", the "
        "reader \"High\").";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const test::JsonValue& row = rows[i];
        const std::string port = "COM" + std::to_string(i + 1);
        EXPECT_EQ(row["port"].text, port);
        EXPECT_TRUE(row["device"].text.starts_with("/dev/")) << port;
        const std::string expectedState = i == 2 || i == 4 || i == 6 ? "failed" : "verified";
        EXPECT_EQ(row["state"].text, expectedState) << port << ": " << row["message"].text;
        const std::string expectedMessage = i == 2   ? "Failed to connect to device."
                                            : i == 4 ? "Download setting failed."
                                            : i == 6 ? wrongImage
                                                     : "";
        EXPECT_EQ(row["message"].text, expectedMessage) << port;
        // The silent reader never answered, so no rate was found.
        EXPECT_EQ(row["baud"].number, i == 2 ? 0 : i == 1 ? 2400 : 9600) << port;
        EXPECT_EQ(row["duration_ms"].kind, test::JsonValue::Kind::Number) << port;
    }

    const auto lines = CsvLines(test::ReadText(csv));
    ASSERT_EQ(lines.size(), 17u) << test::ReadText(csv);
    EXPECT_EQ(lines[0], "port,device,baud,duration_ms,state,message");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = CsvFields(lines[i]);
        ASSERT_EQ(fields.size(), 6u) << lines[i];
        EXPECT_EQ(fields[0], rows[i - 1]["port"].text);
        EXPECT_EQ(fields[1], rows[i - 1]["device"].text);
        EXPECT_EQ(fields[4], rows[i - 1]["state"].text);
        EXPECT_EQ(fields[5], rows[i - 1]["message"].text) << "the quotes of the message survive";
    }
}

TEST_F(ProvisionEndToEnd, EveryReaderVerifiedEndsWithStatusZero) {
    ASSERT_TRUE(startReaders({"--count", "3", "--link-dir", ports}));
    // The other ports lead nowhere, whatever serial ports this machine has.
    for (int n = 4; n <= 32; ++n) {
        fs::create_symlink(folder.file("unplugged"), ports + "/COM" + std::to_string(n));
    }
    const test::ProgramRun byCom = cli({"provision", setting, "--all-ports"});
    EXPECT_EQ(byCom.status, 0) << byCom.out << byCom.err;
    EXPECT_TRUE(test::Contains(byCom.out, "3 readers: 3 verified, 0 failed.")) << byCom.out;
    // Not a terminal: one line per change, no cursor movement.
    EXPECT_FALSE(test::Contains(byCom.out, "\x1b["));
    EXPECT_TRUE(test::Contains(byCom.out, "COM2\tverified\t")) << byCom.out;

    const test::ProgramRun byPath = cli({"provision", setting, "--no-verify", "--port",
                                         fs::read_symlink(ports + "/COM1").string(),
                                         fs::read_symlink(ports + "/COM3").string()});
    EXPECT_EQ(byPath.status, 0) << byPath.out << byPath.err;
    EXPECT_TRUE(test::Contains(byPath.out, "2 readers: 2 downloaded, 0 failed.")) << byPath.out;
}

TEST_F(ProvisionEndToEnd, BadInputChangesNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* errorPart;
    } cases[] = {
        {{"--com", "8-1"}, "runs downwards"},
        {{"--com", "0"}, "there is no COM0"},
        {{"--com", "33"}, "there is no COM33"},
        {{"--com", "1,,2"}, "empty item"},
        {{"--com", "2,2"}, "COM2 is given twice"},
        {{"--com", "1-3", "--com", "2"}, "COM2 is given twice"},
        {{"--port", "/dev/null", "/dev/null"}, "/dev/null is given twice"},
        {{"--port"}, "--port needs a value"},
        {{}, "give the readers"},
        {{"--all-ports", "--com", "1"}, "leave out --com"},
        {{"--watch", "--usb", "all"}, "--watch watches serial ports"},
        {{"--com", "1", "--report"}, "--report needs a value"},
        {{"--com", "1", "--fast"}, "unknown option --fast"},
        // A report that cannot be written is refused before any reader.
        {{"--com", "1", "--report", folder.file("missing/r.json")}, "Failed to write the report"},
        {{"--com", "1", "--report", ports}, "Is a directory. No reader was provisioned."},
    };
    const std::string report = folder.file("r.json");
    for (const auto& c : cases) {
        std::vector<std::string> args = {"provision", setting};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::ProgramRun run = cli(args);
        EXPECT_EQ(run.status, 2) << c.errorPart << ": " << run.err;
        EXPECT_TRUE(test::Contains(run.err, c.errorPart)) << run.err;
    }
    const test::ProgramRun missing =
        cli({"provision", folder.file("missing.cfg"), "--com", "1", "--report", report});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(test::Contains(missing.err, "Failed to open")) << missing.err;
    EXPECT_FALSE(fs::exists(report));
}

TEST_F(ProvisionEndToEnd, WatchProvisionsReadersAsTheyAppear) {
    // The links are there but lead nowhere: the ports do not open yet.
    for (const char* name : {"COM1", "COM2"}) {
        fs::create_symlink(folder.file("unplugged"), ports + "/" + name);
    }
    const std::string json = folder.file("watch.json");
    test::ChildProcess watch(
        {MAGTUNE_CLI_PATH, "provision", setting, "--watch", "--com", "1-2", "--report", json}, env);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(startReaders({"--count", "2", "--link-dir", ports, "--reader", "2:nak"}));

    auto finished = [&] {
        const auto report = test::JsonReader::Parse(test::ReadText(json));
        return report && (*report)["verified"].number + (*report)["failed"].number == 2;
    };
    // Only a bound for a hang: a loaded machine may take its time.
    const auto end = std::chrono::steady_clock::now() + 90s;
    while (!finished() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(finished()) << test::ReadText(json);
    // Both stay plugged in: neither is provisioned a second time.
    std::this_thread::sleep_for(700ms);
    const auto status = watch.interrupt();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1) << watch.out() << watch.err();
    EXPECT_TRUE(test::Contains(watch.out(), "2 readers: 1 verified, 1 failed.")) << watch.out();
    const auto report = test::JsonReader::Parse(test::ReadText(json));
    ASSERT_TRUE(report);
    ASSERT_EQ((*report)["readers"].items.size(), 2u);
    EXPECT_EQ((*report)["readers"].items[1]["message"].text, "Download setting failed.");
    // Every port was let go: a single upload opens each again.
    const test::ProgramRun upload = cli({"upload", folder.file("back.cfg"), "--com", "1"});
    EXPECT_EQ(upload.status, 0) << upload.err;
}

// Ctrl+C while a reader tries the baud rates: the scan is given up at once,
// the reader has been sent nothing, and its port opens again.
TEST_F(ProvisionEndToEnd, CtrlCEndsAConnectScan) {
    ASSERT_TRUE(startReaders({"--count", "1", "--link-dir", ports, "--reader", "1:silent"}));
    const std::string json = folder.file("stopped.json");
    test::ChildProcess provision(
        {MAGTUNE_CLI_PATH, "provision", setting, "--com", "1", "--report", json}, env);
    // The row goes to "downloading" as the connect scan starts.
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!test::Contains(provision.out(), "COM1\tdownloading") && !provision.waitForExit(20ms) &&
           std::chrono::steady_clock::now() < end) {
    }
    ASSERT_TRUE(test::Contains(provision.out(), "COM1\tdownloading")) << provision.out();
    const auto status = provision.interrupt();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1) << provision.err();
    const auto report = test::JsonReader::Parse(test::ReadText(json));
    ASSERT_TRUE(report) << test::ReadText(json);
    const auto& rows = (*report)["readers"].items;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["state"].text, "failed");
    EXPECT_EQ(rows[0]["message"].text,
              "Stopped while connecting: nothing was written to the reader.");
    EXPECT_TRUE(test::Contains(provision.out(), "1 reader: 1 failed.")) << provision.out();
    // The port was let go.
    const test::ProgramRun again = cli({"provision", setting, "--com", "1", "--no-verify"});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(test::Contains(again.out, "Failed to connect to device."))
        << again.out << again.err;
}

}  // namespace
}  // namespace magtune::cli
