#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "dataedit/FormulaCommands.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceTypeCodes.h"
#include "support/CarriedImageBits.h"
#include "support/FakePrompter.h"

namespace magtune::settings {
namespace {

using test::FakePrompter;

// What a reset followed by PackImage must give, byte for byte.
constexpr ConfigurationImage kDefaultImage = {
    0x01, 0xA0, 0x00, 0x00, 0x65, 0x04, 0x84, 0x99, 0x2B, 0x48, 0x62, 0xDA, 0xD1, 0x19, 0x0C, 0x00,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x4D, 0x4D, 0x46, 0x41, 0xE0, 0x45,
    0x49, 0x4E, 0x4B, 0x4C, 0x48, 0x4F, 0xFF, 0x54, 0x44, 0x42, 0x50, 0x4A, 0x43, 0xFF, 0x00, 0x30,
    0x0A, 0x40, 0x04, 0x30, 0x01, 0x40, 0x01, 0x10, 0x01, 0x30, 0x01, 0x30, 0x03, 0x30, 0x00, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
};

using test::CarriedBits;

ConfigurationImage Pack(const DeviceSettings& settings) {
    ConfigurationImage image;
    settings.PackImage(image);
    return image;
}

TEST(DeviceSettings, ResetThenPackGivesTheDefaultImage) {
    DeviceSettings settings;
    settings.BaudRate.current = 0;
    settings.ReceiveTerminator = {"", "<r>", 0x0D};
    settings.ResetToDefaults();
    EXPECT_EQ(Pack(settings), kDefaultImage);
}

TEST(DeviceSettings, ResetGivesDefaultAndCurrentTheSameValue) {
    DeviceSettings settings;
    EXPECT_EQ(settings.BaudRate.defaultValue, 5);
    EXPECT_EQ(settings.BaudRate.current, 5);
    EXPECT_EQ(settings.DeviceId.defaultValue, 1);
    EXPECT_EQ(settings.OutputOnlyWhenAllCorrect.defaultValue, 1);
    EXPECT_EQ(settings.Ean8CodeId.defaultText, "<E0>");
    EXPECT_EQ(settings.Ean8CodeId.currentText, "<E0>");
    EXPECT_EQ(settings.Ean8CodeId.byte, 0xE0);
    EXPECT_EQ(settings.I25Length.lowerLimit, 2);
    EXPECT_EQ(settings.I25Length.upperLimit, 64);
    EXPECT_EQ(settings.I25Length.defaultMinimum, 10);
    EXPECT_EQ(settings.I25Length.currentMaximum, 64);
    EXPECT_TRUE(settings.Track1OutputSequence.current.empty());
    EXPECT_EQ(settings.Track1OutputSequence.image.size(), 16u);
    EXPECT_EQ(settings.Track2OutputSequence.image.size(), 8u);
    EXPECT_TRUE(settings.dataEditing.formulas.empty());
}

TEST(DeviceSettings, UnpackSetsCurrentValuesOnly) {
    ConfigurationImage image = kDefaultImage;
    image[4] = 0x47;  // AimingTime 1, Parity 0 (Even), BaudRate 7
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(settings.BaudRate.current, 7);
    EXPECT_EQ(settings.BaudRate.defaultValue, 5);
    EXPECT_EQ(settings.Parity.current, 0);
    EXPECT_EQ(settings.Parity.defaultValue, 4);
}

TEST(DeviceSettings, DefaultImageRoundTripsUnchanged) {
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(kDefaultImage, prompter);
    EXPECT_EQ(Pack(settings), kDefaultImage);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(DeviceSettings, EditedValuesSurviveAnImageRoundTrip) {
    FakePrompter prompter;
    DeviceSettings edited;
    edited.BaudRate.current = 7;
    edited.TrackSelection.current = 6;
    edited.ReceiveTerminator = {"", "<r>", 0x0D};
    edited.SeparatorCharacter = {"", "<*>", 0xC6};
    edited.Preamble.currentText = "AB";
    edited.Preamble.bytes = {0x41, 0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    edited.Track1OutputSequence.current = {{0x31, ""}, {0, "^"}, {0x32, ""}};
    edited.Track1OutputSequence.image =
        *dataedit::EncodeTrackSequence(edited.Track1OutputSequence.current, 1);
    edited.Code39Length.currentMinimum = 5;
    edited.Code39Length.currentMaximum = 20;
    dataedit::Formula formula;
    formula.empty = false;
    formula.inputIds[21] = 1;
    ASSERT_TRUE(dataedit::AddFormula(edited.dataEditing, formula, prompter).applied);

    ConfigurationImage image = Pack(edited);
    EXPECT_EQ(image[4], 0x67);  // AimingTime 1, Parity 4, BaudRate 7
    EXPECT_EQ(image[6], 0xB4);  // OutputOnlyWhenAllCorrect 1, TrackSelection 6, sentinel 1
    EXPECT_EQ(image[16], 0x41);
    EXPECT_EQ(image[17], 0x42);
    EXPECT_EQ(image[18], 0xFF);
    EXPECT_EQ(image[32], 0x31);
    EXPECT_EQ(image[33], 0x5E);
    EXPECT_EQ(image[34], 0x32);
    EXPECT_EQ(image[56], 0xC6);
    EXPECT_EQ(image[57], 0x0D);
    EXPECT_EQ(image[78], 5);
    EXPECT_EQ(image[79], 20);

    DeviceSettings read;
    read.UnpackImage(image, prompter);
    EXPECT_EQ(read.BaudRate.current, 7);
    EXPECT_EQ(read.TrackSelection.current, 6);
    EXPECT_EQ(read.ReceiveTerminator.currentText, "<r>");
    EXPECT_EQ(read.SeparatorCharacter.currentText, "<*>");
    EXPECT_EQ(read.Preamble.currentText, "AB");
    EXPECT_EQ(read.Track1OutputSequence.current, edited.Track1OutputSequence.current);
    EXPECT_EQ(read.Code39Length.currentMinimum, 5);
    EXPECT_EQ(read.Code39Length.currentMaximum, 20);
    EXPECT_EQ(read.Code39Length.lowerLimit, 0);
    EXPECT_EQ(read.dataEditing.formulas, edited.dataEditing.formulas);
    EXPECT_EQ(Pack(read), image);
}

TEST(DeviceSettings, KeyTextsAreRebuiltWithTheirOwnDelaySwitch) {
    ConfigurationImage image = kDefaultImage;
    image[56] = 0xC6;  // SeparatorCharacter: delay allowed
    image[57] = 0xC6;  // ReceiveTerminator: delay not allowed
    image[60] = 0x0D;  // Ean13CodeId
    image[95] = 0xC6;  // Ean128FieldSeparator: delay allowed
    image[16] = 0x41;  // Preamble A <*> <r>, end, then a stray byte
    image[17] = 0xC6;
    image[18] = 0x0D;
    image[19] = 0xFF;
    image[20] = 0x42;
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(settings.SeparatorCharacter.currentText, "<*>");
    EXPECT_EQ(settings.ReceiveTerminator.currentText, "<C6>");
    EXPECT_EQ(settings.Ean13CodeId.currentText, "<r>");
    EXPECT_EQ(settings.Ean128FieldSeparator.currentText, "<*>");
    EXPECT_EQ(settings.Preamble.currentText, "A<*><r>");
    EXPECT_EQ(Pack(settings), image);  // the byte after the end is kept
}

TEST(DeviceSettings, ReservedFlagsSurviveARoundTripAndResetToZero) {
    ConfigurationImage image = kDefaultImage;
    image[9] = 0x78;  // Ean128Enabled, ReservedFlagB, ReservedFlagA, S25CheckDigit 2
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(settings.ReservedFlagA.current, 1);
    EXPECT_EQ(settings.ReservedFlagB.current, 1);
    EXPECT_EQ(Pack(settings)[9], 0x78);
    settings.ResetToDefaults();
    EXPECT_EQ(settings.ReservedFlagA.current, 0);
    EXPECT_EQ(settings.ReservedFlagB.current, 0);
    EXPECT_EQ(Pack(settings)[9], 0x48);
}

TEST(DeviceSettings, Code39FullAsciiIdIsByte58AndStandardIdByte59) {
    DeviceSettings settings;
    settings.Code39CodeIdFullAscii = {"M", "X", 0x58};
    settings.Code39CodeIdStandard = {"M", "Y", 0x59};
    ConfigurationImage image = Pack(settings);
    EXPECT_EQ(image[58], 0x58);
    EXPECT_EQ(image[59], 0x59);

    image[58] = 0x31;
    image[59] = 0x32;
    FakePrompter prompter;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(settings.Code39CodeIdFullAscii.currentText, "1");
    EXPECT_EQ(settings.Code39CodeIdStandard.currentText, "2");
}

TEST(DeviceSettings, DataBitsIsBit2OfByte5AndBit3StaysZero) {
    struct Case {
        std::uint8_t byte5;
        std::int32_t dataBits;
        std::int32_t handshaking;
        std::uint8_t packed;
    };
    const Case cases[] = {
        {0x04, 1, 0, 0x04}, {0x08, 0, 0, 0x00}, {0x0C, 1, 0, 0x04},
        {0xFF, 1, 3, 0xF7}, {0x03, 0, 3, 0x03},
    };
    for (const auto& c : cases) {
        ConfigurationImage image = kDefaultImage;
        image[5] = c.byte5;
        FakePrompter prompter;
        DeviceSettings settings;
        settings.UnpackImage(image, prompter);
        EXPECT_EQ(settings.DataBits.current, c.dataBits) << int(c.byte5);
        EXPECT_EQ(settings.Handshaking.current, c.handshaking) << int(c.byte5);
        EXPECT_EQ(Pack(settings)[5], c.packed) << int(c.byte5);
    }
}

TEST(DeviceSettings, WideFieldsKeepValuesBeyondTheirLists) {
    ConfigurationImage image = kDefaultImage;
    image[1] = 0xAF;  // Language 15
    image[2] = 0xC0;  // CapsLock 3
    image[6] = 0xBC;  // TrackSelection 7
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(settings.Language.current, 15);
    EXPECT_EQ(settings.CapsLock.current, 3);
    EXPECT_EQ(settings.TrackSelection.current, 7);
    EXPECT_EQ(Pack(settings), image);
}

TEST(DeviceSettings, PackMasksValuesThatDoNotFitTheirField) {
    DeviceSettings settings;
    settings.BeepTone.current = 9;   // 3 bits: 1 is kept, FunctionCode untouched
    settings.Language.current = 16;  // 4 bits: 0 is kept, BeepTone untouched
    settings.CapsLock.current = -1;  // 2 bits: 3 is kept, the delays untouched
    settings.DataDirection.current = 6;
    ConfigurationImage image = Pack(settings);
    EXPECT_EQ(image[1], 0x90);
    EXPECT_EQ(image[2], 0xC0);
    EXPECT_EQ(image[94], 0x02);
}

TEST(DeviceSettings, DeviceIdPacksAsItsTypeCode) {
    struct Case {
        std::int32_t index;
        std::uint8_t code;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {12, 6}, {14, 4}, {15, 35}, {18, 7}, {19, 0}, {-1, 0}};
    for (const auto& c : cases) {
        DeviceSettings settings;
        settings.DeviceId.current = c.index;
        EXPECT_EQ(Pack(settings)[0], c.code) << c.index;
    }
}

TEST(DeviceTypeCodes, LookupsInBothDirections) {
    const std::uint8_t codes[] = {0,  1,  2, 8, 9, 10, 11, 13, 15, 17,
                                  19, 20, 6, 3, 4, 35, 25, 26, 7};
    for (std::int32_t i = 0; i < 19; ++i) {
        EXPECT_EQ(DeviceTypeCode(i), codes[i]) << i;
        EXPECT_EQ(DeviceTypeIndex(codes[i]), i) << i;
    }
    EXPECT_EQ(DeviceTypeCode(19), 0);
    EXPECT_EQ(DeviceTypeCode(-5), 0);
    for (std::uint8_t unlisted : {5, 12, 14, 36, 255}) {
        EXPECT_EQ(DeviceTypeIndex(unlisted), 0) << int(unlisted);
    }
    EXPECT_STREQ(DeviceTypeCodes[14].text, "04-Serial Wedge");
    EXPECT_STREQ(DeviceTypeCodes[12].text, "06-Keyboardless Wedge(PC/AT)");
    EXPECT_STREQ(DeviceTypeCodes[1].text, "01-IBM PC/AT, PS/2 MOD 40, 60, 80");
}

TEST(DeviceSettings, UndecodableFormulaMemoryIsReportedAndStillPackedAsItWas) {
    ConfigurationImage image = kDefaultImage;
    for (std::size_t i = 96; i < 254; ++i) {
        image[i] = static_cast<std::uint8_t>(i);
    }
    FakePrompter prompter;
    DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    EXPECT_EQ(
        prompter.texts(),
        std::vector<std::string>{"Error occurred while loading data editing, no formula is read."});
    EXPECT_TRUE(settings.dataEditing.formulas.empty());
    EXPECT_EQ(Pack(settings), image);
}

// Any 256 bytes unpack and pack back to themselves, apart from the bits the
// layout keeps 0, the fixed bytes and an unlisted device code.
TEST(DeviceSettings, RandomImagesRoundTrip) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    const ConfigurationImage carried = CarriedBits();
    FakePrompter prompter;
    for (int n = 0; n < 3000; ++n) {
        ConfigurationImage image;
        for (auto& b : image) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        if (n % 4 == 0) {
            image[0] = DeviceTypeCodes[static_cast<std::size_t>(n / 4 % 19)].code;
        }
        DeviceSettings settings;
        settings.UnpackImage(image, prompter);
        prompter.clear();
        ConfigurationImage packed = Pack(settings);

        bool listed = false;
        for (const auto& type : DeviceTypeCodes) {
            listed = listed || type.code == image[0];
        }
        ASSERT_EQ(packed[0], listed ? image[0] : 0) << "image " << n;
        for (std::size_t i = 1; i < kImageSize; ++i) {
            ASSERT_EQ(packed[i] & carried[i], image[i] & carried[i])
                << "image " << n << " byte " << i;
            ASSERT_EQ(packed[i] & ~carried[i] & 0xFF, i == 77 || i >= 254 ? ~carried[i] & 0xFF : 0)
                << "image " << n << " byte " << i;
        }
    }
}

}  // namespace
}  // namespace magtune::settings
