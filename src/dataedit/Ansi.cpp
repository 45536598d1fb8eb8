#include "dataedit/Ansi.h"
