#pragma once
// The data values of this host (besides meshes, which live with the mesh
// code): array-attrs point sets, arrays, matrices, strings and numeric
// compounds.

#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnNumericData.h>
#include <maya/MMatrix.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <memory>
#include <string>
#include <vector>

#include "data/data.h"

namespace zt::host {

// Named channels in insertion order. Each channel holds exactly one of the
// four array kinds; the vectors are shared with the arrays the function set
// hands out, so filling such an array fills the channel.
class ArrayAttrsDataImpl : public DataImpl {
public:
    struct Channel {
        std::string name;
        MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
        std::shared_ptr<std::vector<MVector>> vectors;
        std::shared_ptr<std::vector<double>> doubles;
        std::shared_ptr<std::vector<int>> ints;
        std::shared_ptr<std::vector<MString>> strings;
    };

    ArrayAttrsDataImpl() = default;
    ArrayAttrsDataImpl(const ArrayAttrsDataImpl& other);

    MFn::Type apiType() const override { return MFn::kDynArrayAttrsData; }
    MFnData::Type dataType() const override { return MFnData::kDynArrayAttrs; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<ArrayAttrsDataImpl>(*this);
    }

    Channel* find(const std::string& name);
    // The channel of that name and type; a missing channel is appended, one
    // of another type is replaced in place by an empty one of this type.
    Channel& require(const std::string& name, MFnArrayAttrsData::Type type);

    std::vector<Channel> channels;
};

// A value that is one std::vector of T (vector, double, int, string,
// point arrays), shared with the arrays handed out for it.
template <class T, MFnData::Type kDataType, MFn::Type kApiType>
class VectorDataImpl : public DataImpl {
public:
    VectorDataImpl() : items(std::make_shared<std::vector<T>>()) {}
    VectorDataImpl(const VectorDataImpl& other)
        : DataImpl(other), items(std::make_shared<std::vector<T>>(*other.items)) {}

    MFn::Type apiType() const override { return kApiType; }
    MFnData::Type dataType() const override { return kDataType; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<VectorDataImpl>(*this);
    }

    std::shared_ptr<std::vector<T>> items;
};

using VectorArrayDataImpl = VectorDataImpl<MVector, MFnData::kVectorArray, MFn::kVectorArrayData>;
using DoubleArrayDataImpl = VectorDataImpl<double, MFnData::kDoubleArray, MFn::kDoubleArrayData>;
using IntArrayDataImpl = VectorDataImpl<int, MFnData::kIntArray, MFn::kIntArrayData>;
using StringArrayDataImpl = VectorDataImpl<MString, MFnData::kStringArray, MFn::kStringArrayData>;

class MatrixDataImpl : public DataImpl {
public:
    MatrixDataImpl() = default;
    explicit MatrixDataImpl(const MMatrix& m) : matrix(m) {}
    MatrixDataImpl(const MatrixDataImpl& other) = default;
    MFn::Type apiType() const override { return MFn::kMatrixData; }
    MFnData::Type dataType() const override { return MFnData::kMatrix; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<MatrixDataImpl>(*this);
    }
    MMatrix matrix;
};

class StringDataImpl : public DataImpl {
public:
    StringDataImpl() = default;
    explicit StringDataImpl(const MString& s) : string(s) {}
    StringDataImpl(const StringDataImpl& other) = default;
    MFn::Type apiType() const override { return MFn::kStringData; }
    MFnData::Type dataType() const override { return MFnData::kString; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<StringDataImpl>(*this);
    }
    MString string;
};

// Two to four numbers of one type carried as one value (the value of a
// numeric compound plug such as translate).
class NumericDataImpl : public DataImpl {
public:
    NumericDataImpl() = default;
    NumericDataImpl(const NumericDataImpl& other) = default;
    MFn::Type apiType() const override { return MFn::kNumericData; }
    MFnData::Type dataType() const override { return MFnData::kNumeric; }
    std::shared_ptr<DataImpl> clone() const override {
        return std::make_shared<NumericDataImpl>(*this);
    }
    MFnNumericData::Type numericType = MFnNumericData::kInvalid;
    double values[4] = {0, 0, 0, 0};
};

// Number of components of a numeric type: 1 for scalars, 2..4 otherwise,
// 0 for kInvalid/kLast/kAddr.
unsigned int numericComponentCount(MFnNumericData::Type type);

// A new empty value of a data type, or null for types without a default
// (meshes and point sets start out null: a function set on them fails).
std::shared_ptr<DataImpl> makeEmptyData(MFnData::Type type);

}  // namespace zt::host
