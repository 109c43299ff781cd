// MPlug and MPlugArray.

#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

#include <algorithm>
#include <cmath>

#include "data/dataTypes.h"
#include "graph/evaluation.h"
#include "graph/plugAccess.h"

using zt::host::AttributeImpl;
using zt::host::Cell;
using zt::host::PlugAccess;
using zt::host::PlugRef;
using zt::host::Value;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

// Short or long names, with or without compound parents.
std::string formatPlug(const PlugRef& ref, bool includeNode, bool fullPath, bool longNames) {
    std::string text = includeNode ? ref.node->name + "." : std::string();
    const std::vector<const AttributeImpl*> chain = ref.attr->chain();
    std::size_t arrayPos = 0;
    bool first = true;
    for (const AttributeImpl* a : chain) {
        const bool last = a == ref.attr;
        int index = -1;
        if (a->array) index = ref.indices[arrayPos++];
        if (!last && !a->array && !fullPath) continue;
        if (!first) text += ".";
        first = false;
        text += longNames || a->shortName.empty() ? a->longName : a->shortName;
        if (a->array && !(last && index < 0)) text += "[" + std::to_string(index) + "]";
    }
    return text;
}

// The plug brought up to date and the leaf it names (value and component);
// null when the plug is not a single value.
struct ReadLeaf {
    Value* value = nullptr;
    int component = -1;
    const AttributeImpl* attr = nullptr;
};

ReadLeaf readLeaf(const MPlug& plug, MStatus& status) {
    ReadLeaf leaf;
    PlugRef ref = PlugAccess::ref(plug);
    if (ref.isNull() || !zt::host::isFullyIndexed(ref) || ref.isWholeArray()) {
        status = MS::kInvalidParameter;
        return leaf;
    }
    status = zt::host::evaluate(ref);
    Cell* cell = zt::host::valueCellOf(ref, false);
    Cell fallback;
    if (!cell) {
        // An element that was never set reads as the attribute's default.
        static thread_local Cell defaults;
        defaults = zt::host::makeCell(
            ref.attr->isNumericComponent() ? *ref.attr->parent : *ref.attr, false);
        cell = &defaults;
    }
    leaf.value = &cell->value;
    leaf.component = zt::host::componentOf(ref.attr);
    leaf.attr = ref.attr;
    return leaf;
}

bool isNumberLeaf(const ReadLeaf& leaf) {
    if (!leaf.value) return false;
    if (leaf.value->kind == Value::Kind::kTime) return leaf.component < 0;
    if (leaf.value->kind != Value::Kind::kNumeric) return false;
    // A whole numeric compound is not one number.
    return leaf.component >= 0 || !leaf.attr->isCompound();
}

template <class T>
MStatus readNumber(const MPlug& plug, T& out) {
    MStatus status;
    ReadLeaf leaf = readLeaf(plug, status);
    if (!isNumberLeaf(leaf)) return MS::kInvalidParameter;
    const double number = zt::host::numberOf(
        *leaf.value, leaf.component < 0 ? 0u : static_cast<unsigned int>(leaf.component));
    if constexpr (std::is_same_v<T, bool>) {
        out = number != 0.0;
    } else if constexpr (std::is_floating_point_v<T>) {
        out = static_cast<T>(number);
    } else {
        out = static_cast<T>(std::lround(number));
    }
    return status;
}

// The value cell a write goes to, or an error status: the plug must name
// one value and must not be fed by a connection.
Cell* writableCell(const MPlug& plug, PlugRef& ref, MStatus& status) {
    ref = PlugAccess::ref(plug);
    if (ref.isNull() || !zt::host::isFullyIndexed(ref)) {
        status = MS::kInvalidParameter;
        return nullptr;
    }
    if (zt::host::drivenBeyondCurves(ref)) {
        status = MS::kFailure;
        return nullptr;
    }
    status = MS::kSuccess;
    return zt::host::valueCellOf(ref, true);
}

