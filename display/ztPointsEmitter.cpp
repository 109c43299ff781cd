#include "display/ztPointsEmitter.h"

const MTypeId ztPointsEmitter::id(0xC3);
