#include "attributes/ztPointsRotation.h"

const MTypeId ztPointsRotation::id(0xB3);