void afterWrite(const PlugRef& ref) {
    zt::host::markClean(ref);
    zt::host::propagateDirty(ref, false);
}

// The value an attribute's hard limits let through. A value they change is
// reported, so that a setting outside the range is not replaced silently.
double clampReported(const std::string& plugName, const zt::host::AttributeImpl& attr,
                     double number) {
    const double clamped = attr.clamp(number);
    if (clamped != number && !std::isnan(number)) {
        MGlobal::displayWarning(MString(plugName.c_str()) + ": " + number +
                                (clamped > number ? " is below the attribute's minimum "
                                                  : " is above the attribute's maximum ") +
                                clamped + "; " + clamped + " is used");
    }
    return clamped;
}

MStatus writeNumber(const MPlug& plug, double number) {
    PlugRef ref;
    MStatus status;
    Cell* cell = writableCell(plug, ref, status);
    if (!cell) return status;
    Value& value = cell->value;
    const int component = zt::host::componentOf(ref.attr);
    if (value.kind == Value::Kind::kTime && component < 0) {
        value.time = MTime(number, MTime::uiUnit());
    } else if (value.kind == Value::Kind::kNumeric && (component >= 0 || !ref.attr->isCompound())) {
        zt::host::setNumber(value, component < 0 ? 0u : static_cast<unsigned int>(component),
                            clampReported(plug.name().asChar(), *ref.attr, number));
    } else {
        return MS::kInvalidParameter;
    }
    afterWrite(ref);
    return MS::kSuccess;
}

}  // namespace

MPlug::MPlug() = default;
MPlug::MPlug(const MPlug& in) = default;
MPlug::~MPlug() = default;
MPlug& MPlug::operator=(const MPlug& other) = default;

MPlug::MPlug(const MObject& node, const MObject& attribute) {
    zt::host::NodeImpl* n = zt::host::liveNodeOf(node);
    const AttributeImpl* a = zt::host::attributeOf(attribute);
    if (!n || !a || !n->type->has(a)) return;
    *this = PlugAccess::make(zt::host::wholePlug(n, a));
}

MObject MPlug::attribute(MStatus* ReturnStatus) const {
    report(ReturnStatus, attr_.isNull() ? MS::kFailure : MS::kSuccess);
    return attr_;
}

MObject MPlug::node(MStatus* ReturnStatus) const {
    report(ReturnStatus, node_.isNull() ? MS::kFailure : MS::kSuccess);
    return node_;
}

MString MPlug::name(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    report(ReturnStatus, ref.isNull() ? MS::kFailure : MS::kSuccess);
    return ref.isNull() ? MString() : MString(zt::host::plugName(ref).c_str());
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool useFullAttributePath,
                           bool useLongNames, MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    report(ReturnStatus, ref.isNull() ? MS::kFailure : MS::kSuccess);
    if (ref.isNull()) return MString();
    return MString(formatPlug(ref, includeNodeName, useFullAttributePath, useLongNames).c_str());
}

MString MPlug::info(MStatus* ReturnStatus) const {
    return name(ReturnStatus);
}

bool MPlug::isArray(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    report(ReturnStatus, ref.isNull() ? MS::kFailure : MS::kSuccess);
    return ref.isWholeArray();
}

bool MPlug::isElement(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    report(ReturnStatus, ref.isNull() ? MS::kFailure : MS::kSuccess);
    return ref.isElement();
}

bool MPlug::isCompound(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    report(ReturnStatus, a ? MS::kSuccess : MS::kFailure);
    return a && a->isCompound() && !(a->array && !indices_.empty() && indices_.back() < 0);
}

bool MPlug::isChild(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    report(ReturnStatus, a ? MS::kSuccess : MS::kFailure);
    return a && a->parent;
}

bool MPlug::isNetworked(MStatus* ReturnStatus) const {
    return isConnected(ReturnStatus);
}

unsigned int MPlug::logicalIndex(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isElement()) {
        report(ReturnStatus, MS::kFailure);
        return static_cast<unsigned int>(-1);
    }
    report(ReturnStatus, MS::kSuccess);
    return static_cast<unsigned int>(ref.indices.back());
}

