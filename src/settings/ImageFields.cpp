#include "settings/ImageFields.h"

#include <algorithm>
#include <span>

#include "dataedit/KeyNotation.h"
#include "settings/DeviceTypeCodes.h"
#include "settings/ImageLayout.h"
#include "settings/SettingCatalogue.h"

namespace magtune {
namespace {

using namespace layout;

template <typename Member>
bool ShownInCatalogue(Member CatalogueRow::*pointer, Member field) {
    for (const auto& group : SettingCatalogue) {
        for (const auto& row : group.rows) {
            if (row.*pointer == field) {
                return true;
            }
        }
    }
    return false;
}

std::string DeviceTypeText(std::uint8_t code) {
    return DeviceTypeCodes[static_cast<std::size_t>(DeviceTypeIndex(code))].text;
}

}  // namespace

std::vector<ImageFieldDifference> DifferingImageFields(const ConfigurationImage& first,
                                                       const ConfigurationImage& second) {
    std::vector<ImageFieldDifference> out;
    auto note = [&out](const char* name, std::string a, std::string b) {
        if (a != b) {
            out.push_back({name, std::move(a), std::move(b)});
        }
    };

    note("DeviceId", DeviceTypeText(first[0]), DeviceTypeText(second[0]));
    for (const auto& f : kBitFields) {
        if (ShownInCatalogue(&CatalogueRow::choice, f.field)) {
            continue;
        }
        auto value = [&f](const ConfigurationImage& image) {
            return std::to_string((image[f.byte] >> f.lowBit) & FieldMask(f));
        };
        note(f.name, value(first), value(second));
    }
    for (const auto& f : kKeySequenceFields) {
        auto text = [&f](const ConfigurationImage& image) {
            return KeyValueText(
                FormatKeySequence(std::span(image).subspan(f.byte, kKeySequenceSize)));
        };
        note(f.name, text(first), text(second));
    }
    for (const auto& f : kKeyByteFields) {
        if (ShownInCatalogue(&CatalogueRow::keyByte, f.field)) {
            continue;
        }
        note(f.name, KeyValueText(FormatKeyByte(first[f.byte], f.allowDelay)),
             KeyValueText(FormatKeyByte(second[f.byte], f.allowDelay)));
    }
    for (const auto& f : kLengthFields) {
        note(f.minimumName, std::to_string(first[f.byte]), std::to_string(second[f.byte]));
        note(f.maximumName, std::to_string(first[f.byte + 1u]),
             std::to_string(second[f.byte + 1u]));
    }
    return out;
}

ConfigurationImage CarriedImageBits() {
    ConfigurationImage mask;
    mask.fill(0xFF);
    for (const auto& f : kBitFields) {
        mask[f.byte] = 0;
    }
    for (const auto& f : kBitFields) {
        mask[f.byte] = static_cast<std::uint8_t>(mask[f.byte] | (FieldMask(f) << f.lowBit));
    }
    mask[77] = 0;
    mask[254] = 0;
    mask[255] = 0;
    return mask;
}

}  // namespace magtune
