#include "DefaultImage.h"

#include "settings/DeviceSettings.h"

namespace magtune::readersim {

settings::ConfigurationImage DefaultReaderImage() {
    // The reader's factory setting is the program's default setting.
    settings::DeviceSettings settings;
    settings::ConfigurationImage image{};
    settings.PackImage(image);
    return image;
}

}  // namespace magtune::readersim
