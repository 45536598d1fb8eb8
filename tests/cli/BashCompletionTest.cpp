#include <gtest/gtest.h>

#include "cli/BashCompletion.h"
#include "cli/CliTestSupport.h"

namespace magtune::cli {
namespace {

TEST(BashCompletion, OptionsAreTakenFromTheUsageText) {
    struct Case {
        const char* text;
        std::vector<std::string> options;
    } cases[] = {
        {"download FILE (--com N | --port DEVICE | (--wedge | --sim) [--retries N])",
         {"--com", "--port", "--wedge", "--sim", "--retries"}},
        {"--report r.json --report r.csv", {"--report"}},
        {"reader 1 of --sim-usb SOCKET, else --sim-wedge SOCKET.", {"--sim-usb", "--sim-wedge"}},
        {"a -- b, ---- and --1x", {"--1x"}},
        {"no options here", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OptionsNamedIn(c.text), c.options) << c.text;
    }
}

// What the installed script offers for a command line, run in bash with
// the two bash-completion helpers it calls stood in for: _filedir offers
// "<files>" or "<files:EXT>".
std::vector<std::string> Offered(const std::string& script, const std::vector<std::string>& words) {
    std::string line = "COMP_WORDS=(";
    for (const std::string& word : words) {
        line += BashQuoted(word) + " ";
    }
    line += ") COMP_CWORD=" + std::to_string(words.size() - 1) + "\n";
    const std::string program =
        "_init_completion() { words=(\"${COMP_WORDS[@]}\") cword=$COMP_CWORD;"
        " cur=${words[cword]} prev=${words[cword-1]}; }\n"
        "_filedir() { COMPREPLY=(\"<files${1:+:$1}>\"); }\n"
        "compopt() { :; }\n"
        "source " +
        script + "\n" + line + "_magtune_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
    const test::ProgramRun run =
        test::RunProgram({"/bin/bash", "-c", program}, {}, std::chrono::seconds(20));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> offered;
    std::istringstream lines(run.out);
    for (std::string word; std::getline(lines, word);) {
        if (!word.empty()) {
            offered.push_back(word);
        }
    }
    return offered;
}

bool Has(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

TEST(BashCompletion, OffersWhatEachCommandTakes) {
    test::TempFolder folder;
    const std::string script = folder.file("magtune-cli");
    const test::CliResult written = test::Cli({"--bash-completion"});
    ASSERT_EQ(written.status, 0);
    std::ofstream(script) << written.out;

    struct Case {
        std::vector<std::string> words;  // after "magtune-cli"; the last is under the cursor
        std::vector<std::string> offered;
        std::vector<std::string> notOffered;
    } cases[] = {
        {{"pr"}, {"provision", "prefs"}, {"show"}},
        {{"download", "a.cfg", "--s"}, {"--sim", "--sim-usb", "--sim-wedge"}, {"--seconds"}},
        {{"upload", "o.cfg", "--"}, {"--name", "--sim", "--retries", "--help"}, {"--verify"}},
        {{"provision", "x.cfg", "--"},
         {"--com", "--port", "--all-ports", "--usb", "--watch", "--no-verify", "--report"},
         {"--verify", "--sim"}},
        {{"test", "--"}, {"--com", "--seconds"}, {"--verify"}},
        {{"provision", "x.cfg", "--usb", ""}, {"all"}, {}},
        {{"provision", "x.cfg", "--report", ""}, {"<files>"}, {}},
        {{"download", "a.cfg", "--sim-usb", ""}, {"<files>"}, {}},
        {{"download", "--com", "1", ""}, {"<files:cfg>"}, {}},
        {{"upload", "--usb", "2", "--retries", "3", ""}, {"<files:cfg>"}, {}},
        {{"test", ""}, {}, {"<files:cfg>"}},
        {{"usb-list", ""}, {}, {"<files:cfg>"}},
        {{"help", "dow"}, {"download"}, {"<files:cfg>"}},
        {{"formula", ""}, {"add", "delete", "up", "down"}, {}},
        {{"formula", "add", ""}, {"<files:cfg>"}, {}},
        {{"diff", "a.cfg", ""}, {"<files:cfg>"}, {}},
        {{"get", "a.cfg", "RS232/Baud"}, {"RS232/Baud\\ Rate"}, {}},
        {{"set", "a.cfg", "RS232/Baud Rate=19"}, {"RS232/Baud\\ Rate=19200"}, {}},
        {{"download", "a.cfg", "--com", ""}, {"1", "32"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = {"magtune-cli"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        const std::vector<std::string> offered = Offered(script, words);
        std::string shown;
        for (const std::string& word : offered) {
            shown += word + " ";
        }
        for (const std::string& word : c.offered) {
            EXPECT_TRUE(Has(offered, word)) << c.words.front() << " ... " << c.words.back() << ": "
                                            << word << " missing from " << shown;
        }
        for (const std::string& word : c.notOffered) {
            EXPECT_FALSE(Has(offered, word)) << c.words.front() << " ... " << c.words.back() << ": "
                                             << word << " offered in " << shown;
        }
    }
}

}  // namespace
}  // namespace magtune::cli
