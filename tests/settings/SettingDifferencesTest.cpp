#include <gtest/gtest.h>

#include "settings/DeviceTypeCodes.h"
#include "settings/ImageFields.h"
#include "settings/SettingDifferences.h"
#include "support/CarriedImageBits.h"

namespace magtune::settings {
namespace {

ConfigurationImage SentImage() {
    SettingStore store;
    store.settings.DeviceId.current = kSerialWedgeDeviceIndex;
    store.PackImage();
    return store.image;
}

TEST(SettingDifferences, TheCarriedBitsAreTheLayoutsOwn) {
    EXPECT_EQ(CarriedImageBits(), test::CarriedBits());
}

TEST(SettingDifferences, AReadBackDiffersOnlyWhereASettingIsStored) {
    struct Case {
        const char* what;
        std::size_t byte;
        std::uint8_t flip;
        const char* name;  // nullptr: the images agree
    } cases[] = {
        {"a bit the layout keeps 0", 5, 0x08, nullptr},
        {"the top bits of byte 8", 8, 0xC0, nullptr},
        {"the top bits of byte 14", 14, 0xE0, nullptr},
        {"byte 77", 77, 0x01, nullptr},
        {"the closing bytes", 254, 0xFF, nullptr},
        {"the device type", 0, 0x01, "DeviceId"},
        {"a shown row", 1, 0x10, "Beeps and Delays/Beep Tone"},
        {"the baud rate", 4, 0x01, "RS232/Baud Rate"},
        {"a field without a row", 7, 0x01, "Code39Enabled"},
        {"a reserved flag", 9, 0x10, "ReservedFlagA"},
        {"a length", 78, 0x01, "Code39MinLength"},
        {"the preamble", 16, 0x01, "Preamble"},
    };
    const ConfigurationImage sent = SentImage();
    for (const auto& c : cases) {
        ConfigurationImage held = sent;
        held[c.byte] ^= c.flip;
        const auto difference = FirstReadBackDifference(sent, held);
        if (c.name == nullptr) {
            EXPECT_FALSE(difference) << c.what << ": " << difference->name;
        } else {
            ASSERT_TRUE(difference) << c.what;
            EXPECT_EQ(difference->name, c.name) << c.what;
            EXPECT_NE(difference->first, difference->second) << c.what;
        }
    }
}

TEST(SettingDifferences, TheFirstDifferenceIsTheFirstThatDiffLists) {
    const ConfigurationImage sent = SentImage();
    ConfigurationImage held = sent;
    held[7] ^= 0x01;  // Code39Enabled, listed among the fields after the rows
    held[4] ^= 0x01;  // RS232/Baud Rate, a row
    const auto difference = FirstReadBackDifference(sent, held);
    ASSERT_TRUE(difference);
    EXPECT_EQ(difference->name, "RS232/Baud Rate");
    EXPECT_EQ(difference->first, "9600");
    EXPECT_EQ(difference->second, "4800");
}

TEST(SettingDifferences, AnUnlistedDeviceCodeStillDiffers) {
    const ConfigurationImage sent = SentImage();
    ConfigurationImage held = sent;
    held[0] = 0x63;  // not in the list: it would read as "00-IBM PC/XT"
    const auto difference = FirstReadBackDifference(sent, held);
    ASSERT_TRUE(difference);
    EXPECT_EQ(difference->name, "DeviceId");
}

}  // namespace
}  // namespace magtune::settings
