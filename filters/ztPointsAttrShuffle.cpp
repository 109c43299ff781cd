#include "filters/ztPointsAttrShuffle.h"

const MTypeId ztPointsAttrShuffle::id(0xC4);
