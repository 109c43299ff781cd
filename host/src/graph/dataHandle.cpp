// MDataHandle: typed access to one value of a data block.

#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "data/dataTypes.h"
#include "graph/dataBlock.h"
#include "graph/evaluation.h"
#include "graph/plugAccess.h"

using zt::host::AttributeImpl;
using zt::host::AttrKind;
using zt::host::Cell;
using zt::host::Value;

namespace zt::host {

MDataHandle DataHandleAccess::make(Cell* cell, const AttributeImpl* attr, bool writable,
                                   bool wholeArray) {
    MDataHandle handle;
    handle.cell_ = cell;
    handle.attr_ = cell ? attr : nullptr;
    handle.writable_ = writable;
    handle.wholeArray_ = wholeArray;
    return handle;
}

}  // namespace zt::host

namespace {

// What an accessor returns when the handle holds no such value: fresh each
// time, so nothing written to it is ever read back.
template <class T>
T& scratch() {
    static thread_local T value;
    if constexpr (std::is_array_v<T>) {
        std::fill(std::begin(value), std::end(value), std::remove_extent_t<T>());
    } else {
        value = T();
    }
    return value;
}

MFnNumericData::Type representation(MFnNumericData::Type scalar, unsigned int count) {
    if (count == 1) return scalar;
    switch (scalar) {
        case MFnNumericData::kShort:
            return count == 2 ? MFnNumericData::k2Short
                              : (count == 3 ? MFnNumericData::k3Short : MFnNumericData::kInvalid);
        case MFnNumericData::kInt:
            return count == 2 ? MFnNumericData::k2Int
                              : (count == 3 ? MFnNumericData::k3Int : MFnNumericData::kInvalid);
        case MFnNumericData::kFloat:
            return count == 2 ? MFnNumericData::k2Float
                              : (count == 3 ? MFnNumericData::k3Float : MFnNumericData::kInvalid);
        case MFnNumericData::kDouble:
            return count == 2 ? MFnNumericData::k2Double
                              : (count == 3 ? MFnNumericData::k3Double : MFnNumericData::k4Double);
        default:
            return MFnNumericData::kInvalid;
    }
}

// Converted copies of read-only values: a few slots used in turn, so that
// references from several recent reads stay valid.
Value& conversionSlot() {
    static thread_local Value slots[16];
    static thread_local unsigned int next = 0;
    return slots[next++ % 16];
}

// The numbers of the handle's value stored as `scalar`, or null when the
// handle holds no numbers. A writable handle converts the stored value
// itself (so writes through the reference stick); a read-only one reads a
// converted copy and leaves the stored value as it is. `component` is the
// index of the handle's number (children of numeric compounds), -1 for the
// whole value; `wantCount` asks for a value with that many numbers.
Value::Numbers* numbers(Cell* cell, const AttributeImpl* attr, bool writable,
                        MFnNumericData::Type scalar, unsigned int wantCount, int& component) {
    if (!cell) return nullptr;
    Value& value = cell->value;
    if (value.kind != Value::Kind::kNumeric) return nullptr;
    component = zt::host::componentOf(attr);
    const unsigned int count = zt::host::numericComponentCount(value.rep);
    if (component < 0 && count != wantCount) return nullptr;
    if (component >= 0 && wantCount != 1) return nullptr;
    const MFnNumericData::Type rep = representation(scalar, count);
    if (rep == MFnNumericData::kInvalid) return nullptr;
    if (component < 0) component = 0;
    if (value.rep == rep || writable) {
        zt::host::convertRepresentation(value, rep);
        return &value.num;
    }
    Value& copy = conversionSlot();
    copy.kind = Value::Kind::kNumeric;
    copy.rep = value.rep;
    copy.num = value.num;
    zt::host::convertRepresentation(copy, rep);
    return &copy.num;
}

zt::host::StringDataImpl* stringData(Cell* cell, const AttributeImpl* attr, bool writable) {
    if (!cell || cell->value.kind != Value::Kind::kData || attr->dataType != MFnData::kString)
        return nullptr;
    Value& value = cell->value;
    if (!value.data) {
        value.data = std::make_shared<zt::host::StringDataImpl>();
        value.dataOwned = true;
    } else if (writable) {
        zt::host::ownData(value);
    }
    return dynamic_cast<zt::host::StringDataImpl*>(value.data.get());
}

}  // namespace

