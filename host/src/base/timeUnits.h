#pragma once
// Time units as the host's scripts name them ("film", "ntsc", "sec", "30fps"...).

#include <maya/MTime.h>

#include <string>

namespace zt::host {

// The unit's length in ticks of 1/6000 s, 0 for units without a rate.
double ticksPerUnit(MTime::Unit unit);

// The unit's script name; "" for an invalid unit.
const char* timeUnitName(MTime::Unit unit);

// The unit with that script name (also "<n>fps" for the units that are a rate
// in frames per second), or kInvalid.
MTime::Unit timeUnitFromName(const std::string& name);

}  // namespace zt::host
