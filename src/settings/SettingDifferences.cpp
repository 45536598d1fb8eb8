#include "settings/SettingDifferences.h"

#include <algorithm>

#include "settings/SettingCatalogue.h"

namespace magtune::settings {
namespace {

// The rows without the "(no formula defined)" placeholder, so that an empty
// formula list compares as no rows at all.
std::vector<PropertyRow> EditableRows(const std::string& group, const SettingStore& store) {
    std::vector<PropertyRow> rows;
    for (auto& row : PropertyRows(group, store.settings)) {
        if (!row.placeholder) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

// Formula warnings of an image read back are not this comparison's business.
class SilentPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override { return message.defaultButton; }
    void beep() override {}
};

}  // namespace

std::vector<ImageFieldDifference> DifferingSettings(SettingStore& first, SettingStore& second) {
    std::vector<ImageFieldDifference> out;
    for (const auto& group : SettingCatalogue) {
        auto a = EditableRows(group.text, first);
        auto b = EditableRows(group.text, second);
        for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
            const PropertyRow* ra = i < a.size() ? &a[i] : nullptr;
            const PropertyRow* rb = i < b.size() ? &b[i] : nullptr;
            if (ra && rb && ra->label == rb->label && ra->value == rb->value) {
                continue;
            }
            const std::string& label = ra ? ra->label : rb->label;
            out.push_back({std::string(group.text) + '/' + label, ra ? ra->value : "(none)",
                           rb ? rb->value : "(none)"});
        }
    }
    first.PackImage();
    second.PackImage();
    for (auto& field : DifferingImageFields(first.image, second.image)) {
        out.push_back(std::move(field));
    }
    return out;
}

std::optional<ImageFieldDifference> FirstReadBackDifference(const ConfigurationImage& sent,
                                                            const ConfigurationImage& held) {
    const ConfigurationImage carried = CarriedImageBits();
    std::optional<std::size_t> firstByte;
    for (std::size_t i = 0; i < kImageSize && !firstByte; ++i) {
        if ((sent[i] ^ held[i]) & carried[i]) {
            firstByte = i;
        }
    }
    if (!firstByte) {
        return std::nullopt;
    }
    if (*firstByte == 0) {
        // A device code missing from the list reads as the list's first
        // entry, which would hide the difference behind equal texts.
        return ImageFieldDifference{"DeviceId", std::to_string(sent[0]), std::to_string(held[0])};
    }
    SilentPrompter silent;
    SettingStore setting;
    SettingStore reader;
    setting.image = sent;
    reader.image = held;
    setting.UnpackImage(silent);
    reader.UnpackImage(silent);
    auto differences = DifferingSettings(setting, reader);
    if (!differences.empty()) {
        return differences.front();
    }
    // Bytes whose settings read the same (a formula memory that loads to the
    // same formulas in other bytes, say) still differ on the reader.
    return ImageFieldDifference{"byte " + std::to_string(*firstByte),
                                std::to_string(sent[*firstByte]), std::to_string(held[*firstByte])};
}

}  // namespace magtune::settings
