// MObject, MObjectArray, MDGContext and the names of MFn types.

#include <maya/MDGContext.h>
#include <maya/MObject.h>
#include <maya/MObjectArray.h>

#include "graph/object.h"

namespace zt::host {

const char* apiTypeName(MFn::Type type) {
    switch (type) {
        case MFn::kInvalid:
            return "kInvalid";
        case MFn::kBase:
            return "kBase";
        case MFn::kNamedObject:
            return "kNamedObject";
        case MFn::kModel:
            return "kModel";
        case MFn::kDependencyNode:
            return "kDependencyNode";
        case MFn::kAnimCurve:
            return "kAnimCurve";
        case MFn::kDagNode:
            return "kDagNode";
        case MFn::kTransform:
            return "kTransform";
        case MFn::kGeometryFilt:
            return "kGeometryFilt";
        case MFn::kShape:
            return "kShape";
        case MFn::kCamera:
            return "kCamera";
        case MFn::kLocator:
            return "kLocator";
        case MFn::kEmitter:
            return "kEmitter";
        case MFn::kMesh:
            return "kMesh";
        case MFn::kWeightGeometryFilt:
            return "kWeightGeometryFilt";
        case MFn::kPluginDependNode:
            return "kPluginDependNode";
        case MFn::kPluginLocatorNode:
            return "kPluginLocatorNode";
        case MFn::kTime:
            return "kTime";
        case MFn::kAttribute:
            return "kAttribute";
        case MFn::kNumericAttribute:
            return "kNumericAttribute";
        case MFn::kUnitAttribute:
            return "kUnitAttribute";
        case MFn::kTypedAttribute:
            return "kTypedAttribute";
        case MFn::kCompoundAttribute:
            return "kCompoundAttribute";
        case MFn::kEnumAttribute:
            return "kEnumAttribute";
        case MFn::kMatrixAttribute:
            return "kMatrixAttribute";
        case MFn::kMessageAttribute:
            return "kMessageAttribute";
        case MFn::kData:
            return "kData";
        case MFn::kNumericData:
            return "kNumericData";
        case MFn::kComponentListData:
            return "kComponentListData";
        case MFn::kDoubleArrayData:
            return "kDoubleArrayData";
        case MFn::kIntArrayData:
            return "kIntArrayData";
        case MFn::kMatrixData:
            return "kMatrixData";
        case MFn::kMeshData:
            return "kMeshData";
        case MFn::kPlugin:
            return "kPlugin";
        case MFn::kGeometryData:
            return "kGeometryData";
        case MFn::kPointArrayData:
            return "kPointArrayData";
        case MFn::kStringArrayData:
            return "kStringArrayData";
        case MFn::kStringData:
            return "kStringData";
        case MFn::kVectorArrayData:
            return "kVectorArrayData";
        case MFn::kPluginDeformerNode:
            return "kPluginDeformerNode";
        case MFn::kPluginShape:
            return "kPluginShape";
        case MFn::kDynArrayAttrsData:
            return "kDynArrayAttrsData";
        case MFn::kInstancer:
            return "kInstancer";
        case MFn::kParticle:
            return "kParticle";
        case MFn::kPluginEmitterNode:
            return "kPluginEmitterNode";
        case MFn::kPluginTransformNode:
            return "kPluginTransformNode";
        case MFn::kLast:
            return "kLast";
    }
    return "kInvalid";
}

}  // namespace zt::host

MObject MObject::kNullObj;

MObject::MObject() = default;
MObject::MObject(const MObject& other) = default;
MObject::MObject(MObject&& other) noexcept = default;
MObject::~MObject() = default;
MObject& MObject::operator=(const MObject&) = default;
MObject& MObject::operator=(MObject&&) noexcept = default;

bool MObject::hasFn(MFn::Type fs) const {
    return impl_ && impl_->hasFn(fs);
}
bool MObject::isNull() const {
    return !impl_;
}
MFn::Type MObject::apiType() const {
    return impl_ ? impl_->apiType() : MFn::kInvalid;
}
const char* MObject::apiTypeStr() const {
    return zt::host::apiTypeName(apiType());
}
bool MObject::operator==(const MObject& other) const {
    return impl_ == other.impl_;
}
bool MObject::operator!=(const MObject& other) const {
    return impl_ != other.impl_;
}

MObjectArray::MObjectArray() = default;
MObjectArray::MObjectArray(const MObjectArray& other) = default;
MObjectArray::MObjectArray(unsigned int initialSize, const MObject& initialValue)
    : objects_(initialSize, initialValue) {}
MObjectArray::~MObjectArray() = default;
const MObject& MObjectArray::operator[](unsigned int index) const {
    return objects_[index];
}
MObject& MObjectArray::operator[](unsigned int index) {
    return objects_[index];
}
MObjectArray& MObjectArray::operator=(const MObjectArray& other) = default;
unsigned int MObjectArray::length() const {
    return static_cast<unsigned int>(objects_.size());
}
MStatus MObjectArray::setLength(unsigned int length) {
    objects_.resize(length);
    return MS::kSuccess;
}
MStatus MObjectArray::remove(unsigned int index) {
    if (index >= objects_.size()) return MS::kInvalidParameter;
    objects_.erase(objects_.begin() + index);
    return MS::kSuccess;
}
MStatus MObjectArray::insert(const MObject& element, unsigned int index) {
    if (index > objects_.size()) return MS::kInvalidParameter;
    objects_.insert(objects_.begin() + index, element);
    return MS::kSuccess;
}
MStatus MObjectArray::append(const MObject& element) {
    objects_.push_back(element);
    return MS::kSuccess;
}
MStatus MObjectArray::clear() {
    objects_.clear();
    return MS::kSuccess;
}

MDGContext MDGContext::fsNormal;

MDGContext::MDGContext() : hasTime_(false) {}
MDGContext::MDGContext(const MTime& when) : hasTime_(true), time_(when) {}
MDGContext::MDGContext(const MDGContext& in) = default;
MDGContext& MDGContext::operator=(const MDGContext& in) = default;
MDGContext::~MDGContext() = default;
bool MDGContext::isNormal(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return !hasTime_;
}
MStatus MDGContext::getTime(MTime& t) const {
    if (!hasTime_) return MS::kFailure;
    t = time_;
    return MS::kSuccess;
}