unsigned int MPlug::numElements(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isWholeArray() || !zt::host::isFullyIndexed(ref)) {
        report(ReturnStatus, MS::kFailure);
        return 0;
    }
    report(ReturnStatus, MS::kSuccess);
    Cell* cell = zt::host::valueCellOf(ref, false);
    return cell ? static_cast<unsigned int>(cell->elements.size()) : 0u;
}

unsigned int MPlug::evaluateNumElements(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isNull()) zt::host::evaluate(ref);
    return numElements(ReturnStatus);
}

unsigned int MPlug::getExistingArrayAttributeIndices(std::vector<unsigned int>& indices,
                                                     MStatus* ReturnStatus) const {
    indices.clear();
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isWholeArray() || !zt::host::isFullyIndexed(ref)) {
        report(ReturnStatus, MS::kFailure);
        return 0;
    }
    report(ReturnStatus, MS::kSuccess);
    if (Cell* cell = zt::host::valueCellOf(ref, false)) {
        for (const auto& entry : cell->elements) indices.push_back(entry.first);
    }
    return static_cast<unsigned int>(indices.size());
}

unsigned int MPlug::numChildren(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    report(ReturnStatus, a && a->isCompound() ? MS::kSuccess : MS::kFailure);
    return a ? static_cast<unsigned int>(a->children.size()) : 0u;
}

MPlug MPlug::child(unsigned int index, MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (ref.isNull() || ref.isWholeArray() || index >= ref.attr->children.size()) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MPlug();
    }
    PlugRef child = ref;
    child.attr = ref.attr->children[index].get();
    if (child.attr->array) child.indices.push_back(-1);
    report(ReturnStatus, MS::kSuccess);
    return PlugAccess::make(child);
}

MPlug MPlug::child(MObject& attr, MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    const AttributeImpl* wanted = zt::host::attributeOf(attr);
    const int index = a && wanted ? a->childIndex(wanted) : -1;
    if (index < 0) {
        report(ReturnStatus, MS::kInvalidParameter);
        return MPlug();
    }
    return child(static_cast<unsigned int>(index), ReturnStatus);
}

MPlug MPlug::parent(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (ref.isNull() || !ref.attr->parent) {
        report(ReturnStatus, MS::kFailure);
        return MPlug();
    }
    PlugRef up = ref;
    if (ref.attr->array) up.indices.pop_back();
    up.attr = ref.attr->parent;
    report(ReturnStatus, MS::kSuccess);
    return PlugAccess::make(up);
}

MPlug MPlug::array(MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isElement()) {
        report(ReturnStatus, MS::kFailure);
        return MPlug();
    }
    ref.indices.back() = -1;
    report(ReturnStatus, MS::kSuccess);
    return PlugAccess::make(ref);
}

MPlug MPlug::elementByLogicalIndex(unsigned int logicalIndex, MStatus* ReturnStatus) const {
    PlugRef ref = PlugAccess::ref(*this);
    if (!ref.isWholeArray() || logicalIndex > static_cast<unsigned int>(INT32_MAX)) {
        report(ReturnStatus, MS::kFailure);
        return MPlug();
    }
    ref.indices.back() = static_cast<int>(logicalIndex);
    report(ReturnStatus, MS::kSuccess);
    return PlugAccess::make(ref);
}

MPlug MPlug::elementByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus) const {
    std::vector<unsigned int> existing;
    getExistingArrayAttributeIndices(existing);
    if (physicalIndex >= existing.size()) {
        report(ReturnStatus, MS::kFailure);
        return MPlug();
    }
    return elementByLogicalIndex(existing[physicalIndex], ReturnStatus);
}

MPlug MPlug::operator[](unsigned int physicalIndex) const {
    return elementByPhysicalIndex(physicalIndex);
}