MDataHandle::MDataHandle() : cell_(nullptr), attr_(nullptr), writable_(false), wholeArray_(false) {}
MDataHandle::MDataHandle(const MDataHandle&) = default;
MDataHandle& MDataHandle::operator=(const MDataHandle& other) = default;

bool MDataHandle::isNumeric() const {
    if (!cell_ || wholeArray_) return false;
    return cell_->value.kind == Value::Kind::kNumeric;
}

MFnNumericData::Type MDataHandle::numericType() const {
    if (!attr_) return MFnNumericData::kInvalid;
    switch (attr_->kind) {
        case AttrKind::kNumeric:
        case AttrKind::kCompound:
            return attr_->numericType;
        case AttrKind::kEnum:
            return MFnNumericData::kShort;
        case AttrKind::kUnit:
            return attr_->unitType == MFnUnitAttribute::kTime ? MFnNumericData::kInvalid
                                                              : MFnNumericData::kDouble;
        default:
            return MFnNumericData::kInvalid;
    }
}

MFnData::Type MDataHandle::type() const {
    if (!attr_) return MFnData::kInvalid;
    switch (attr_->kind) {
        case AttrKind::kTyped:
            return attr_->dataType;
        case AttrKind::kMatrix:
            return MFnData::kMatrix;
        case AttrKind::kNumeric:
        case AttrKind::kEnum:
        case AttrKind::kUnit:
            return MFnData::kNumeric;
        case AttrKind::kCompound:
            return attr_->isNumericCompound() ? MFnData::kNumeric : MFnData::kInvalid;
        default:
            return MFnData::kInvalid;
    }
}

MObject MDataHandle::data() {
    if (!cell_ || wholeArray_) return MObject();
    Value& value = cell_->value;
    const int component = zt::host::componentOf(attr_);
    switch (value.kind) {
        case Value::Kind::kData:
            // A writer may change the object it gets: it must be its own.
            if (writable_) zt::host::ownData(value);
            return value.data ? zt::host::ObjectAccess::wrap(value.data) : MObject();
        case Value::Kind::kMatrix:
            return zt::host::ObjectAccess::wrap(
                std::make_shared<zt::host::MatrixDataImpl>(value.matrix));
        case Value::Kind::kNumeric:
            if (component < 0 && attr_->isNumericCompound()) {
                auto data = std::make_shared<zt::host::NumericDataImpl>();
                data->numericType = attr_->numericType;
                for (unsigned int k = 0; k < zt::host::numericComponentCount(value.rep) && k < 4;
                     ++k)
                    data->values[k] = zt::host::numberOf(value, k);
                return zt::host::ObjectAccess::wrap(data);
            }
            return MObject();
        default:
            return MObject();
    }
}

MStatus MDataHandle::copy(const MDataHandle& src) {
    if (!cell_ || !src.cell_) return MS::kInvalidParameter;
    if (cell_ == src.cell_ && attr_ == src.attr_) return MS::kSuccess;
    const int to = zt::host::componentOf(attr_);
    const int from = zt::host::componentOf(src.attr_);
    if (to >= 0 || from >= 0) {
        if (to < 0 || from < 0) return MS::kInvalidParameter;
        zt::host::setNumber(cell_->value, static_cast<unsigned int>(to),
                            zt::host::numberOf(src.cell_->value, static_cast<unsigned int>(from)));
        return MS::kSuccess;
    }
    if (wholeArray_ != src.wholeArray_) return MS::kInvalidParameter;
    Cell copied(*src.cell_);
    // The copy gets data objects of its own.
    struct Owner {
        static void own(Cell& c) {
            c.value.dataOwned = false;
            zt::host::ownData(c.value);
            for (Cell& child : c.children) own(child);
            for (auto& entry : c.elements) own(*entry.second);
        }
    };
    Owner::own(copied);
    copied.dirty = cell_->dirty;
    *cell_ = std::move(copied);
    return MS::kSuccess;
}

void MDataHandle::setClean() {
    if (!cell_) return;
    const int component = zt::host::componentOf(attr_);
    if (component >= 0 && static_cast<std::size_t>(component) < cell_->children.size()) {
        cell_->children[static_cast<std::size_t>(component)].dirty = false;
        return;
    }
    struct Cleaner {
        static void clean(Cell& c) {
            c.dirty = false;
            for (Cell& child : c.children) clean(child);
            for (auto& entry : c.elements) clean(*entry.second);
        }
    };
    Cleaner::clean(*cell_);
}

