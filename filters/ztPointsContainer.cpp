#include "filters/ztPointsContainer.h"

const MTypeId ztPointsContainer::id(0xC0);