MStatus MPlug::selectAncestorLogicalIndex(unsigned int index, const MObject& attribute) {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    if (!a) return MS::kFailure;
    const AttributeImpl* wanted = zt::host::attributeOf(attribute);
    const std::vector<const AttributeImpl*> chain = a->chain();
    // The given array ancestor, or else the nearest array above this plug's
    // own attribute.
    int position = -1;
    int arrayPos = 0;
    for (const AttributeImpl* link : chain) {
        if (!link->array) continue;
        if (wanted ? link == wanted : link != a) position = arrayPos;
        ++arrayPos;
    }
    if (position < 0) return MS::kFailure;
    indices_[static_cast<std::size_t>(position)] = static_cast<int>(index);
    return MS::kSuccess;
}

bool MPlug::connectedTo(MPlugArray& array, bool asDst, bool asSrc, MStatus* ReturnStatus) const {
    array.clear();
    PlugRef ref = PlugAccess::ref(*this);
    if (ref.isNull()) {
        report(ReturnStatus, MS::kFailure);
        return false;
    }
    if (asDst) {
        for (const auto& c : ref.node->incoming) {
            if (c->destination == ref) array.append(PlugAccess::make(c->source));
        }
    }
    if (asSrc) {
        for (const auto& c : ref.node->outgoing) {
            if (c->source == ref) array.append(PlugAccess::make(c->destination));
        }
    }
    report(ReturnStatus, MS::kSuccess);
    return array.length() > 0;
}

bool MPlug::isConnected(MStatus* ReturnStatus) const {
    MPlugArray connected;
    return connectedTo(connected, true, true, ReturnStatus);
}

bool MPlug::isDestination(MStatus* ReturnStatus) const {
    MPlugArray connected;
    return connectedTo(connected, true, false, ReturnStatus);
}

bool MPlug::isSource(MStatus* ReturnStatus) const {
    MPlugArray connected;
    return connectedTo(connected, false, true, ReturnStatus);
}

bool MPlug::isNull(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return PlugAccess::ref(*this).isNull();
}

bool MPlug::isKeyable(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(attr_);
    report(ReturnStatus, a ? MS::kSuccess : MS::kFailure);
    return a && a->keyable;
}

// ---- reading ---------------------------------------------------------------

MStatus MPlug::getValue(MObject& val, MDGContext&) const {
    MStatus status;
    ReadLeaf leaf = readLeaf(*this, status);
    val = MObject();
    if (!leaf.value) return status;
    const Value& v = *leaf.value;
    if (leaf.component >= 0) return MS::kInvalidParameter;
    switch (v.kind) {
        case Value::Kind::kData:
            val = v.data ? zt::host::ObjectAccess::wrap(v.data) : MObject();
            return status;
        case Value::Kind::kMatrix:
            val =
                zt::host::ObjectAccess::wrap(std::make_shared<zt::host::MatrixDataImpl>(v.matrix));
            return status;
        case Value::Kind::kFloatMatrix: {
            double m[4][4];
            v.floatMatrix.get(m);
            val = zt::host::ObjectAccess::wrap(
                std::make_shared<zt::host::MatrixDataImpl>(MMatrix(m)));
            return status;
        }
        case Value::Kind::kNumeric:
            if (leaf.attr->isNumericCompound()) {
                auto data = std::make_shared<zt::host::NumericDataImpl>();
                data->numericType = leaf.attr->numericType;
                for (unsigned int k = 0; k < zt::host::numericComponentCount(v.rep) && k < 4; ++k)
                    data->values[k] = zt::host::numberOf(v, k);
                val = zt::host::ObjectAccess::wrap(data);
                return status;
            }
            return MS::kInvalidParameter;
        default:
            return MS::kInvalidParameter;
    }
}

MStatus MPlug::getValue(double& v, MDGContext&) const {
    return readNumber(*this, v);
}
MStatus MPlug::getValue(float& v, MDGContext&) const {
    return readNumber(*this, v);
}
MStatus MPlug::getValue(int& v, MDGContext&) const {
    return readNumber(*this, v);
}
MStatus MPlug::getValue(short& v, MDGContext&) const {
    return readNumber(*this, v);
}
MStatus MPlug::getValue(char& v, MDGContext&) const {
    return readNumber(*this, v);
}
MStatus MPlug::getValue(bool& v, MDGContext&) const {
    return readNumber(*this, v);
}

