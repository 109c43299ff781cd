#include "attributes/ztColorBuffer.h"

const MTypeId ztColorBuffer::id(0xB5);
