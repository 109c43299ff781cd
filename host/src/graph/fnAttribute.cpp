// MFnAttribute and the attribute function sets other than the numeric one.

#include <maya/MFnAttribute.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>

#include "data/dataTypes.h"
#include "graph/attribute.h"
#include "graph/fnConstructors.h"

using zt::host::AttributeImpl;
using zt::host::AttrKind;
using zt::host::ObjectAccess;

ZT_DEFINE_MFN_CONSTRUCTORS(MFnAttribute, MFn::kAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnCompoundAttribute, MFn::kCompoundAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnTypedAttribute, MFn::kTypedAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnMatrixAttribute, MFn::kMatrixAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnUnitAttribute, MFn::kUnitAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnEnumAttribute, MFn::kEnumAttribute)
ZT_DEFINE_MFN_CONSTRUCTORS(MFnMessageAttribute, MFn::kMessageAttribute)

namespace {

void report(MStatus* status, bool ok) {
    if (status) *status = ok ? MS::kSuccess : MS::kInvalidParameter;
}

// Makes a new attribute and attaches the function set to it. Names must
// be given; the short name defaults to the long one when empty.
MObject createAttribute(MFnBase& fn, AttrKind kind, const MString& longName,
                        const MString& shortName, MStatus* status) {
    if (longName.length() == 0) {
        report(status, false);
        return MObject();
    }
    auto attr = std::make_shared<AttributeImpl>(
        kind, longName.asChar(), shortName.length() ? shortName.asChar() : longName.asChar());
    MObject object = ObjectAccess::wrap(attr);
    fn.setObject(object);
    report(status, true);
    return object;
}

}  // namespace

// ---- MFnAttribute ----------------------------------------------------------

#define ZT_FLAG(Getter, Setter, member)                          \
    bool MFnAttribute::Getter(MStatus* ReturnStatus) const {     \
        const AttributeImpl* a = zt::host::attributeOf(fObject); \
        report(ReturnStatus, a != nullptr);                      \
        return a && a->member;                                   \
    }                                                            \
    MStatus MFnAttribute::Setter(bool state) {                   \
        AttributeImpl* a = zt::host::attributeOf(fObject);       \
        if (!a) return MS::kInvalidParameter;                    \
        a->member = state;                                       \
        return MS::kSuccess;                                     \
    }

ZT_FLAG(isReadable, setReadable, readable)
ZT_FLAG(isWritable, setWritable, writable)
ZT_FLAG(isConnectable, setConnectable, connectable)
ZT_FLAG(isStorable, setStorable, storable)
ZT_FLAG(isCached, setCached, cached)
ZT_FLAG(isArray, setArray, array)
ZT_FLAG(indexMatters, setIndexMatters, indexMatters)
ZT_FLAG(isKeyable, setKeyable, keyable)
ZT_FLAG(isChannelBoxFlagSet, setChannelBox, channelBox)
ZT_FLAG(isHidden, setHidden, hidden)
ZT_FLAG(isUsedAsColor, setUsedAsColor, usedAsColor)
ZT_FLAG(usesArrayDataBuilder, setUsesArrayDataBuilder, usesArrayDataBuilder)

MFnAttribute::DisconnectBehavior MFnAttribute::disconnectBehavior(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? a->disconnectBehavior : kNothing;
}

MStatus MFnAttribute::setDisconnectBehavior(DisconnectBehavior behavior) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    a->disconnectBehavior = behavior;
    return MS::kSuccess;
}

MString MFnAttribute::name(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? MString(a->longName.c_str()) : MString();
}

MString MFnAttribute::shortName(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? MString(a->shortName.c_str()) : MString();
}

MObject MFnAttribute::parent(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? zt::host::wrapAttribute(a->parent) : MObject();
}

// ---- MFnCompoundAttribute --------------------------------------------------