MStatus MPlug::getValue(MTime& v, MDGContext&) const {
    MStatus status;
    ReadLeaf leaf = readLeaf(*this, status);
    if (!isNumberLeaf(leaf)) return MS::kInvalidParameter;
    if (leaf.value->kind == Value::Kind::kTime) {
        v = leaf.value->time;
    } else {
        v = MTime(zt::host::numberOf(*leaf.value, leaf.component < 0 ? 0u : leaf.component),
                  MTime::uiUnit());
    }
    return status;
}

MStatus MPlug::getValue(MString& v, MDGContext&) const {
    MStatus status;
    ReadLeaf leaf = readLeaf(*this, status);
    if (!leaf.value || leaf.value->kind != Value::Kind::kData ||
        leaf.attr->dataType != MFnData::kString)
        return MS::kInvalidParameter;
    auto* data = dynamic_cast<const zt::host::StringDataImpl*>(leaf.value->data.get());
    v = data ? data->string : MString();
    return status;
}

namespace {
template <class T>
T readAs(const MPlug& plug, MStatus* ReturnStatus) {
    T value{};
    MStatus status = plug.getValue(value);
    report(ReturnStatus, status.statusCode());
    return value;
}
}  // namespace

MObject MPlug::asMObject(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<MObject>(*this, ReturnStatus);
}
double MPlug::asDouble(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<double>(*this, ReturnStatus);
}
float MPlug::asFloat(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<float>(*this, ReturnStatus);
}
int MPlug::asInt(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<int>(*this, ReturnStatus);
}
short MPlug::asShort(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<short>(*this, ReturnStatus);
}
char MPlug::asChar(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<char>(*this, ReturnStatus);
}
bool MPlug::asBool(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<bool>(*this, ReturnStatus);
}
MTime MPlug::asMTime(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<MTime>(*this, ReturnStatus);
}
MString MPlug::asString(MDGContext&, MStatus* ReturnStatus) const {
    return readAs<MString>(*this, ReturnStatus);
}

// ---- writing ---------------------------------------------------------------

MStatus MPlug::setValue(MObject& val) {
    return setValue(static_cast<const MObject&>(val));
}

MStatus MPlug::setValue(const MObject& val) {
    PlugRef ref;
    MStatus status;
    Cell* cell = writableCell(*this, ref, status);
    if (!cell) return status;
    if (zt::host::componentOf(ref.attr) >= 0) return MS::kInvalidParameter;
    Value& value = cell->value;
    auto data = zt::host::ObjectAccess::as<zt::host::DataImpl>(val);
    if (!data) return MS::kInvalidParameter;
    if (value.kind == Value::Kind::kData) {
        const MFnData::Type wanted = ref.attr->dataType;
        if (wanted != MFnData::kAny && data->dataType() != wanted) return MS::kInvalidParameter;
        value.data = data;
        value.dataOwned = false;
    } else if (value.kind == Value::Kind::kMatrix || value.kind == Value::Kind::kFloatMatrix) {
        auto* matrix = dynamic_cast<zt::host::MatrixDataImpl*>(data.get());
        if (!matrix) return MS::kInvalidParameter;
        if (value.kind == Value::Kind::kMatrix)
            value.matrix = matrix->matrix;
        else
            value.floatMatrix = MFloatMatrix(matrix->matrix.matrix);
    } else if (value.kind == Value::Kind::kNumeric && ref.attr->isNumericCompound()) {
        auto* numbers = dynamic_cast<zt::host::NumericDataImpl*>(data.get());
        if (!numbers) return MS::kInvalidParameter;
        const unsigned int count = zt::host::numericComponentCount(value.rep);
        for (unsigned int k = 0; k < count && k < ref.attr->children.size(); ++k) {
            const std::string childName = ref.node->name + "." + ref.attr->children[k]->longName;
            zt::host::setNumber(
                value, k, clampReported(childName, *ref.attr->children[k], numbers->values[k]));
        }
    } else {
        return MS::kInvalidParameter;
    }
    afterWrite(ref);
    return MS::kSuccess;
}

