#include "comm/OptionsRules.h"

#include <gtest/gtest.h>

namespace magtune::comm {
namespace {

TEST(CommOptions, LoadTakesTheDefaultForMissingOrOutOfRangeValues) {
    struct Case {
        std::optional<std::int32_t> stored;
        OptionRange range;
        std::int32_t expected;
    };
    const Case cases[] = {
        {std::nullopt, kUsbDelayRange, 5},
        {21, kUsbDelayRange, 5},
        {0, kUsbDelayRange, 0},
        {3, kProtocolDelayRange, 5},
        {4, kProtocolDelayRange, 5},
        {20, kProtocolDelayRange, 20},
        {6000, kDriverDelayRange, 2000},
        {5000, kDriverDelayRange, 5000},
        {-1, kReadIntervalTimeoutRange, 1000},
        {0, kReadTotalTimeoutConstantRange, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadOptionValue(c.stored, c.range), c.expected);
    }
}

TEST(OptionsRules, BoxesAreFilledFromTheOptions) {
    CommOptions options;
    options.UsbDelay = 7;
    options.ReadTotalTimeoutConstant = 250;
    EXPECT_EQ(OptionsDialogTextsFrom(options), (OptionsDialogTexts{"7", "5", "1000", "250"}));
}

TEST(OptionsRules, OnlyDigitsAreTyped) {
    for (char c : std::string("0123456789")) {
        EXPECT_TRUE(IsOptionsBoxCharacter(c));
    }
    for (char c : std::string("-+ .aZ\b\x7F")) {
        EXPECT_FALSE(IsOptionsBoxCharacter(c)) << int(c);
    }
}

TEST(OptionsRules, UsbPageGivesTheFocusWithoutAMessage) {
    struct Case {
        const char* usb;
        const char* protocol;
        OptionsField focus;
    };
    const Case cases[] = {
        {"0", "5", OptionsField::None},
        {"20", "20", OptionsField::None},
        {"", "5", OptionsField::UsbDelay},
        {"21", "5", OptionsField::UsbDelay},
        {"5", "", OptionsField::ProtocolDelay},
        {"5", "4", OptionsField::ProtocolDelay},
        {"5", "21", OptionsField::ProtocolDelay},
        {"", "", OptionsField::UsbDelay},
        {"1x", "5", OptionsField::UsbDelay},
        {"99999999999999999999", "5", OptionsField::UsbDelay},
    };
    for (const auto& c : cases) {
        const auto result = ValidateUsbOptions({c.usb, c.protocol, "", ""});
        EXPECT_EQ(result.focus, c.focus) << c.usb << "/" << c.protocol;
        EXPECT_EQ(result.warning, "");
    }
}

TEST(OptionsRules, SerialPageWarnsAboutTheRange) {
    const std::string range = "Please input a value between 0 and 5000 ms.";
    struct Case {
        const char* interval;
        const char* total;
        OptionsField focus;
        std::string warning;
    };
    const Case cases[] = {
        {"0", "5000", OptionsField::None, ""},
        {"", "1000", OptionsField::IntervalTimeout, ""},
        {"1000", "", OptionsField::TotalTimeoutConstant, ""},
        {"6000", "1000", OptionsField::IntervalTimeout, range},
        {"1000", "5001", OptionsField::TotalTimeoutConstant, range},
        {"6000", "", OptionsField::IntervalTimeout, range},
        {"", "6000", OptionsField::IntervalTimeout, ""},
    };
    for (const auto& c : cases) {
        const auto result = ValidateSerialOptions({"5", "5", c.interval, c.total});
        EXPECT_EQ(result.focus, c.focus) << c.interval << "/" << c.total;
        EXPECT_EQ(result.warning, c.warning);
    }
    EXPECT_EQ(OptionRangeWarning(kReadIntervalTimeoutRange), range);
}

TEST(OptionsRules, OkTakesTheValuesOnlyWhenBothPagesPass) {
    CommOptions options;
    options.DriverDelay = 321;
    options.UsbLogEnable = true;
    const CommOptions before = options;

    EXPECT_EQ(AcceptOptionsDialog({"3", "9", "6000", "10"}, options).warning,
              "Please input a value between 0 and 5000 ms.");
    EXPECT_EQ(options, before);
    EXPECT_EQ(AcceptOptionsDialog({"", "9", "6000", "10"}, options).focus, OptionsField::UsbDelay);
    EXPECT_EQ(options, before);

    ASSERT_TRUE(AcceptOptionsDialog({"3", "9", "0", "4999"}, options).ok());
    CommOptions expected = before;
    expected.UsbDelay = 3;
    expected.ProtocolDelay = 9;
    expected.ReadIntervalTimeout = 0;
    expected.ReadTotalTimeoutConstant = 4999;
    EXPECT_EQ(options, expected);
}

TEST(OptionsRules, DefaultButtons) {
    OptionsDialogTexts texts{"1", "6", "7", "8"};
    SetUsbDefaults(texts);
    EXPECT_EQ(texts, (OptionsDialogTexts{"5", "5", "7", "8"}));
    SetSerialDefaults(texts);
    EXPECT_EQ(texts, (OptionsDialogTexts{"5", "5", "1000", "1000"}));
}

}  // namespace
}  // namespace magtune::comm
