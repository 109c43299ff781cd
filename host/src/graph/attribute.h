#pragma once
// Attribute descriptions. An attribute object describes a slot of a node
// type (names, value type, default, limits, flags); node types list the
// attributes they have, and several types may share one attribute object
// (inherited attributes such as MPxNode::message). Values live in the nodes.

#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MMatrix.h>
#include <maya/MTime.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/data.h"
#include "graph/object.h"

namespace zt::host {

enum class AttrKind {
    kNumeric,   // one number (numericType is a scalar type)
    kCompound,  // children; a numeric compound also has a 2..4 numericType
    kTyped,     // a data object of dataType
    kMatrix,    // an MMatrix (or MFloatMatrix)
    kUnit,      // time, distance or angle
    kEnum,      // a short with named values
    kMessage    // no value; only connections
};

class AttributeImpl : public ObjectImpl {
public:
    AttributeImpl(AttrKind kind, std::string longName, std::string shortName);

    MFn::Type apiType() const override;
    bool hasFn(MFn::Type type) const override;

    AttrKind kind;
    std::string longName;
    std::string shortName;

    // Flags, with the defaults of a new attribute.
    bool readable = true;
    bool writable = true;
    bool connectable = true;
    bool storable = true;
    bool cached = true;
    bool array = false;
    bool indexMatters = true;
    bool keyable = false;
    bool channelBox = false;
    bool hidden = false;
    bool usedAsColor = false;
    bool usesArrayDataBuilder = false;
    MFnAttribute::DisconnectBehavior disconnectBehavior = MFnAttribute::kNothing;

    // Numeric attributes and numeric compounds.
    MFnNumericData::Type numericType = MFnNumericData::kInvalid;
    double defaultValue = 0.0;
    bool hasMin = false, hasMax = false, hasSoftMin = false, hasSoftMax = false;
    double minValue = 0.0, maxValue = 0.0, softMinValue = 0.0, softMaxValue = 0.0;

    // Typed attributes.
    MFnData::Type dataType = MFnData::kInvalid;
    std::shared_ptr<DataImpl> defaultData;

    // Matrix attributes.
    bool floatMatrix = false;
    MMatrix defaultMatrix;

    // Unit attributes.
    MFnUnitAttribute::Type unitType = MFnUnitAttribute::kInvalid;
    MTime defaultTime;

    // Enum attributes: (index, name) in the order added.
    std::vector<std::pair<short, std::string>> enumFields;

    // Compounds. A child belongs to one compound; `parent` does not own it.
    std::vector<std::shared_ptr<AttributeImpl>> children;
    AttributeImpl* parent = nullptr;

    bool isCompound() const { return kind == AttrKind::kCompound; }
    bool isNumericCompound() const {
        return isCompound() && numericType != MFnNumericData::kInvalid;
    }
    // A child of a numeric compound: its value is one component of the
    // compound's value.
    bool isNumericComponent() const { return parent && parent->isNumericCompound(); }
    int childIndex(const AttributeImpl* child) const;
    // This attribute and its ancestors, from the top-level attribute down.
    std::vector<const AttributeImpl*> chain() const;
    const AttributeImpl* root() const;
    // Number of array attributes on the chain (the length of a plug's
    // index list).
    unsigned int arrayDepth() const;
    bool isAncestorOf(const AttributeImpl* other) const;

    // The value clamped to the hard limits.
    double clamp(double value) const;
};

using AttributePtr = std::shared_ptr<AttributeImpl>;

inline AttributeImpl* attributeOf(const MObject& object) {
    return dynamic_cast<AttributeImpl*>(ObjectAccess::get(object).get());
}
inline AttributePtr attributePtrOf(const MObject& object) {
    return ObjectAccess::as<AttributeImpl>(object);
}
inline MObject wrapAttribute(const AttributeImpl* attr) {
    if (!attr) return MObject();
    return ObjectAccess::wrap(std::const_pointer_cast<ObjectImpl>(attr->shared_from_this()));
}

}  // namespace zt::host
