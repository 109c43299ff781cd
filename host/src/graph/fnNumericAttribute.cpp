// MFnNumericAttribute: single numbers and numeric compounds.

#include <maya/MFnNumericAttribute.h>

#include <string>

#include "data/dataTypes.h"
#include "graph/attribute.h"
#include "graph/fnConstructors.h"

using zt::host::AttributeImpl;
using zt::host::AttributePtr;
using zt::host::AttrKind;
using zt::host::ObjectAccess;

ZT_DEFINE_MFN_CONSTRUCTORS(MFnNumericAttribute, MFn::kNumericAttribute)

namespace {

void report(MStatus* status, bool ok) {
    if (status) *status = ok ? MS::kSuccess : MS::kInvalidParameter;
}

// The scalar type of the numbers of a numeric type (kFloat for k3Float).
MFnNumericData::Type scalarOf(MFnNumericData::Type type) {
    switch (type) {
        case MFnNumericData::k2Short:
        case MFnNumericData::k3Short:
            return MFnNumericData::kShort;
        case MFnNumericData::k2Int:
        case MFnNumericData::k3Int:
            return MFnNumericData::kInt;
        case MFnNumericData::k2Float:
        case MFnNumericData::k3Float:
            return MFnNumericData::kFloat;
        case MFnNumericData::k2Double:
        case MFnNumericData::k3Double:
        case MFnNumericData::k4Double:
            return MFnNumericData::kDouble;
        default:
            return type;
    }
}

MFnNumericData::Type compoundOf(MFnNumericData::Type scalar, std::size_t count) {
    switch (scalar) {
        case MFnNumericData::kShort:
            return count == 2 ? MFnNumericData::k2Short : MFnNumericData::k3Short;
        case MFnNumericData::kInt:
            return count == 2 ? MFnNumericData::k2Int : MFnNumericData::k3Int;
        case MFnNumericData::kFloat:
            return count == 2 ? MFnNumericData::k2Float : MFnNumericData::k3Float;
        case MFnNumericData::kDouble:
            return count == 2 ? MFnNumericData::k2Double
                              : (count == 3 ? MFnNumericData::k3Double : MFnNumericData::k4Double);
        default:
            return MFnNumericData::kInvalid;
    }
}

AttributePtr makeLeaf(const std::string& longName, const std::string& shortName,
                      MFnNumericData::Type type, double defaultValue) {
    auto leaf = std::make_shared<AttributeImpl>(AttrKind::kNumeric, longName,
                                                shortName.empty() ? longName : shortName);
    leaf->numericType = type;
    leaf->defaultValue = defaultValue;
    return leaf;
}

// A numeric compound of `type` whose children are named with the suffixes.
MObject makeCompound(MFnBase& fn, const MString& fullName, const MString& briefName,
                     MFnNumericData::Type type, double defaultValue,
                     const char* const longSuffixes[], const char* const shortSuffixes[],
                     MStatus* status) {
    const unsigned int count = zt::host::numericComponentCount(type);
    if (fullName.length() == 0 || count < 2) {
        report(status, false);
        return MObject();
    }
    const std::string longName = fullName.asChar();
    const std::string shortName = briefName.length() ? briefName.asChar() : longName;
    auto compound = std::make_shared<AttributeImpl>(AttrKind::kCompound, longName, shortName);
    compound->numericType = type;
    for (unsigned int k = 0; k < count; ++k) {
        AttributePtr child = makeLeaf(longName + longSuffixes[k], shortName + shortSuffixes[k],
                                      scalarOf(type), defaultValue);
        child->parent = compound.get();
        compound->children.push_back(child);
    }
    MObject object = ObjectAccess::wrap(compound);
    fn.setObject(object);
    report(status, true);
    return object;
}

// The attribute and, for a numeric compound, its children: the targets of
// limits and defaults given as one number.
std::vector<AttributeImpl*> numbersOf(const MObject& object) {
    std::vector<AttributeImpl*> targets;
    AttributeImpl* a = zt::host::attributeOf(object);
    if (!a) return targets;
    if (a->isNumericCompound()) {
        for (const AttributePtr& child : a->children) targets.push_back(child.get());
    } else if (a->kind == AttrKind::kNumeric) {
        targets.push_back(a);
    }
    return targets;
}

enum class Limit { kMin, kMax, kSoftMin, kSoftMax };

void applyLimit(AttributeImpl& a, Limit limit, double value) {
    switch (limit) {
        case Limit::kMin:
            a.hasMin = true;
            a.minValue = value;
            break;
        case Limit::kMax:
            a.hasMax = true;
            a.maxValue = value;
            break;
        case Limit::kSoftMin:
            a.hasSoftMin = true;
            a.softMinValue = value;
            break;
        case Limit::kSoftMax:
            a.hasSoftMax = true;
            a.softMaxValue = value;
            break;
    }
}

// One value for every number, or one value per number.
MStatus setEach(const MObject& object, Limit limit, std::initializer_list<double> values) {
    std::vector<AttributeImpl*> targets = numbersOf(object);
    if (targets.empty()) return MS::kInvalidParameter;
    if (values.size() == 1) {
        for (AttributeImpl* t : targets) applyLimit(*t, limit, *values.begin());
        return MS::kSuccess;
    }
    if (values.size() != targets.size()) return MS::kInvalidParameter;
    auto it = values.begin();
    for (AttributeImpl* t : targets) applyLimit(*t, limit, *it++);
    return MS::kSuccess;
}

MStatus setDefaults(const MObject& object, std::initializer_list<double> values) {
    std::vector<AttributeImpl*> targets = numbersOf(object);
    if (targets.empty()) return MS::kInvalidParameter;
    if (values.size() == 1) {
        for (AttributeImpl* t : targets) t->defaultValue = *values.begin();
        return MS::kSuccess;
    }
    if (values.size() != targets.size()) return MS::kInvalidParameter;
    auto it = values.begin();
    for (AttributeImpl* t : targets) t->defaultValue = *it++;
    return MS::kSuccess;
}

}  // namespace

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    MFnNumericData::Type unitType, double defaultValue,
                                    MStatus* ReturnStatus) {
    const unsigned int count = zt::host::numericComponentCount(unitType);
    if (count == 0 || fullName.length() == 0) {
        report(ReturnStatus, false);
        return MObject();
    }
    if (count > 1) {
        static const char* const suffixes[] = {"0", "1", "2", "3"};
        return makeCompound(*this, fullName, briefName, unitType, defaultValue, suffixes, suffixes,
                            ReturnStatus);
    }
    MObject object =
        ObjectAccess::wrap(makeLeaf(fullName.asChar(), briefName.asChar(), unitType, defaultValue));
    setObject(object);
    report(ReturnStatus, true);
    return object;
}