MObject MFnCompoundAttribute::create(const MString& full, const MString& brief,
                                     MStatus* ReturnStatus) {
    return createAttribute(*this, AttrKind::kCompound, full, brief, ReturnStatus);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child) {
    AttributeImpl* parent = zt::host::attributeOf(fObject);
    zt::host::AttributePtr attr = zt::host::attributePtrOf(child);
    if (!parent || !parent->isCompound() || parent->isNumericCompound() || !attr)
        return MS::kInvalidParameter;
    // A child belongs to one compound, and a compound cannot hold itself.
    if (attr->parent || attr.get() == parent || attr->isAncestorOf(parent))
        return MS::kInvalidParameter;
    attr->parent = parent;
    parent->children.push_back(std::move(attr));
    return MS::kSuccess;
}

MStatus MFnCompoundAttribute::removeChild(const MObject& child) {
    AttributeImpl* parent = zt::host::attributeOf(fObject);
    AttributeImpl* attr = zt::host::attributeOf(child);
    if (!parent || !attr) return MS::kInvalidParameter;
    const int index = parent->childIndex(attr);
    if (index < 0) return MS::kInvalidParameter;
    parent->children.erase(parent->children.begin() + index);
    attr->parent = nullptr;
    return MS::kSuccess;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? static_cast<unsigned int>(a->children.size()) : 0u;
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    const bool ok = a && index < a->children.size();
    report(ReturnStatus, ok);
    return ok ? zt::host::wrapAttribute(a->children[index].get()) : MObject();
}

// ---- MFnMessageAttribute ---------------------------------------------------

MObject MFnMessageAttribute::create(const MString& fullName, const MString& briefName,
                                    MStatus* ReturnStatus) {
    MObject attr = createAttribute(*this, AttrKind::kMessage, fullName, briefName, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) a->storable = false;
    return attr;
}

// ---- MFnTypedAttribute -----------------------------------------------------

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName,
                                  MFnData::Type type, MObject defaultData, MStatus* ReturnStatus) {
    if (type <= MFnData::kInvalid || type >= MFnData::kLast) {
        report(ReturnStatus, false);
        return MObject();
    }
    MObject attr = createAttribute(*this, AttrKind::kTyped, fullName, briefName, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) {
        a->dataType = type;
        a->defaultData = ObjectAccess::as<zt::host::DataImpl>(defaultData);
    }
    return attr;
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName,
                                  MFnData::Type type, MStatus* ReturnStatus) {
    return create(fullName, briefName, type, MObject::kNullObj, ReturnStatus);
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, const MTypeId&,
                                  MObject defaultData, MStatus* ReturnStatus) {
    // Plug-in data types are not supported: such an attribute takes any data.
    return create(fullName, briefName, MFnData::kAny, defaultData, ReturnStatus);
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? a->dataType : MFnData::kInvalid;
}

MStatus MFnTypedAttribute::getDefault(MObject& defaultCustomData) {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    defaultCustomData = a->defaultData ? ObjectAccess::wrap(a->defaultData) : MObject();
    return MS::kSuccess;
}

MStatus MFnTypedAttribute::setDefault(const MObject& defaultCustomData) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    auto data = ObjectAccess::as<zt::host::DataImpl>(defaultCustomData);
    if (!a || (!data && !defaultCustomData.isNull())) return MS::kInvalidParameter;
    if (data && a->dataType != MFnData::kAny && data->dataType() != a->dataType)
        return MS::kInvalidParameter;
    a->defaultData = std::move(data);
    return MS::kSuccess;
}

// ---- MFnMatrixAttribute ----------------------------------------------------

MObject MFnMatrixAttribute::create(const MString& fullName, const MString& briefName,
                                   Type matrixType, MStatus* ReturnStatus) {
    MObject attr = createAttribute(*this, AttrKind::kMatrix, fullName, briefName, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) a->floatMatrix = matrixType == kFloat;
    return attr;
}

MStatus MFnMatrixAttribute::getDefault(MMatrix& def) {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    def = a->defaultMatrix;
    return MS::kSuccess;
}

MStatus MFnMatrixAttribute::setDefault(const MMatrix& def) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    a->defaultMatrix = def;
    return MS::kSuccess;
}

