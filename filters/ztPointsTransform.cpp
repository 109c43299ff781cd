#include "filters/ztPointsTransform.h"

const MTypeId ztPointsTransform::id(0xC8);
