#include "app/TransferService.h"

#include <string>

#include "settings/DeviceTypeCodes.h"

namespace magtune::app {

void SetDeviceTypeForInterface(settings::DeviceSettings& settings, std::int32_t interface) {
    auto& deviceId = settings.DeviceId;
    switch (interface) {
        case settings::InterfaceCode::Usb:
            deviceId.current = settings::kKeyboardlessWedgeDeviceIndex;
            break;
        case settings::InterfaceCode::Rs232:
            deviceId.current = settings::kSerialWedgeDeviceIndex;
            break;
        default:
            deviceId.current = deviceId.defaultValue;
            break;
    }
}

TransferService::TransferService(common::Prompter& prompter) : prompter_(prompter) {}

TransferOutcome TransferService::Download(ReaderTransport& transport, std::int32_t interface,
                                          settings::SettingStore& store, bool verify) {
    SetDeviceTypeForInterface(store.settings, interface);
    store.PackImage();
    if (!transport.chooseDevice()) {
        return TransferOutcome::NoDevice;
    }
    if (!transport.prepare() || !transport.download(store.image)) {
        return TransferOutcome::Failed;
    }
    if (!verify) {
        return TransferOutcome::Done;
    }
    settings::ConfigurationImage readBack{};
    if (!transport.prepare() || !transport.upload(readBack)) {
        prompter_.warning("Verify failed: the setting could not be read back.");
        return TransferOutcome::Failed;
    }
    return VerifyReadBack(store.image, readBack) ? TransferOutcome::Done : TransferOutcome::Failed;
}

TransferOutcome TransferService::Upload(ReaderTransport& transport, settings::SettingStore& store) {
    if (!transport.chooseDevice()) {
        return TransferOutcome::NoDevice;
    }
    settings::ConfigurationImage received = store.image;
    if (!transport.prepare() || !transport.upload(received)) {
        return TransferOutcome::Failed;
    }
    store.image = received;
    return TransferOutcome::Done;
}

bool TransferService::VerifyReadBack(const settings::ConfigurationImage& sent,
                                     const settings::ConfigurationImage& readBack) {
    for (std::size_t i = 0; i < kVerifiedImageBytes; ++i) {
        if (readBack[i] != sent[i]) {
            prompter_.warning("Verify failed: the reader holds a different byte at offset " +
                              std::to_string(i) + ".");
            return false;
        }
    }
    prompter_.information("Verified: the reader holds the setting.", common::kApplicationTitle);
    return true;
}

}  // namespace magtune::app
