#include "DefaultImage.h"

#include "settings/DeviceSettings.h"

namespace magtune {

ConfigurationImage DefaultReaderImage() {
    // The reader's factory setting is the program's default setting.
    DeviceSettings settings;
    ConfigurationImage image{};
    settings.PackImage(image);
    return image;
}

}  // namespace magtune
