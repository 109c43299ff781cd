#include "attributes/ztPointsObjectId.h"

const MTypeId ztPointsObjectId::id(0xB8);
