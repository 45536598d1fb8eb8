#include "settings/ImageFields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/SettingStore.h"

namespace magtune {
namespace {

std::vector<std::string> Describe(const std::vector<ImageFieldDifference>& fields) {
    std::vector<std::string> out;
    for (const auto& f : fields) {
        out.push_back(f.name + ": " + f.first + " / " + f.second);
    }
    return out;
}

TEST(ImageFields, ListsOnlyTheHiddenFieldsThatDiffer) {
    SettingStore store;
    const ConfigurationImage first = store.image;
    EXPECT_TRUE(DifferingImageFields(first, first).empty());

    ConfigurationImage second = first;
    second[0] = 4;      // DeviceId
    second[4] = 0x60;   // BaudRate 0: shown in the property list, not listed here
    second[9] = 0x58;   // ReservedFlagA
    second[16] = 0x41;  // Preamble
    second[58] = 0x0D;  // Code39CodeIdFullAscii
    second[79] = 40;    // Code39MaxLength
    second[95] = 0xC6;  // Ean128FieldSeparator
    second[32] = 0x31;  // a track sequence: shown, not listed
    second[96] = 0xC8;  // formula memory: shown as formulas, not listed
    EXPECT_EQ(Describe(DifferingImageFields(first, second)),
              (std::vector<std::string>{
                  "DeviceId: 01-IBM PC/AT, PS/2 MOD 40, 60, 80 / 04-Serial Wedge",
                  "ReservedFlagA: 0 / 1",
                  "Preamble: None / \"A\"",
                  "Code39CodeIdFullAscii: \"M\" / \"<r>\"",
                  "Ean128FieldSeparator: None / \"<*>\"",
                  "Code39MaxLength: 48 / 40",
              }));
}

}  // namespace
}  // namespace magtune
