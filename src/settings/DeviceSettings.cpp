#include "settings/DeviceSettings.h"

#include <algorithm>
#include <cstddef>
#include <span>

#include "dataedit/KeyNotation.h"
#include "settings/DeviceTypeCodes.h"
#include "settings/ImageLayout.h"

namespace magtune::settings {
namespace {

using namespace layout;

std::vector<std::uint8_t> EncodedOrBlank(const dataedit::TrackOutputSequence& sequence, int track) {
    auto bytes = dataedit::EncodeTrackSequence(sequence, track);
    if (bytes) {
        return *bytes;
    }
    return std::vector<std::uint8_t>(dataedit::TrackImageSize(track), 0xFF);
}

}  // namespace

void DeviceSettings::ResetToDefaults() {
    DeviceId = {kDefaultDeviceId, kDefaultDeviceId};
    for (const auto& f : kBitFields) {
        this->*f.field = {f.defaultValue, f.defaultValue};
    }
    for (const auto& f : kKeyByteFields) {
        KeyByteSetting& key = this->*f.field;
        key.defaultText = f.defaultText;
        key.currentText = f.defaultText;
        key.byte = dataedit::ParseKeyByte(f.defaultText, false, f.allowDelay).value_or(0xFF);
    }
    for (const auto& f : kLengthFields) {
        this->*f.field = {f.lowerLimit,     f.upperLimit,     f.defaultMinimum,
                          f.defaultMaximum, f.defaultMinimum, f.defaultMaximum};
    }
    for (const auto& f : kKeySequenceFields) {
        KeySequenceSetting& sequence = this->*f.field;
        sequence.defaultText.clear();
        sequence.currentText.clear();
        dataedit::ParseKeySequence(sequence.currentText, sequence.bytes, false, true);
    }
    for (const auto& f : kTrackFields) {
        TrackSequenceSetting& track = this->*f.field;
        track.defaultSequence.clear();
        track.current.clear();
        track.image = EncodedOrBlank(track.current, track.track);
    }
    dataEditing.formulas.clear();
    // The empty list compiles to nothing: the whole memory is free (0xFF).
    dataEditing.memory.fill(0xFF);
}

void DeviceSettings::PackImage(ConfigurationImage& image) const {
    image.fill(0);
    image[0] = DeviceTypeCode(DeviceId.current);

    // Masking keeps a value that does not fit its field out of its neighbours.
    for (const auto& f : kBitFields) {
        auto value = static_cast<std::uint32_t>((this->*f.field).current) & FieldMask(f);
        image[f.byte] = static_cast<std::uint8_t>(image[f.byte] | (value << f.lowBit));
    }
    for (const auto& f : kKeySequenceFields) {
        const auto& bytes = (this->*f.field).bytes;
        std::copy(bytes.begin(), bytes.end(), image.begin() + f.byte);
    }
    for (const auto& f : kTrackFields) {
        const TrackSequenceSetting& track = this->*f.field;
        for (std::size_t i = 0; i < f.size; ++i) {
            image[f.byte + i] = i < track.image.size() ? track.image[i] : 0xFF;
        }
    }
    for (const auto& f : kKeyByteFields) {
        image[f.byte] = (this->*f.field).byte;
    }
    image[kReservedByte] = 0xFF;
    for (const auto& f : kLengthFields) {
        const LengthSetting& length = this->*f.field;
        image[f.byte] = length.currentMinimum;
        image[f.byte + 1u] = length.currentMaximum;
    }
    std::copy(dataEditing.memory.begin(), dataEditing.memory.end(),
              image.begin() + kFormulaMemoryOffset);
    image[254] = 0xFF;
    image[255] = 0xFF;
}

void DeviceSettings::UnpackImage(const ConfigurationImage& image, common::Prompter& prompter) {
    DeviceId.current = DeviceTypeIndex(image[0]);
    for (const auto& f : kBitFields) {
        (this->*f.field).current =
            static_cast<std::int32_t>((image[f.byte] >> f.lowBit) & FieldMask(f));
    }
    for (const auto& f : kKeySequenceFields) {
        KeySequenceSetting& sequence = this->*f.field;
        std::copy_n(image.begin() + f.byte, sequence.bytes.size(), sequence.bytes.begin());
        sequence.currentText = dataedit::FormatKeySequence(sequence.bytes);
    }
    for (const auto& f : kTrackFields) {
        TrackSequenceSetting& track = this->*f.field;
        std::span<const std::uint8_t> bytes(image.data() + f.byte, f.size);
        track.image.assign(bytes.begin(), bytes.end());
        track.current = dataedit::DecodeTrackSequence(bytes, track.track);
    }
    for (const auto& f : kKeyByteFields) {
        KeyByteSetting& key = this->*f.field;
        key.byte = image[f.byte];
        key.currentText = dataedit::FormatKeyByte(key.byte, f.allowDelay);
    }
    for (const auto& f : kLengthFields) {
        LengthSetting& length = this->*f.field;
        length.currentMinimum = image[f.byte];
        length.currentMaximum = image[f.byte + 1u];
    }
    std::copy_n(image.begin() + kFormulaMemoryOffset, dataEditing.memory.size(),
                dataEditing.memory.begin());
    dataedit::LoadFormulas(dataEditing.memory, dataEditing.formulas, prompter);
}

}  // namespace magtune::settings
