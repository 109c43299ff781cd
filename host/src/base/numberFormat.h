#pragma once
// Numbers written the way a script user reads them: whole values without a
// decimal point ("12", "-3"), others in the shortest form that reads back to
// the same value ("0.25", "1e-07"), switching to an exponent like printf's %g.

#include <string>

namespace zt::host {

std::string formatNumber(double value);
// Shortest form for the float itself, so 0.1f gives "0.1".
std::string formatNumber(float value);

}  // namespace zt::host
