#include "filters/ztPointsMerge.h"

const MTypeId ztPointsMerge::id(0xC2);
