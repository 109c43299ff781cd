// Function sets of the plain data values and the base function sets.

#include <maya/MFnBase.h>
#include <maya/MFnData.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnVectorArrayData.h>

#include "base/arrayStorage.h"
#include "data/dataTypes.h"
#include "graph/fnConstructors.h"

using zt::host::ArrayStorage;
using zt::host::ObjectAccess;

namespace zt::host {

unsigned int numericComponentCount(MFnNumericData::Type type) {
    switch (type) {
        case MFnNumericData::kBoolean:
        case MFnNumericData::kByte:
        case MFnNumericData::kChar:
        case MFnNumericData::kShort:
        case MFnNumericData::kInt:
        case MFnNumericData::kFloat:
        case MFnNumericData::kDouble:
            return 1;
        case MFnNumericData::k2Short:
        case MFnNumericData::k2Int:
        case MFnNumericData::k2Float:
        case MFnNumericData::k2Double:
            return 2;
        case MFnNumericData::k3Short:
        case MFnNumericData::k3Int:
        case MFnNumericData::k3Float:
        case MFnNumericData::k3Double:
            return 3;
        case MFnNumericData::k4Double:
            return 4;
        default:
            return 0;
    }
}

std::shared_ptr<DataImpl> makeEmptyData(MFnData::Type type) {
    switch (type) {
        case MFnData::kString:
            return std::make_shared<StringDataImpl>();
        case MFnData::kMatrix:
            return std::make_shared<MatrixDataImpl>();
        case MFnData::kVectorArray:
            return std::make_shared<VectorArrayDataImpl>();
        case MFnData::kDoubleArray:
            return std::make_shared<DoubleArrayDataImpl>();
        case MFnData::kIntArray:
            return std::make_shared<IntArrayDataImpl>();
        case MFnData::kStringArray:
            return std::make_shared<StringArrayDataImpl>();
        default:
            return nullptr;
    }
}

}  // namespace zt::host

// ---- MFnBase ---------------------------------------------------------------

MFnBase::MFnBase() = default;
MFnBase::~MFnBase() = default;
MFn::Type MFnBase::type() const {
    return MFn::kBase;
}
bool MFnBase::hasObj(MFn::Type t) const {
    return !fObject.isNull() && fObject.hasFn(t);
}
bool MFnBase::hasObj(const MObject& object) const {
    return !object.isNull() && object.hasFn(type());
}
MObject MFnBase::object(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = fObject.isNull() ? MS::kFailure : MS::kSuccess;
    return fObject;
}
MStatus MFnBase::setObject(MObject& object) {
    return attach(object);
}
MStatus MFnBase::setObject(const MObject& object) {
    return attach(object);
}
MStatus MFnBase::attach(const MObject& object) {
    if (object.isNull() || !object.hasFn(type())) {
        fObject = MObject();
        return MS::kInvalidParameter;
    }
    fObject = object;
    return MS::kSuccess;
}

ZT_DEFINE_MFN_CONSTRUCTORS(MFnData, MFn::kData)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnVectorArrayData, MFn::kVectorArrayData)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnMatrixData, MFn::kMatrixData)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnStringData, MFn::kStringData)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnNumericData, MFn::kNumericData)

namespace {

template <class Impl>
Impl* attachedAs(const MObject& object) {
    return dynamic_cast<Impl*>(ObjectAccess::get(object).get());
}

template <class Impl>
MObject createAttached(MFnBase& fn, std::shared_ptr<Impl> impl, MStatus* ReturnStatus) {
    MObject object = ObjectAccess::wrap(std::move(impl));
    MStatus s = fn.setObject(object);
    if (ReturnStatus) *ReturnStatus = s;
    return object;
}

void report(MStatus* status, bool ok) {
    if (status) *status = ok ? MS::kSuccess : MS::kInvalidParameter;
}

}  // namespace

// ---- MFnVectorArrayData ----------------------------------------------------

using zt::host::VectorArrayDataImpl;

unsigned int MFnVectorArrayData::length(MStatus* ReturnStatus) const {
    auto* data = attachedAs<VectorArrayDataImpl>(fObject);
    report(ReturnStatus, data != nullptr);
    return data ? static_cast<unsigned int>(data->items->size()) : 0u;
}

MStatus MFnVectorArrayData::set(MVector& element, unsigned int index) {
    auto* data = attachedAs<VectorArrayDataImpl>(fObject);
    if (!data) return MS::kInvalidParameter;
    if (index >= data->items->size()) return MS::kInvalidParameter;
    (*data->items)[index] = element;
    return MS::kSuccess;
}

MStatus MFnVectorArrayData::copyTo(MVectorArray& out) const {
    auto* data = attachedAs<VectorArrayDataImpl>(fObject);
    if (!data) return MS::kInvalidParameter;
    ArrayStorage::items(out) = *data->items;
    return MS::kSuccess;
}

MStatus MFnVectorArrayData::set(const MVectorArray& newArray) {
    auto* data = attachedAs<VectorArrayDataImpl>(fObject);
    if (!data) return MS::kInvalidParameter;
    *data->items = ArrayStorage::items(newArray);
    return MS::kSuccess;
}

MVectorArray MFnVectorArrayData::array(MStatus* ReturnStatus) {
    auto* data = attachedAs<VectorArrayDataImpl>(fObject);
    report(ReturnStatus, data != nullptr);
    return data ? ArrayStorage::alias<MVectorArray>(data->items) : MVectorArray();
}

MObject MFnVectorArrayData::create(MStatus* ReturnStatus) {
    return createAttached(*this, std::make_shared<VectorArrayDataImpl>(), ReturnStatus);
}

