#include "settings/ImageFields.h"

#include <algorithm>
#include <span>

#include "dataedit/FormulaMemory.h"
#include "dataedit/KeyNotation.h"
#include "settings/DeviceTypeCodes.h"
#include "settings/ImageLayout.h"
#include "settings/SettingCatalogue.h"

namespace magtune::settings {
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

// Where the bytes of an area start that no field shows but a download
// sends: after the first 0xFF of a key sequence or track sequence, after the
// last end code of the formula memory.
std::size_t HiddenStart(std::span<const std::uint8_t> area, bool afterLast, std::uint8_t end) {
    if (afterLast) {
        return static_cast<std::size_t>(std::find(area.rbegin(), area.rend(), end).base() -
                                        area.begin());
    }
    const auto found = std::find(area.begin(), area.end(), end);
    return found == area.end() ? area.size() : static_cast<std::size_t>(found - area.begin()) + 1;
}

// Two digits a byte, a blank between.
std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += text.empty() ? "" : " ";
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

constexpr std::uint8_t kSequenceEnd = 0xFF;
constexpr std::uint8_t kFormulaEnd = 0xC8;

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
                dataedit::FormatKeySequence(std::span(image).subspan(f.byte, kKeySequenceSize)));
        };
        note(f.name, text(first), text(second));
    }
    // Only what neither side shows: a byte that one side shows differs in
    // that side's text already.
    const auto hidden = [&](const std::string& name, std::size_t byte, std::size_t size,
                            bool afterLast, std::uint8_t end) {
        const auto a = std::span(first).subspan(byte, size);
        const auto b = std::span(second).subspan(byte, size);
        const std::size_t start =
            std::max(HiddenStart(a, afterLast, end), HiddenStart(b, afterLast, end));
        if (!std::equal(a.begin() + start, a.end(), b.begin() + start)) {
            out.push_back({name, HexBytes(a.subspan(start)), HexBytes(b.subspan(start))});
        }
    };
    for (const auto& f : kKeySequenceFields) {
        hidden(std::string(f.name) + " bytes after FF", f.byte, kKeySequenceSize, false,
               kSequenceEnd);
    }
    for (const auto& f : kTrackFields) {
        hidden(std::string(f.name) + " bytes after FF", f.byte, f.size, false, kSequenceEnd);
    }
    hidden("FormulaMemory bytes after the last C8", kFormulaMemoryOffset,
           dataedit::kFormulaMemorySize, true, kFormulaEnd);
    for (const auto& f : kKeyByteFields) {
        if (ShownInCatalogue(&CatalogueRow::keyByte, f.field)) {
            continue;
        }
        note(f.name, KeyValueText(dataedit::FormatKeyByte(first[f.byte], f.allowDelay)),
             KeyValueText(dataedit::FormatKeyByte(second[f.byte], f.allowDelay)));
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

}  // namespace magtune::settings
