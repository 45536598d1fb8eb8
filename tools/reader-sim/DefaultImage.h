#pragma once

#include "settings/ConfigurationImage.h"

namespace magtune::readersim {

// The image a reader holds out of the box: every setting at its default,
// no preamble, postamble or track sequence, no formula.
settings::ConfigurationImage DefaultReaderImage();

}  // namespace magtune::readersim