#define ZT_SCALAR_ACCESSOR(Name, T, scalarType, member)                                 \
    T& MDataHandle::Name() const {                                                      \
        int component = 0;                                                              \
        Value::Numbers* n = numbers(cell_, attr_, writable_, scalarType, 1, component); \
        return n ? n->member : scratch<T>();                                            \
    }

ZT_SCALAR_ACCESSOR(asBool, bool, MFnNumericData::kBoolean, b)
ZT_SCALAR_ACCESSOR(asChar, char, MFnNumericData::kChar, c)
ZT_SCALAR_ACCESSOR(asUChar, unsigned char, MFnNumericData::kByte, uc)

#define ZT_COMPONENT_ACCESSOR(Name, T, scalarType, member)                              \
    T& MDataHandle::Name() const {                                                      \
        int component = 0;                                                              \
        Value::Numbers* n = numbers(cell_, attr_, writable_, scalarType, 1, component); \
        return n ? n->member[component] : scratch<T>();                                 \
    }

ZT_COMPONENT_ACCESSOR(asShort, short, MFnNumericData::kShort, s)
ZT_COMPONENT_ACCESSOR(asInt, int, MFnNumericData::kInt, i)
ZT_COMPONENT_ACCESSOR(asLong, int, MFnNumericData::kInt, i)
ZT_COMPONENT_ACCESSOR(asFloat, float, MFnNumericData::kFloat, f)
ZT_COMPONENT_ACCESSOR(asDouble, double, MFnNumericData::kDouble, d)

// Several numbers as one array: the array types are views of the leading
// elements of the value's number storage.
#define ZT_TUPLE_ACCESSOR(Name, T, scalarType, count, member)                               \
    T& MDataHandle::Name() const {                                                          \
        int component = 0;                                                                  \
        Value::Numbers* n = numbers(cell_, attr_, writable_, scalarType, count, component); \
        return n ? *reinterpret_cast<T*>(&n->member[0]) : scratch<T>();                     \
    }

ZT_TUPLE_ACCESSOR(asShort2, short2, MFnNumericData::kShort, 2, s)
ZT_TUPLE_ACCESSOR(asInt2, int2, MFnNumericData::kInt, 2, i)
ZT_TUPLE_ACCESSOR(asFloat2, float2, MFnNumericData::kFloat, 2, f)
ZT_TUPLE_ACCESSOR(asDouble2, double2, MFnNumericData::kDouble, 2, d)
ZT_TUPLE_ACCESSOR(asShort3, short3, MFnNumericData::kShort, 3, s)
ZT_TUPLE_ACCESSOR(asInt3, int3, MFnNumericData::kInt, 3, i)
ZT_TUPLE_ACCESSOR(asFloat3, float3, MFnNumericData::kFloat, 3, f)
ZT_TUPLE_ACCESSOR(asDouble3, double3, MFnNumericData::kDouble, 3, d)
ZT_TUPLE_ACCESSOR(asDouble4, double4, MFnNumericData::kDouble, 4, d)

static_assert(sizeof(MVector) == 3 * sizeof(double) && std::is_standard_layout_v<MVector>,
              "MVector must be laid out as three doubles");
static_assert(sizeof(MFloatVector) == 3 * sizeof(float) && std::is_standard_layout_v<MFloatVector>,
              "MFloatVector must be laid out as three floats");

MVector& MDataHandle::asVector() const {
    return reinterpret_cast<MVector&>(asDouble3());
}

MFloatVector& MDataHandle::asFloatVector() const {
    return reinterpret_cast<MFloatVector&>(asFloat3());
}

MTime MDataHandle::asTime() const {
    if (!cell_) return MTime();
    const Value& value = cell_->value;
    if (value.kind == Value::Kind::kTime) return value.time;
    if (value.kind == Value::Kind::kNumeric) {
        const int component = zt::host::componentOf(attr_);
        return MTime(zt::host::numberOf(value, component < 0 ? 0u : component), MTime::uiUnit());
    }
    return MTime();
}

