#include "dataedit/TrackSequence.h"