MObject MFnNumericAttribute::createColor(const MString& fullName, const MString& briefName,
                                         MStatus* ReturnStatus) {
    static const char* const longSuffixes[] = {"R", "G", "B"};
    static const char* const shortSuffixes[] = {"r", "g", "b"};
    MObject object = makeCompound(*this, fullName, briefName, MFnNumericData::k3Float, 0.0,
                                  longSuffixes, shortSuffixes, ReturnStatus);
    if (AttributeImpl* a = zt::host::attributeOf(object)) a->usedAsColor = true;
    return object;
}

MObject MFnNumericAttribute::createPoint(const MString& fullName, const MString& briefName,
                                         MStatus* ReturnStatus) {
    static const char* const longSuffixes[] = {"X", "Y", "Z"};
    static const char* const shortSuffixes[] = {"x", "y", "z"};
    return makeCompound(*this, fullName, briefName, MFnNumericData::k3Float, 0.0, longSuffixes,
                        shortSuffixes, ReturnStatus);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName,
                                    const MObject& child1, const MObject& child2,
                                    const MObject& child3, MStatus* ReturnStatus) {
    std::vector<AttributePtr> children;
    for (const MObject* c : {&child1, &child2, &child3}) {
        if (c->isNull()) continue;
        AttributePtr child = zt::host::attributePtrOf(*c);
        if (!child || child->kind != AttrKind::kNumeric || child->parent || child->array) {
            report(ReturnStatus, false);
            return MObject();
        }
        children.push_back(child);
    }
    if (fullName.length() == 0 || children.size() < 2 || child2.isNull()) {
        report(ReturnStatus, false);
        return MObject();
    }
    const MFnNumericData::Type scalar = children.front()->numericType;
    for (const AttributePtr& child : children) {
        if (child->numericType != scalar) {
            report(ReturnStatus, false);
            return MObject();
        }
    }
    const MFnNumericData::Type type = compoundOf(scalar, children.size());
    if (type == MFnNumericData::kInvalid) {
        report(ReturnStatus, false);
        return MObject();
    }
    auto compound = std::make_shared<AttributeImpl>(
        AttrKind::kCompound, fullName.asChar(),
        briefName.length() ? briefName.asChar() : fullName.asChar());
    compound->numericType = type;
    for (const AttributePtr& child : children) {
        child->parent = compound.get();
        compound->children.push_back(child);
    }
    MObject object = ObjectAccess::wrap(compound);
    setObject(object);
    report(ReturnStatus, true);
    return object;
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    report(ReturnStatus, a != nullptr);
    return a ? a->numericType : MFnNumericData::kInvalid;
}

