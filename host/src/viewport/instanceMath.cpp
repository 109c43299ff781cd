#include "viewport/instanceMath.h"

#include <maya/MFnArrayAttrsData.h>
#include <maya/MStringArray.h>

#include <cmath>

#include "graph/dag.h"

namespace zt::host {

namespace {

bool finite(const MVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The world axis least aligned with `v`.
MVector leastAligned(const MVector& v) {
    const double ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
    if (ax <= ay && ax <= az) return MVector(1, 0, 0);
    if (ay <= az) return MVector(0, 1, 0);
    return MVector(0, 0, 1);
}

// An orthonormal frame whose first axis is along `a` and second towards
// `up`. False when `a` has no length.
bool frame(const MVector& a, const MVector& up, MVector axes[3]) {
    const double length = a.length();
    if (!(length > 0.0) || !finite(a)) return false;
    axes[0] = a / length;
    MVector u = up - axes[0] * (up * axes[0]);
    if (!(u.length() > 1e-9 * (up.length() + 1.0)) || !finite(u)) {
        const MVector other = leastAligned(axes[0]);
        u = other - axes[0] * (other * axes[0]);
    }
    axes[1] = u.normal();
    axes[2] = axes[0] ^ axes[1];
    return true;
}

const char* typeName(MFnArrayAttrsData::Type type) {
    switch (type) {
        case MFnArrayAttrsData::kVectorArray:
            return "vector";
        case MFnArrayAttrsData::kDoubleArray:
            return "double";
        case MFnArrayAttrsData::kIntArray:
            return "int";
        case MFnArrayAttrsData::kStringArray:
            return "string";
        default:
            return "unknown";
    }
}

}  // namespace

MMatrix aimRotation(const MVector& aim, const MVector& worldUp, const MVector& aimAxis,
                    const MVector& upAxis) {
    MVector local[3], world[3];
    MMatrix r;
    if (!frame(aimAxis, upAxis, local) || !frame(aim, worldUp, world)) return r;
    // Row vectors: R = L^T W maps local axis k (row k of L) to world axis k.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] =
                local[0][i] * world[0][j] + local[1][i] * world[1][j] + local[2][i] * world[2][j];
    return r;
}

bool InstancePoints::read(const MObject& pointSet, std::string& error) {
    *this = InstancePoints();
    if (pointSet.isNull()) return true;
    MFnArrayAttrsData data(pointSet);
    MStatus status;
    const MStringArray names = data.list(&status);
    if (!status) {
        error = "the input is not a point set";
        return false;
    }
    if (names.length() == 0) return true;

    MFnArrayAttrsData::Type type;
    if (!data.checkArrayExist("position", type)) {
        error = "the point set has no \"position\" channel";
        return false;
    }
    bool ok = true;
    auto wrongType = [&](const char* name, MFnArrayAttrsData::Type found, const char* wanted) {
        error = std::string("channel \"") + name + "\" is a " + typeName(found) +
                " array; the instancer reads " + wanted;
        ok = false;
    };
    auto vectors = [&](const char* name, std::vector<MVector>& out) {
        if (!ok || !data.checkArrayExist(name, type)) return;
        if (type != MFnArrayAttrsData::kVectorArray) return wrongType(name, type, "a vector array");
        const MVectorArray values = data.getVectorData(name);
        out.resize(values.length());
        for (unsigned int i = 0; i < values.length(); ++i) {
            if (!finite(values[i])) {
                error = std::string("channel \"") + name +
                        "\" has a value that is not a number at point " + std::to_string(i);
                ok = false;
                return;
            }
            out[i] = values[i];
        }
    };
    auto ints = [&](const char* name, std::vector<int>& out) {
        if (!ok || !data.checkArrayExist(name, type)) return;
        if (type == MFnArrayAttrsData::kIntArray) {
            const MIntArray values = data.getIntData(name);
            out.resize(values.length());
            for (unsigned int i = 0; i < values.length(); ++i) out[i] = values[i];
        } else if (type == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray values = data.getDoubleData(name);
            out.resize(values.length());
            for (unsigned int i = 0; i < values.length(); ++i) {
                const double v = values[i];
                if (!std::isfinite(v) || std::fabs(v) > 2.0e9) {
                    error = std::string("channel \"") + name + "\" has the value " +
                            std::to_string(v) + " at point " + std::to_string(i) +
                            ", not a whole number";
                    ok = false;
                    return;
                }
                out[i] = static_cast<int>(std::lround(v));
            }
        } else {
            wrongType(name, type, "an int (or double) array");
        }
    };
    vectors("position", position_);
    vectors("scale", scale_);
    vectors("rotation", rotation_);
    vectors("aimDirection", aimDirection_);
    vectors("aimPosition", aimPosition_);
    vectors("aimAxis", aimAxis_);
    vectors("aimUpAxis", aimUpAxis_);
    vectors("aimWorldUp", aimWorldUp_);
    ints("rotationType", rotationType_);
    ints("objectIndex", objectIndex_);
    ints("visibility", visibility_);
    if (!ok) return false;

    const std::size_t n = position_.size();
    const struct {
        const char* name;
        std::size_t size;
        bool present;
    } channels[] = {
        {"scale", scale_.size(), data.checkArrayExist("scale", type)},
        {"rotation", rotation_.size(), data.checkArrayExist("rotation", type)},
        {"aimDirection", aimDirection_.size(), data.checkArrayExist("aimDirection", type)},
        {"aimPosition", aimPosition_.size(), data.checkArrayExist("aimPosition", type)},
        {"aimAxis", aimAxis_.size(), data.checkArrayExist("aimAxis", type)},
        {"aimUpAxis", aimUpAxis_.size(), data.checkArrayExist("aimUpAxis", type)},
        {"aimWorldUp", aimWorldUp_.size(), data.checkArrayExist("aimWorldUp", type)},
        {"rotationType", rotationType_.size(), data.checkArrayExist("rotationType", type)},
        {"objectIndex", objectIndex_.size(), data.checkArrayExist("objectIndex", type)},
        {"visibility", visibility_.size(), data.checkArrayExist("visibility", type)},
    };
    for (const auto& channel : channels) {
        if (channel.present && channel.size != n) {
            error = std::string("channel \"") + channel.name + "\" has " +
                    std::to_string(channel.size) + " elements for " + std::to_string(n) +
                    " positions";
            *this = InstancePoints();
            return false;
        }
    }
    for (std::size_t i = 0; i < rotationType_.size(); ++i) {
        if (rotationType_[i] < 0 || rotationType_[i] > 2) {
            error = "channel \"rotationType\" has the value " + std::to_string(rotationType_[i]) +
                    " at point " + std::to_string(i) +
                    " (0: rotation, 1: aimDirection, 2: aimPosition)";
            *this = InstancePoints();
            return false;
        }
    }
    if (!rotation_.empty())
        defaultRotationType_ = 0;
    else if (!aimDirection_.empty())
        defaultRotationType_ = 1;
    else if (!aimPosition_.empty())
        defaultRotationType_ = 2;
    return true;
}

MMatrix InstancePoints::matrix(std::size_t i, bool radians) const {
    const MVector& p = position_[i];
    const MVector s = scale_.empty() ? MVector(1, 1, 1) : scale_[i];
    const int mode = rotationType_.empty() ? defaultRotationType_ : rotationType_[i];
    const MVector axis = aimAxis_.empty() ? MVector(1, 0, 0) : aimAxis_[i];
    const MVector upAxis = aimUpAxis_.empty() ? MVector(0, 1, 0) : aimUpAxis_[i];
    const MVector worldUp = aimWorldUp_.empty() ? MVector(0, 1, 0) : aimWorldUp_[i];

    MMatrix rotation;  // identity: no rotation, or the channel it asks for is missing
    if (mode == 0 && !rotation_.empty()) {
        const double toDegrees = radians ? 180.0 / M_PI : 1.0;
        const double t[3] = {0, 0, 0};
        const double r[3] = {rotation_[i].x * toDegrees, rotation_[i].y * toDegrees,
                             rotation_[i].z * toDegrees};
        const double one[3] = {1, 1, 1};
        rotation = composeTransform(t, r, one);
    } else if (mode == 1 && !aimDirection_.empty()) {
        rotation = aimRotation(aimDirection_[i], worldUp, axis, upAxis);
    } else if (mode == 2 && !aimPosition_.empty()) {
        rotation = aimRotation(aimPosition_[i] - p, worldUp, axis, upAxis);
    }
    MMatrix m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = s[static_cast<unsigned>(r)] * rotation[r][c];
    m[3][0] = p.x;
    m[3][1] = p.y;
    m[3][2] = p.z;
    return m;
}

}  // namespace zt::host
