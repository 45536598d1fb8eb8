// Any 256 bytes from a file or a reader must unpack without harm, and packing
// them again must give the same bytes apart from what the layout fixes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/Prompter.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceTypeCodes.h"
#include "support/CarriedImageBits.h"

namespace {

class SilentPrompter : public magtune::common::Prompter {
  public:
    magtune::common::Answer show(const magtune::common::Message& message) override {
        return message.defaultButton;
    }
    void beep() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const magtune::settings::ConfigurationImage carried = magtune::test::CarriedBits();
    magtune::settings::ConfigurationImage image;
    image.fill(0xFF);
    std::copy_n(data, std::min(size, image.size()), image.begin());

    SilentPrompter prompter;
    magtune::settings::DeviceSettings settings;
    settings.UnpackImage(image, prompter);
    magtune::settings::ConfigurationImage packed;
    settings.PackImage(packed);

    bool listed = std::any_of(magtune::settings::DeviceTypeCodes.begin(),
                              magtune::settings::DeviceTypeCodes.end(),
                              [&](const auto& type) { return type.code == image[0]; });
    if (packed[0] != (listed ? image[0] : 0)) {
        std::abort();
    }
    for (std::size_t i = 1; i < image.size(); ++i) {
        if ((packed[i] & carried[i]) != (image[i] & carried[i])) {
            std::abort();
        }
    }
    return 0;
}