MObject MFnVectorArrayData::create(const MVectorArray& in, MStatus* ReturnStatus) {
    auto impl = std::make_shared<VectorArrayDataImpl>();
    *impl->items = ArrayStorage::items(in);
    return createAttached(*this, std::move(impl), ReturnStatus);
}

namespace {

// Out of range or unattached, the element is a scratch vector that is never
// read back, rather than memory the array does not own.
MVector& vectorElement(const MObject& object, unsigned int index) {
    auto* data = attachedAs<VectorArrayDataImpl>(object);
    if (!data || index >= data->items->size()) {
        static thread_local MVector scratch;
        scratch = MVector::zero;
        return scratch;
    }
    return (*data->items)[index];
}

}  // namespace

const MVector& MFnVectorArrayData::operator[](unsigned int index) const {
    return vectorElement(fObject, index);
}

MVector& MFnVectorArrayData::operator[](unsigned int index) {
    return vectorElement(fObject, index);
}

// ---- MFnMatrixData ---------------------------------------------------------

using zt::host::MatrixDataImpl;

const MMatrix& MFnMatrixData::matrix(MStatus* ReturnStatus) const {
    auto* data = attachedAs<MatrixDataImpl>(fObject);
    report(ReturnStatus, data != nullptr);
    return data ? data->matrix : MMatrix::identity;
}

MStatus MFnMatrixData::set(const MMatrix& m) {
    auto* data = attachedAs<MatrixDataImpl>(fObject);
    if (!data) return MS::kInvalidParameter;
    data->matrix = m;
    return MS::kSuccess;
}

MObject MFnMatrixData::create(MStatus* ReturnStatus) {
    return createAttached(*this, std::make_shared<MatrixDataImpl>(), ReturnStatus);
}

MObject MFnMatrixData::create(const MMatrix& m, MStatus* ReturnStatus) {
    return createAttached(*this, std::make_shared<MatrixDataImpl>(m), ReturnStatus);
}

// ---- MFnStringData ---------------------------------------------------------

using zt::host::StringDataImpl;

MString MFnStringData::string(MStatus* ReturnStatus) const {
    auto* data = attachedAs<StringDataImpl>(fObject);
    report(ReturnStatus, data != nullptr);
    return data ? data->string : MString();
}

MStatus MFnStringData::set(const MString& newString) {
    auto* data = attachedAs<StringDataImpl>(fObject);
    if (!data) return MS::kInvalidParameter;
    data->string = newString;
    return MS::kSuccess;
}

MObject MFnStringData::create(const MString& str, MStatus* ReturnStatus) {
    return createAttached(*this, std::make_shared<StringDataImpl>(str), ReturnStatus);
}

MObject MFnStringData::create(MStatus* ReturnStatus) {
    return createAttached(*this, std::make_shared<StringDataImpl>(), ReturnStatus);
}

// ---- MFnNumericData --------------------------------------------------------

using zt::host::NumericDataImpl;

MObject MFnNumericData::create(Type dataType, MStatus* ReturnStatus) {
    if (zt::host::numericComponentCount(dataType) == 0) {
        if (ReturnStatus) *ReturnStatus = MS::kInvalidParameter;
        return MObject();
    }
    auto impl = std::make_shared<NumericDataImpl>();
    impl->numericType = dataType;
    return createAttached(*this, std::move(impl), ReturnStatus);
}

MFnNumericData::Type MFnNumericData::numericType(MStatus* ReturnStatus) {
    auto* data = attachedAs<NumericDataImpl>(fObject);
    report(ReturnStatus, data != nullptr);
    return data ? data->numericType : kInvalid;
}

namespace {

// Reads or writes `count` numbers of the attached numeric data, which must
// have exactly that many components.
template <class T>
MStatus getNumbers(const MObject& object, unsigned int count, T* out[]) {
    auto* data = attachedAs<NumericDataImpl>(object);
    if (!data || zt::host::numericComponentCount(data->numericType) != count)
        return MS::kInvalidParameter;
    for (unsigned int i = 0; i < count; ++i) *out[i] = static_cast<T>(data->values[i]);
    return MS::kSuccess;
}

MStatus setNumbers(const MObject& object, unsigned int count, const double in[]) {
    auto* data = attachedAs<NumericDataImpl>(object);
    if (!data || zt::host::numericComponentCount(data->numericType) != count)
        return MS::kInvalidParameter;
    for (unsigned int i = 0; i < count; ++i) data->values[i] = in[i];
    return MS::kSuccess;
}

}  // namespace

#define ZT_NUMERIC_DATA_ACCESS(T)                                             \
    MStatus MFnNumericData::getData(T& a, T& b) {                             \
        T* out[] = {&a, &b};                                                  \
        return getNumbers(fObject, 2, out);                                   \
    }                                                                         \
    MStatus MFnNumericData::getData(T& a, T& b, T& c) {                       \
        T* out[] = {&a, &b, &c};                                              \
        return getNumbers(fObject, 3, out);                                   \
    }                                                                         \
    MStatus MFnNumericData::setData(T a, T b) {                               \
        const double in[] = {static_cast<double>(a), static_cast<double>(b)}; \
        return setNumbers(fObject, 2, in);                                    \
    }                                                                         \
    MStatus MFnNumericData::setData(T a, T b, T c) {                          \
        const double in[] = {static_cast<double>(a), static_cast<double>(b),  \
                             static_cast<double>(c)};                         \
        return setNumbers(fObject, 3, in);                                    \
    }

ZT_NUMERIC_DATA_ACCESS(short)
ZT_NUMERIC_DATA_ACCESS(int)
ZT_NUMERIC_DATA_ACCESS(float)
ZT_NUMERIC_DATA_ACCESS(double)
