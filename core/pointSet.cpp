#include "core/pointSet.h"

#include <maya/MDataHandle.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zt {
namespace {

template <class IsExcluded>
void copyChannels(MFnArrayAttrsData& out, MFnArrayAttrsData& in, IsExcluded isExcluded) {
    MStatus status;
    const MStringArray names = in.list(&status);
    CHECK_MSTATUS(status);
    for (unsigned int i = 0; i < names.length(); ++i) {
        const MString name = names[i];
        if (isExcluded(name)) continue;
        MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
        in.checkArrayExist(name, type);
        switch (type) {
            case MFnArrayAttrsData::kVectorArray: {
                MVectorArray target = out.vectorArray(name, &status);
                CHECK_MSTATUS(status);
                CHECK_MSTATUS(target.copy(in.getVectorData(name)));
                break;
            }
            case MFnArrayAttrsData::kDoubleArray: {
                MDoubleArray target = out.doubleArray(name, &status);
                CHECK_MSTATUS(status);
                CHECK_MSTATUS(target.copy(in.getDoubleData(name)));
                break;
            }
            case MFnArrayAttrsData::kIntArray: {
                MIntArray target = out.intArray(name, &status);
                CHECK_MSTATUS(status);
                CHECK_MSTATUS(target.copy(in.getIntData(name)));
                break;
            }
            default:
                cerr << "copyAttributes: invalid array type";
                break;
        }
    }
}

}  // namespace

void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MString& excluded) {
    copyChannels(out, in, [&](const MString& name) { return name == excluded; });
}

void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& excluded) {
    // The exclusion list is walked with a 16-bit count, as the node code
    // always has: lists longer than 65535 names wrap.
    const std::uint16_t count = static_cast<std::uint16_t>(excluded.length());
    copyChannels(out, in, [&](const MString& name) {
        for (std::uint16_t j = 0; j < count; ++j) {
            if (name == excluded[j]) return true;
        }
        return false;
    });
}

MStatus createPointSetAttribute(MObject& attribute, const char* longName, const char* shortName,
                                PointSetRole role) {
    MFnTypedAttribute typedAttr;
    MStatus status;
    attribute = typedAttr.create(longName, shortName, MFnData::kDynArrayAttrs, &status);
    if (!status) {
        cerr << "ERROR in MFnData::kDynArrayAttrs.\n" << endl << status.errorString() << endl;
        return status;
    }
    const bool input = role == PointSetRole::kInput;
    CHECK_MSTATUS(typedAttr.setStorable(false));
    CHECK_MSTATUS(typedAttr.setReadable(true));
    CHECK_MSTATUS(typedAttr.setWritable(input));
    CHECK_MSTATUS(typedAttr.setKeyable(false));
    return MS::kSuccess;
}

std::vector<float> toFloat3(const MVectorArray& values) {
    const unsigned int n = values.length();
    std::vector<float> flat(3u * static_cast<std::size_t>(n));
    for (unsigned int i = 0; i < n; ++i) {
        flat[3u * i] = static_cast<float>(values[i].x);
        flat[3u * i + 1] = static_cast<float>(values[i].y);
        flat[3u * i + 2] = static_cast<float>(values[i].z);
    }
    return flat;
}

std::vector<float> toFloat2(const MVectorArray& values) {
    const unsigned int n = values.length();
    std::vector<float> flat(2u * static_cast<std::size_t>(n));
    for (unsigned int i = 0; i < n; ++i) {
        flat[2u * i] = static_cast<float>(values[i].x);
        flat[2u * i + 1] = static_cast<float>(values[i].y);
    }
    return flat;
}

std::vector<float> toFloat(const MDoubleArray& values) {
    std::vector<float> flat(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) flat[i] = static_cast<float>(values[i]);
    return flat;
}

std::vector<unsigned int> toUnsigned(const MIntArray& values) {
    std::vector<unsigned int> flat(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) {
        flat[i] = static_cast<unsigned int>(values[i]);
    }
    return flat;
}

std::vector<float> keepElements(const std::vector<float>& values, std::size_t width,
                                const std::vector<std::uint8_t>& keep) {
    std::vector<float> kept;
    const std::size_t count = width > 0 ? std::min(values.size() / width, keep.size()) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!keep[i]) continue;
        kept.insert(kept.end(), values.begin() + static_cast<std::ptrdiff_t>(i * width),
                    values.begin() + static_cast<std::ptrdiff_t>((i + 1) * width));
    }
    return kept;
}

void appendFloat3(MVectorArray& out, const float* xyz, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out.append(MVector(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]));
    }
}

void appendFloat(MDoubleArray& out, const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out.append(values[i]);
}

void appendUnsigned(MIntArray& out, const unsigned int* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out.append(static_cast<int>(values[i]));
}

std::array<float, 16> toFloatColumns(const MMatrix& m) {
    std::array<float, 16> columns{};
    for (unsigned int c = 0; c < 4; ++c) {
        for (unsigned int r = 0; r < 4; ++r) columns[4 * c + r] = static_cast<float>(m(r, c));
    }
    return columns;
}

bool isFinite(const MMatrix& m) {
    for (unsigned int r = 0; r < 4; ++r) {
        for (unsigned int c = 0; c < 4; ++c) {
            if (!std::isfinite(m(r, c))) return false;
        }
    }
    return true;
}

bool isInvertible(const MMatrix& m) {
    const double determinant = m.det4x4();
    return isFinite(m) && determinant != 0.0 && std::isfinite(determinant);
}

bool readMatrixColumns(MDataBlock& block, const MObject& node, const MObject& attribute,
                       MatrixUse use, const char* refusal, std::array<float, 16>& columns) {
    const MMatrix matrix = block.inputValue(attribute).asMatrix();
    const bool usable = use == MatrixUse::kInverse ? isInvertible(matrix) : isFinite(matrix);
    if (!usable) {
        MGlobal::displayError(MPlug(node, attribute).name() + ": " + refusal);
        return false;
    }
    columns = toFloatColumns(use == MatrixUse::kInverse ? matrix.inverse() : matrix);
    return true;
}

}  // namespace zt
