#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimOptions.h"

namespace magtune::readersim {
namespace {

SimOptionsResult Parse(std::vector<std::string> args) {
    return ParseSimOptions(args);
}

TEST(SimOptions, DefaultsWithoutArguments) {
    const SimOptionsResult r = Parse({});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->baudRate, 9600u);
    EXPECT_FALSE(r.options->pace);
    EXPECT_FALSE(r.options->exitAfterTransfers);
    EXPECT_FALSE(r.options->faults.hangupAfter);
    EXPECT_EQ(r.options->faults.noiseBytes, 0u);
}

TEST(SimOptions, EveryOptionInBothSpellings) {
    for (const bool inlineValues : {false, true}) {
        std::vector<std::string> args;
        auto add = [&](const std::string& name, const std::string& value) {
            if (inlineValues) {
                args.push_back(name + "=" + value);
            } else {
                args.push_back(name);
                args.push_back(value);
            }
        };
        add("--baud", "2400");
        add("--image", "in.cfg");
        add("--save", "out.cfg");
        add("--link", "/tmp/ports/COM3");
        add("--noise", "4096");
        add("--nak-first", "2");
        add("--bad-checksum-first", "3");
        add("--lowercase-header-first", "4");
        add("--hangup-after", "100");
        add("--exit-after-transfers", "1");
        args.insert(args.end(), {"--pace", "--verbose", "--silent"});
        const SimOptionsResult r = Parse(args);
        ASSERT_TRUE(r.options) << r.error;
        const SimOptions& o = *r.options;
        EXPECT_EQ(o.baudRate, 2400u);
        EXPECT_EQ(o.imagePath, "in.cfg");
        EXPECT_EQ(o.savePath, "out.cfg");
        EXPECT_EQ(o.linkPath, "/tmp/ports/COM3");
        EXPECT_EQ(o.faults.noiseBytes, 4096u);
        EXPECT_EQ(o.faults.nakFirst, 2u);
        EXPECT_EQ(o.faults.badChecksumFirst, 3u);
        EXPECT_EQ(o.faults.lowercaseHeaderFirst, 4u);
        EXPECT_EQ(o.faults.hangupAfter, 100u);
        EXPECT_EQ(o.exitAfterTransfers, 1u);
        EXPECT_TRUE(o.pace && o.verbose && o.faults.silent);
    }
}

struct RefusedCase {
    std::vector<std::string> args;
    std::string error;
};

TEST(SimOptions, RefusesBadArgumentsWithAMessage) {
    const std::vector<RefusedCase> cases = {
        {{"--baud", "9601"}, "--baud: \"9601\" is not a baud rate of this system"},
        {{"--baud", "-9600"}, "--baud: \"-9600\" is not a baud rate of this system"},
        {{"--noise", "4097"}, "--noise: \"4097\" is not a whole number from 0 to 4096"},
        {{"--nak-first", "1x"}, "--nak-first: \"1x\" is not a whole number from 0 to 4294967295"},
        {{"--hangup-after", "0"},
         "--hangup-after: \"0\" is not a whole number from 1 to 18446744073709551615"},
        {{"--exit-after-transfers", "99999999999999999999"},
         "--exit-after-transfers: \"99999999999999999999\" is not a whole number from 1 to "
         "18446744073709551615"},
        {{"--save"}, "--save needs a value"},
        {{"--image="}, "--image needs a value"},
        {{"--pace=1"}, "--pace takes no value"},
        {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
        {{"COM1"}, "unknown option \"COM1\" (see --help)"},
    };
    for (const RefusedCase& c : cases) {
        const SimOptionsResult r = Parse(c.args);
        EXPECT_FALSE(r.options) << c.args[0];
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(SimOptions, ManyReadersStartFromTheCommonOptionsAndDifferOneByOne) {
    const SimOptionsResult r =
        Parse({"--count", "8", "--link-dir", "/tmp/ports", "--baud", "4800", "--noise", "3",
               "--reader", "3:silent", "--reader", "5:nak", "--reader", "7:wrong-image", "--reader",
               "2:baud=2400,noise=0,bad-checksum-first=2", "--reader=8:hangup-after=9"});
    ASSERT_TRUE(r.options) << r.error;
    const SimOptions& o = *r.options;
    EXPECT_EQ(o.count, 8u);
    EXPECT_EQ(o.linkDir, "/tmp/ports");
    ASSERT_EQ(o.readers.size(), 8u);
    for (std::size_t k = 0; k < 8; ++k) {
        const SimReader& reader = o.readers[k];
        EXPECT_EQ(reader.baudRate, k == 1 ? 2400u : 4800u) << k + 1;
        EXPECT_EQ(reader.faults.noiseBytes, k == 1 ? 0u : 3u) << k + 1;
        EXPECT_EQ(reader.faults.silent, k == 2) << k + 1;
        EXPECT_EQ(reader.faults.nakFirst != 0, k == 4) << k + 1;
        EXPECT_EQ(reader.faults.wrongImage, k == 6) << k + 1;
        EXPECT_EQ(reader.faults.badChecksumFirst, k == 1 ? 2u : 0u) << k + 1;
        EXPECT_EQ(reader.faults.hangupAfter.has_value(), k == 7) << k + 1;
    }
}

TEST(SimOptions, RefusesBadReaderSets) {
    const std::vector<RefusedCase> cases = {
        {{"--count", "0", "--link-dir", "d"}, "--count: \"0\" is not a whole number from 1 to 64"},
        {{"--count", "65", "--link-dir", "d"},
         "--count: \"65\" is not a whole number from 1 to 64"},
        {{"--count", "2"}, "--count needs --link-dir DIR, where the readers' links COM1 ... go"},
        {{"--link-dir", "d"}, "--link-dir and --reader go with --count N"},
        {{"--count", "2", "--link-dir", "d", "--save", "x.cfg"},
         "--count plays serial readers with links in --link-dir; --link, --save, --usb and "
         "--wedge play one reader"},
        {{"--count", "2", "--link-dir", "d", "--reader", "3:silent"},
         "--reader \"3:silent\": give K:ITEM,... with K from 1 to 2"},
        {{"--count", "2", "--link-dir", "d", "--reader", "silent"},
         "--reader \"silent\": give K:ITEM,... with K from 1 to 2"},
        {{"--count", "2", "--link-dir", "d", "--reader", "1:loud"},
         "--reader \"1:loud\": \"loud\" is not silent, nak, wrong-image or NAME=NUMBER"},
        {{"--count", "2", "--link-dir", "d", "--reader", "1:baud=1234"},
         "--reader \"1:baud=1234\": \"1234\" is not a baud rate of this system"},
        {{"--count", "2", "--link-dir", "d", "--reader", "1:silent,"},
         "--reader \"1:silent,\": \"\" is not silent, nak, wrong-image or NAME=NUMBER"},
        {{"--count", "2", "--link-dir", "d", "--reader", "1:speed=3"},
         "--reader \"1:speed=3\": unknown item \"speed\""},
        {{"--count", "2", "--link-dir", "d", "--reader", "1:hangup-after=0"},
         "--reader \"1:hangup-after=0\": \"hangup-after=0\" is not silent, nak, wrong-image or "
         "NAME=NUMBER"},
    };
    for (const RefusedCase& c : cases) {
        const SimOptionsResult r = Parse(c.args);
        EXPECT_FALSE(r.options) << c.args[0];
        EXPECT_EQ(r.error, c.error);
    }
}

}  // namespace
}  // namespace magtune::readersim