MMatrix& MDataHandle::asMatrix() const {
    if (!cell_) return scratch<MMatrix>();
    Value& value = cell_->value;
    switch (value.kind) {
        case Value::Kind::kMatrix:
            return value.matrix;
        case Value::Kind::kFloatMatrix: {
            double m[4][4];
            value.floatMatrix.get(m);
            value.matrix = MMatrix(m);
            value.kind = Value::Kind::kMatrix;
            return value.matrix;
        }
        case Value::Kind::kData: {
            if (attr_->dataType != MFnData::kMatrix) return scratch<MMatrix>();
            if (!value.data) {
                value.data = std::make_shared<zt::host::MatrixDataImpl>();
                value.dataOwned = true;
            } else if (writable_) {
                zt::host::ownData(value);
            }
            auto* data = dynamic_cast<zt::host::MatrixDataImpl*>(value.data.get());
            return data ? data->matrix : scratch<MMatrix>();
        }
        default:
            return scratch<MMatrix>();
    }
}

MFloatMatrix& MDataHandle::asFloatMatrix() const {
    if (!cell_) return scratch<MFloatMatrix>();
    Value& value = cell_->value;
    if (value.kind == Value::Kind::kMatrix) {
        value.floatMatrix = MFloatMatrix(value.matrix.matrix);
        value.kind = Value::Kind::kFloatMatrix;
    }
    return value.kind == Value::Kind::kFloatMatrix ? value.floatMatrix : scratch<MFloatMatrix>();
}

MString& MDataHandle::asString() const {
    zt::host::StringDataImpl* data = stringData(cell_, attr_, writable_);
    return data ? data->string : scratch<MString>();
}

MObject MDataHandle::asMesh() const {
    if (!cell_ || cell_->value.kind != Value::Kind::kData || !cell_->value.data) return MObject();
    if (cell_->value.data->dataType() != MFnData::kMesh) return MObject();
    return zt::host::ObjectAccess::wrap(cell_->value.data);
}

MDataHandle MDataHandle::child(const MObject& attribute) {
    const AttributeImpl* wanted = zt::host::attributeOf(attribute);
    if (!cell_ || wholeArray_ || !wanted) return MDataHandle();
    const int index = attr_->childIndex(wanted);
    if (index < 0) return MDataHandle();
    if (attr_->isNumericCompound())
        return zt::host::DataHandleAccess::make(cell_, wanted, writable_, false);
    if (static_cast<std::size_t>(index) >= cell_->children.size()) return MDataHandle();
    return zt::host::DataHandleAccess::make(&cell_->children[static_cast<std::size_t>(index)],
                                            wanted, writable_, wanted->array);
}

MDataHandle MDataHandle::child(const MPlug& plug) {
    return child(plug.attribute());
}

// ---- setting ---------------------------------------------------------------

namespace {

void setNumbers(Cell* cell, const AttributeImpl* attr, std::initializer_list<double> values) {
    if (!cell || cell->value.kind != Value::Kind::kNumeric) {
        if (cell && cell->value.kind == Value::Kind::kTime && values.size() == 1)
            cell->value.time = MTime(*values.begin(), MTime::uiUnit());
        return;
    }
    const int component = zt::host::componentOf(attr);
    if (component >= 0) {
        if (values.size() == 1)
            zt::host::setNumber(cell->value, static_cast<unsigned int>(component), *values.begin());
        return;
    }
    unsigned int k = 0;
    for (double v : values) zt::host::setNumber(cell->value, k++, v);
}

}  // namespace

void MDataHandle::set(bool v) {
    setNumbers(cell_, attr_, {v ? 1.0 : 0.0});
}
void MDataHandle::set(char v) {
    setNumbers(cell_, attr_, {static_cast<double>(v)});
}
void MDataHandle::set(short v) {
    setNumbers(cell_, attr_, {static_cast<double>(v)});
}
void MDataHandle::set(int v) {
    setNumbers(cell_, attr_, {static_cast<double>(v)});
}
void MDataHandle::set(float v) {
    setNumbers(cell_, attr_, {static_cast<double>(v)});
}
void MDataHandle::set(double v) {
    setNumbers(cell_, attr_, {v});
}
void MDataHandle::set(short a, short b) {
    setNumbers(cell_, attr_, {double(a), double(b)});
}
void MDataHandle::set(int a, int b) {
    setNumbers(cell_, attr_, {double(a), double(b)});
}
void MDataHandle::set(float a, float b) {
    setNumbers(cell_, attr_, {double(a), double(b)});
}
void MDataHandle::set(double a, double b) {
    setNumbers(cell_, attr_, {a, b});
}
void MDataHandle::set(short a, short b, short c) {
    setNumbers(cell_, attr_, {double(a), double(b), double(c)});
}
void MDataHandle::set(int a, int b, int c) {
    setNumbers(cell_, attr_, {double(a), double(b), double(c)});
}
void MDataHandle::set(float a, float b, float c) {
    setNumbers(cell_, attr_, {double(a), double(b), double(c)});
}
void MDataHandle::set(double a, double b, double c) {
    setNumbers(cell_, attr_, {a, b, c});
}
void MDataHandle::set(const MVector& v) {
    setNumbers(cell_, attr_, {v.x, v.y, v.z});
}
void MDataHandle::set(const MFloatVector& v) {
    setNumbers(cell_, attr_, {double(v.x), double(v.y), double(v.z)});
}

