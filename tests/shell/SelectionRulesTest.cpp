#include "shell/SelectionRules.h"

#include <gtest/gtest.h>

namespace magtune::shell {
namespace {

TEST(SelectionRulesTest, ProductNamesAreUpperCase) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "ABC"},
        {"Msr-100 rev b", "MSR-100 REV B"},
        {"\u00e9t\u00e9", "\u00c9T\u00c9"},                        // Latin-1 letters
        {"\u0161\u0153\u017e\u00ff", "\u0160\u0152\u017d\u0178"},  // and the 0x80-0x9F ones
        {"\u00df\u00f7", "\u00df\u00f7"},                          // no upper case in the code page
        {"\u65e5\u672c", "\u65e5\u672c"},  // outside it: kept, not turned into '?'
        {"", ""},
    };
    for (const auto& [typed, shown] : cases) {
        EXPECT_EQ(UpperCaseProductName(typed), shown) << typed;
    }
}

TEST(SelectionRulesTest, BlanksAreTrimmedOnBothEnds) {
    EXPECT_EQ(TrimBlanks("  MSR 100  "), "MSR 100");
    EXPECT_EQ(TrimBlanks("\t \t"), "");
    EXPECT_EQ(TrimBlanks("A"), "A");
}

TEST(SelectionRulesTest, PortTexts) {
    EXPECT_EQ(ComPortEntryText(0), "1");
    EXPECT_EQ(ComPortEntryText(31), "32");
    EXPECT_EQ(ComPortDeviceText({2, "COM3", "/dev/ttyUSB0", true}, true), "/dev/ttyUSB0");
    EXPECT_EQ(ComPortDeviceText({2, "COM3", "/dev/ttyUSB0", false}, false),
              "/dev/ttyUSB0 (not present)");
    EXPECT_EQ(ComPortDeviceText({40, "", "", false}, false), "not present");
}

}  // namespace
}  // namespace magtune::shell
