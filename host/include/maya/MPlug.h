#pragma once
// A plug: one attribute of one node, with the logical indices of the array
// attributes on the way to it. Reading a plug evaluates what it depends on;
// writing one marks what depends on it dirty.

#include <maya/MDGContext.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>

#include <vector>

class MPlugArray;

namespace zt {
namespace host {
struct PlugAccess;
}
}  // namespace zt

class OPENMAYA_EXPORT MPlug {
public:
    MPlug();
    MPlug(const MPlug& in);
    MPlug(const MObject& node, const MObject& attribute);
    virtual ~MPlug();

    MObject attribute(MStatus* ReturnStatus = NULL) const;
    MObject node(MStatus* ReturnStatus = NULL) const;
    // Node name + "." + the attribute's long name, with array indices as
    // "[n]" and compound parents only where an array index needs them
    // ("node.input[0].inputGeometry", but "node.boundingBoxMinX").
    MString name(MStatus* ReturnStatus = NULL) const;
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* ReturnStatus = NULL) const;
    MString info(MStatus* ReturnStatus = NULL) const;

    bool isArray(MStatus* ReturnStatus = NULL) const;
    bool isElement(MStatus* ReturnStatus = NULL) const;
    bool isCompound(MStatus* ReturnStatus = NULL) const;
    bool isChild(MStatus* ReturnStatus = NULL) const;
    bool isNetworked(MStatus* ReturnStatus = NULL) const;
    unsigned int logicalIndex(MStatus* ReturnStatus = NULL) const;
    unsigned int numElements(MStatus* ReturnStatus = NULL) const;
    unsigned int evaluateNumElements(MStatus* ReturnStatus = NULL) const;
    unsigned int getExistingArrayAttributeIndices(std::vector<unsigned int>& indices,
                                                  MStatus* ReturnStatus = NULL) const;
    unsigned int numChildren(MStatus* ReturnStatus = NULL) const;
    MPlug child(MObject& attr, MStatus* ReturnStatus = NULL) const;
    MPlug child(unsigned int index, MStatus* ReturnStatus = NULL) const;
    MPlug parent(MStatus* ReturnStatus = NULL) const;
    // The array plug an element belongs to.
    MPlug array(MStatus* ReturnStatus = NULL) const;
    MPlug elementByLogicalIndex(unsigned int logicalIndex, MStatus* ReturnStatus = NULL) const;
    MPlug elementByPhysicalIndex(unsigned int physicalIndex, MStatus* ReturnStatus = NULL) const;
    MStatus selectAncestorLogicalIndex(unsigned int index,
                                       const MObject& attribute = MObject::kNullObj);

    bool connectedTo(MPlugArray& array, bool asDst, bool asSrc, MStatus* ReturnStatus = NULL) const;
    bool isConnected(MStatus* ReturnStatus = NULL) const;
    bool isDestination(MStatus* ReturnStatus = NULL) const;
    bool isSource(MStatus* ReturnStatus = NULL) const;
    bool isNull(MStatus* ReturnStatus = NULL) const;
    bool isKeyable(MStatus* ReturnStatus = NULL) const;

    MStatus getValue(MObject& val, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(double&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(float&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(int&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(short&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(char&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(bool&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(MTime&, MDGContext& ctx = MDGContext::fsNormal) const;
    MStatus getValue(MString&, MDGContext& ctx = MDGContext::fsNormal) const;
    MObject asMObject(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    double asDouble(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    float asFloat(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    int asInt(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    short asShort(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    char asChar(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    bool asBool(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    MTime asMTime(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;
    MString asString(MDGContext& ctx = MDGContext::fsNormal, MStatus* ReturnStatus = NULL) const;

    // Setting a plug that is the destination of a connection fails. Numbers
    // are converted to the attribute's type and clamped to its limits.
    MStatus setValue(MObject& val);
    MStatus setValue(const MObject& val);
    MStatus setValue(double);
    MStatus setValue(float);
    MStatus setValue(int);
    MStatus setValue(short);
    MStatus setValue(char);
    MStatus setValue(bool);
    MStatus setValue(const MTime&);
    MStatus setValue(const MString&);
    MStatus setValue(const char*);

    MPlug& operator=(const MPlug& other);
    MPlug operator[](unsigned int physicalIndex) const;
    bool operator==(const MPlug& other) const;
    bool operator==(const MObject& other) const;
    bool operator!=(const MPlug& other) const;
    bool operator!=(const MObject& other) const;
    operator MObject() const;
    bool operator!() const;

private:
    friend struct zt::host::PlugAccess;
    MObject node_;
    MObject attr_;
    // One entry per array attribute from the top-level attribute down to
    // this one; -1 where no element is chosen (for this attribute itself:
    // the plug is the whole array).
    std::vector<int> indices_;
};
