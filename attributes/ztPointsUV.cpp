#include "attributes/ztPointsUV.h"

const MTypeId ztPointsUV::id(0xB6);
