#pragma once

#include <cstdint>

#include "app/ReaderTransport.h"
#include "common/Prompter.h"
#include "settings/DeviceSettings.h"
#include "settings/SettingStore.h"

namespace magtune::app {

// How one exchange with a reader ended.
enum class TransferOutcome {
    Done,      // the reader took the setting, or a checked image arrived
    NoDevice,  // the user chose no reader (USB reader list closed): nothing happened
    Failed,    // reported to the user already; the setting store is as it was
};

// The device type a download sends over each interface: a keyboardless
// wedge over USB, a serial wedge over RS232, the setting's default (the
// PC/AT keyboard) over the keyboard wedge, whatever the setting held.
void SetDeviceTypeForInterface(settings::DeviceSettings& settings, std::int32_t interface);

// The bytes a reader keeps of a downloaded image: all but the last two.
inline constexpr std::size_t kVerifiedImageBytes = settings::kImageSize - 2;

// The one road of every exchange with a reader, for the desktop program,
// the command line and provisioning alike: choose the reader, open its
// port, set the device type by interface, pack, transfer, verify. A service
// holds no state between runs; each run has its own transport, prompter and
// setting store, so runs on several threads do not meet.
class TransferService {
  public:
    explicit TransferService(common::Prompter& prompter);

    // Sets the device type of `interface`, packs `store` and sends its
    // image. With `verify`, reads the image back and compares every byte the
    // reader keeps; a difference is a failure.
    TransferOutcome Download(ReaderTransport& transport, std::int32_t interface,
                             settings::SettingStore& store, bool verify = false);

    // Reads the reader's image. Only a checked image replaces store.image
    // (not unpacked: the caller accepts it as it needs to).
    TransferOutcome Upload(ReaderTransport& transport, settings::SettingStore& store);

    // Compares what a reader sent back with what it was sent; tells the user
    // either way.
    bool VerifyReadBack(const settings::ConfigurationImage& sent,
                        const settings::ConfigurationImage& readBack);

  private:
    common::Prompter& prompter_;
};

}  // namespace magtune::app
