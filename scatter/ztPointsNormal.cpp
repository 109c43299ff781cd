#include "scatter/ztPointsNormal.h"

const MTypeId ztPointsNormal::id(0xC1);
