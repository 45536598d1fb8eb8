#include "dataedit/Formula.h"
