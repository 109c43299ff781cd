#include "filters/ztPointsSelection.h"

const MTypeId ztPointsSelection::id(0xC6);
