#include "settings/ImageFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/SettingStore.h"

namespace magtune::settings {
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

// n bytes "FF", and the last one replaced when `last` is given.
std::string Bytes(std::size_t n, const char* last = nullptr) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += i == 0 ? "" : " ";
        text += last != nullptr && i + 1 == n ? last : "FF";
    }
    return text;
}

TEST(ImageFields, BytesThatNoFieldShowsButADownloadSendsAreCompared) {
    SettingStore store;
    ConfigurationImage first = store.image;
    std::fill(first.begin() + 16, first.begin() + 56, 0xFF);  // empty sequences
    std::fill(first.begin() + 96, first.begin() + 254, 0xFF);
    first[32] = 0x02;  // track 1: one field, then the end
    first[96] = 0xC1;  // one formula: input id 21
    first[97] = 0x15;
    first[98] = 0xC8;
    ConfigurationImage second = first;
    second[23] = 0x43;   // the last byte of the preamble
    second[47] = 0x41;   // the last byte of track 1
    second[55] = 0x42;   // the last byte of track 2
    second[253] = 0x00;  // the last byte of the formula memory
    EXPECT_EQ(Describe(DifferingImageFields(first, second)),
              (std::vector<std::string>{
                  "Preamble bytes after FF: " + Bytes(7) + " / " + Bytes(7, "43"),
                  "Track1OutputSequence bytes after FF: " + Bytes(14) + " / " + Bytes(14, "41"),
                  "Track2OutputSequence bytes after FF: " + Bytes(7) + " / " + Bytes(7, "42"),
                  "FormulaMemory bytes after the last C8: " + Bytes(155) + " / " + Bytes(155, "00"),
              }));
    // A byte that one side shows is that side's text, not a hidden byte.
    ConfigurationImage shown = first;
    shown[33] = 0x03;
    EXPECT_TRUE(Describe(DifferingImageFields(first, shown)).empty());
}

}  // namespace
}  // namespace magtune::settings