MStatus MPlug::setValue(double v) {
    return writeNumber(*this, v);
}
MStatus MPlug::setValue(float v) {
    return writeNumber(*this, v);
}
MStatus MPlug::setValue(int v) {
    return writeNumber(*this, v);
}
MStatus MPlug::setValue(short v) {
    return writeNumber(*this, v);
}
MStatus MPlug::setValue(char v) {
    return writeNumber(*this, v);
}
MStatus MPlug::setValue(bool v) {
    return writeNumber(*this, v ? 1.0 : 0.0);
}

MStatus MPlug::setValue(const MTime& v) {
    PlugRef ref;
    MStatus status;
    Cell* cell = writableCell(*this, ref, status);
    if (!cell) return status;
    if (cell->value.kind != Value::Kind::kTime) return writeNumber(*this, v.as(MTime::uiUnit()));
    cell->value.time = v;
    afterWrite(ref);
    return MS::kSuccess;
}

MStatus MPlug::setValue(const MString& v) {
    PlugRef ref;
    MStatus status;
    Cell* cell = writableCell(*this, ref, status);
    if (!cell) return status;
    if (cell->value.kind != Value::Kind::kData || ref.attr->dataType != MFnData::kString)
        return MS::kInvalidParameter;
    cell->value.data = std::make_shared<zt::host::StringDataImpl>(v);
    cell->value.dataOwned = true;
    afterWrite(ref);
    return MS::kSuccess;
}

MStatus MPlug::setValue(const char* v) {
    return setValue(MString(v ? v : ""));
}

// ---- comparisons -----------------------------------------------------------

bool MPlug::operator==(const MPlug& other) const {
    return node_ == other.node_ && attr_ == other.attr_ && indices_ == other.indices_;
}
bool MPlug::operator==(const MObject& other) const {
    return attr_ == other;
}
bool MPlug::operator!=(const MPlug& other) const {
    return !(*this == other);
}
bool MPlug::operator!=(const MObject& other) const {
    return !(*this == other);
}
MPlug::operator MObject() const {
    return attr_;
}
bool MPlug::operator!() const {
    return isNull();
}

// ---- MPlugArray ------------------------------------------------------------

MPlugArray::MPlugArray() = default;
MPlugArray::MPlugArray(const MPlugArray& other) = default;
MPlugArray::MPlugArray(unsigned int initialSize, const MPlug& initialValue)
    : plugs_(initialSize, initialValue) {}
MPlugArray::~MPlugArray() = default;
const MPlug& MPlugArray::operator[](unsigned int index) const {
    return plugs_[index];
}
MPlug& MPlugArray::operator[](unsigned int index) {
    return plugs_[index];
}
MPlugArray& MPlugArray::operator=(const MPlugArray& other) = default;
unsigned int MPlugArray::length() const {
    return static_cast<unsigned int>(plugs_.size());
}
MStatus MPlugArray::setLength(unsigned int length) {
    plugs_.resize(length);
    return MS::kSuccess;
}
MStatus MPlugArray::remove(unsigned int index) {
    if (index >= plugs_.size()) return MS::kInvalidParameter;
    plugs_.erase(plugs_.begin() + index);
    return MS::kSuccess;
}
MStatus MPlugArray::insert(const MPlug& element, unsigned int index) {
    if (index > plugs_.size()) return MS::kInvalidParameter;
    plugs_.insert(plugs_.begin() + index, element);
    return MS::kSuccess;
}
MStatus MPlugArray::append(const MPlug& element) {
    plugs_.push_back(element);
    return MS::kSuccess;
}
MStatus MPlugArray::clear() {
    plugs_.clear();
    return MS::kSuccess;
}
