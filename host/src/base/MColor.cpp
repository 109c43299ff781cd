#include <maya/MColor.h>

#include <ostream>

#include "base/numberFormat.h"

using zt::host::formatNumber;

const MColor MColor::kOpaqueBlack(0.0f, 0.0f, 0.0f, 1.0f);

MColor::MColor(const float d[3]) : r(d[0]), g(d[1]), b(d[2]), a(1.0f) {}

bool MColor::get(float d[3]) const {
    if (d == nullptr) return false;
    d[0] = r;
    d[1] = g;
    d[2] = b;
    return true;
}

std::ostream& operator<<(std::ostream& os, const MColor& c) {
    return os << '[' << formatNumber(c.r) << ", " << formatNumber(c.g) << ", " << formatNumber(c.b)
              << ", " << formatNumber(c.a) << ']';
}
