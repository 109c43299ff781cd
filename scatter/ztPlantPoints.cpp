#include "scatter/ztPlantPoints.h"

const MTypeId ztPlantPoints::id(0xC5);
