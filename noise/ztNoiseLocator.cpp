#include "noise/ztNoiseLocator.h"

const MTypeId ztNoiseLocator::id(0xC9);
