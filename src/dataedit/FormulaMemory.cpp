#include "dataedit/FormulaMemory.h"