void MDataHandle::set(const MTime& v) {
    if (!cell_) return;
    if (cell_->value.kind == Value::Kind::kTime)
        cell_->value.time = v;
    else
        setNumbers(cell_, attr_, {v.as(MTime::uiUnit())});
}

void MDataHandle::set(const MMatrix& m) {
    if (!cell_) return;
    Value& value = cell_->value;
    if (value.kind == Value::Kind::kMatrix) {
        value.matrix = m;
    } else if (value.kind == Value::Kind::kFloatMatrix) {
        value.floatMatrix = MFloatMatrix(m.matrix);
    } else if (value.kind == Value::Kind::kData && attr_->dataType == MFnData::kMatrix) {
        value.data = std::make_shared<zt::host::MatrixDataImpl>(m);
        value.dataOwned = true;
    }
}

void MDataHandle::set(const MFloatMatrix& m) {
    double d[4][4];
    m.get(d);
    set(MMatrix(d));
}

void MDataHandle::set(const MString& s) {
    if (!cell_ || cell_->value.kind != Value::Kind::kData || attr_->dataType != MFnData::kString)
        return;
    cell_->value.data = std::make_shared<zt::host::StringDataImpl>(s);
    cell_->value.dataOwned = true;
}

MStatus MDataHandle::set(const MObject& object) {
    if (!cell_ || wholeArray_) return MS::kInvalidParameter;
    auto data = zt::host::ObjectAccess::as<zt::host::DataImpl>(object);
    if (!data) return MS::kInvalidParameter;
    Value& value = cell_->value;
    if (value.kind == Value::Kind::kData) {
        const MFnData::Type wanted = attr_->dataType;
        if (wanted != MFnData::kAny && data->dataType() != wanted) return MS::kInvalidParameter;
        // The caller may keep and share the object: writers clone it first.
        value.data = std::move(data);
        value.dataOwned = false;
        return MS::kSuccess;
    }
    if (auto* matrix = dynamic_cast<zt::host::MatrixDataImpl*>(data.get())) {
        if (value.kind != Value::Kind::kMatrix && value.kind != Value::Kind::kFloatMatrix)
            return MS::kInvalidParameter;
        set(matrix->matrix);
        return MS::kSuccess;
    }
    if (auto* numeric = dynamic_cast<zt::host::NumericDataImpl*>(data.get())) {
        if (value.kind != Value::Kind::kNumeric || zt::host::componentOf(attr_) >= 0)
            return MS::kInvalidParameter;
        const unsigned int count = zt::host::numericComponentCount(value.rep);
        if (count != zt::host::numericComponentCount(numeric->numericType))
            return MS::kInvalidParameter;
        for (unsigned int k = 0; k < count; ++k) zt::host::setNumber(value, k, numeric->values[k]);
        return MS::kSuccess;
    }
    return MS::kInvalidParameter;
}

void MDataHandle::setBool(bool v) {
    set(v);
}
void MDataHandle::setChar(char v) {
    set(v);
}
void MDataHandle::setShort(short v) {
    set(v);
}
void MDataHandle::setInt(int v) {
    set(v);
}
void MDataHandle::setFloat(float v) {
    set(v);
}
void MDataHandle::setDouble(double v) {
    set(v);
}
void MDataHandle::setMMatrix(const MMatrix& v) {
    set(v);
}
void MDataHandle::setMFloatMatrix(const MFloatMatrix& v) {
    set(v);
}
void MDataHandle::setMVector(const MVector& v) {
    set(v);
}
void MDataHandle::setMFloatVector(const MFloatVector& v) {
    set(v);
}
void MDataHandle::setMTime(const MTime& v) {
    set(v);
}
void MDataHandle::setString(const MString& v) {
    set(v);
}
MStatus MDataHandle::setMObject(const MObject& data) {
    return set(data);
}