MObject MFnNumericAttribute::child(unsigned int index, MStatus* ReturnStatus) const {
    const AttributeImpl* a = zt::host::attributeOf(fObject);
    const bool ok = a && index < a->children.size();
    report(ReturnStatus, ok);
    return ok ? zt::host::wrapAttribute(a->children[index].get()) : MObject();
}

#define ZT_HAS_LIMIT(Name, member)                                \
    bool MFnNumericAttribute::Name(MStatus* ReturnStatus) const { \
        std::vector<AttributeImpl*> targets = numbersOf(fObject); \
        report(ReturnStatus, !targets.empty());                   \
        return !targets.empty() && targets.front()->member;       \
    }

ZT_HAS_LIMIT(hasMin, hasMin)
ZT_HAS_LIMIT(hasMax, hasMax)
ZT_HAS_LIMIT(hasSoftMin, hasSoftMin)
ZT_HAS_LIMIT(hasSoftMax, hasSoftMax)

#define ZT_GET_LIMIT(Name, hasMember, valueMember)                               \
    MStatus MFnNumericAttribute::Name(double& value) const {                     \
        std::vector<AttributeImpl*> targets = numbersOf(fObject);                \
        if (targets.empty() || !targets.front()->hasMember) return MS::kFailure; \
        value = targets.front()->valueMember;                                    \
        return MS::kSuccess;                                                     \
    }

ZT_GET_LIMIT(getMin, hasMin, minValue)
ZT_GET_LIMIT(getMax, hasMax, maxValue)
ZT_GET_LIMIT(getSoftMin, hasSoftMin, softMinValue)
ZT_GET_LIMIT(getSoftMax, hasSoftMax, softMaxValue)

MStatus MFnNumericAttribute::setMin(int min1) {
    return setEach(fObject, Limit::kMin, {double(min1)});
}
MStatus MFnNumericAttribute::setMin(double min1) {
    return setEach(fObject, Limit::kMin, {min1});
}
MStatus MFnNumericAttribute::setMin(double a, double b) {
    return setEach(fObject, Limit::kMin, {a, b});
}
MStatus MFnNumericAttribute::setMin(double a, double b, double c) {
    return setEach(fObject, Limit::kMin, {a, b, c});
}
MStatus MFnNumericAttribute::setMax(int max1) {
    return setEach(fObject, Limit::kMax, {double(max1)});
}
MStatus MFnNumericAttribute::setMax(double max1) {
    return setEach(fObject, Limit::kMax, {max1});
}
MStatus MFnNumericAttribute::setMax(double a, double b) {
    return setEach(fObject, Limit::kMax, {a, b});
}
MStatus MFnNumericAttribute::setMax(double a, double b, double c) {
    return setEach(fObject, Limit::kMax, {a, b, c});
}
MStatus MFnNumericAttribute::setSoftMin(double min1) {
    return setEach(fObject, Limit::kSoftMin, {min1});
}
MStatus MFnNumericAttribute::setSoftMax(double max1) {
    return setEach(fObject, Limit::kSoftMax, {max1});
}

MStatus MFnNumericAttribute::setDefault(bool def1) {
    return setDefaults(fObject, {def1 ? 1.0 : 0.0});
}
MStatus MFnNumericAttribute::setDefault(int def1) {
    return setDefaults(fObject, {double(def1)});
}
MStatus MFnNumericAttribute::setDefault(int a, int b, int c) {
    return setDefaults(fObject, {double(a), double(b), double(c)});
}
MStatus MFnNumericAttribute::setDefault(float def1) {
    return setDefaults(fObject, {double(def1)});
}
MStatus MFnNumericAttribute::setDefault(float a, float b, float c) {
    return setDefaults(fObject, {double(a), double(b), double(c)});
}
MStatus MFnNumericAttribute::setDefault(double def1) {
    return setDefaults(fObject, {def1});
}
MStatus MFnNumericAttribute::setDefault(double a, double b) {
    return setDefaults(fObject, {a, b});
}
MStatus MFnNumericAttribute::setDefault(double a, double b, double c) {
    return setDefaults(fObject, {a, b, c});
}

MStatus MFnNumericAttribute::getDefault(double& def1) {
    std::vector<AttributeImpl*> targets = numbersOf(fObject);
    if (targets.empty()) return MS::kInvalidParameter;
    def1 = targets.front()->defaultValue;
    return MS::kSuccess;
}
