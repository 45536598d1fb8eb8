#include "dataedit/FormulaCommands.h"
