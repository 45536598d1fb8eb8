#include "dataedit/FormulaTextReader.h"