// ---- MFnUnitAttribute ------------------------------------------------------

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName,
                                 MFnUnitAttribute::Type unitType, double defaultValue,
                                 MStatus* ReturnStatus) {
    if (unitType <= kInvalid || unitType >= kLast) {
        report(ReturnStatus, false);
        return MObject();
    }
    MObject attr = createAttribute(*this, AttrKind::kUnit, fullName, briefName, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) {
        a->unitType = unitType;
        a->defaultValue = defaultValue;
        // A number given for a time is in the current time unit.
        a->defaultTime = MTime(defaultValue, MTime::uiUnit());
    }
    return attr;
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName,
                                 const MTime& defaultValue, MStatus* ReturnStatus) {
    MObject attr = create(fullName, briefName, kTime, 0.0, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) a->defaultTime = defaultValue;
    return attr;
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? a->unitType : kInvalid;
}

MStatus MFnUnitAttribute::setDefault(double defaultValue) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    a->defaultValue = defaultValue;
    a->defaultTime = MTime(defaultValue, MTime::uiUnit());
    return MS::kSuccess;
}

MStatus MFnUnitAttribute::setDefault(const MTime& defaultValue) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a || a->unitType != kTime) return MS::kInvalidParameter;
    a->defaultTime = defaultValue;
    return MS::kSuccess;
}

#define ZT_UNIT_LIMIT(Setter, hasMember, valueMember)      \
    MStatus MFnUnitAttribute::Setter(double limit) {       \
        AttributeImpl* a = zt::host::attributeOf(fObject); \
        if (!a) return MS::kInvalidParameter;              \
        a->hasMember = true;                               \
        a->valueMember = limit;                            \
        return MS::kSuccess;                               \
    }

ZT_UNIT_LIMIT(setMin, hasMin, minValue)
ZT_UNIT_LIMIT(setMax, hasMax, maxValue)
ZT_UNIT_LIMIT(setSoftMin, hasSoftMin, softMinValue)
ZT_UNIT_LIMIT(setSoftMax, hasSoftMax, softMaxValue)

// ---- MFnEnumAttribute ------------------------------------------------------

MObject MFnEnumAttribute::create(const MString& fullName, const MString& briefName,
                                 short defaultValue, MStatus* ReturnStatus) {
    MObject attr = createAttribute(*this, AttrKind::kEnum, fullName, briefName, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(attr)) {
        a->numericType = MFnNumericData::kShort;
        a->defaultValue = defaultValue;
    }
    return attr;
}

MStatus MFnEnumAttribute::addField(const MString& fieldString, short index) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a || a->kind != AttrKind::kEnum || fieldString.length() == 0) return MS::kInvalidParameter;
    for (const auto& [value, name] : a->enumFields) {
        if (value == index || name == fieldString.asChar()) return MS::kFailure;
    }
    a->enumFields.emplace_back(index, fieldString.asChar());
    return MS::kSuccess;
}

MString MFnEnumAttribute::fieldName(short index, MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (a) {
        for (const auto& [value, name] : a->enumFields) {
            if (value == index) {
                report(ReturnStatus, true);
                return MString(name.c_str());
            }
        }
    }
    report(ReturnStatus, false);
    return MString();
}

short MFnEnumAttribute::fieldIndex(const MString& fieldString, MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (a) {
        for (const auto& [value, name] : a->enumFields) {
            if (name == fieldString.asChar()) {
                report(ReturnStatus, true);
                return value;
            }
        }
    }
    report(ReturnStatus, false);
    return -1;
}

MStatus MFnEnumAttribute::getMin(short& minValue) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a || a->enumFields.empty()) return MS::kFailure;
    minValue = a->enumFields.front().first;
    for (const auto& field : a->enumFields) minValue = std::min(minValue, field.first);
    return MS::kSuccess;
}

MStatus MFnEnumAttribute::getMax(short& maxValue) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a || a->enumFields.empty()) return MS::kFailure;
    maxValue = a->enumFields.front().first;
    for (const auto& field : a->enumFields) maxValue = std::max(maxValue, field.first);
    return MS::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(short index) {
    AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    a->defaultValue = index;
    return MS::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(const MString& fieldString) {
    MStatus status;
    const short index = fieldIndex(fieldString, &status);
    return status ? setDefault(index) : status;
}

MStatus MFnEnumAttribute::getDefault(short& index) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    if (!a) return MS::kInvalidParameter;
    index = static_cast<short>(a->defaultValue);
    return MS::kSuccess;
}
