#include "noise/ztNoise.h"

const MTypeId ztNoise::id(0xD0);
