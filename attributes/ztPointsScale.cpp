#include "attributes/ztPointsScale.h"

const MTypeId ztPointsScale::id(0xB7);
