#include "dataedit/KeyNotation.h"
