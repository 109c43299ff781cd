// MPxEmitterNode: the standard emitter attributes and their accessors.

#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxEmitterNode.h>

#include "graph/dag.h"
#include "graph/nodeKinds.h"

MObject MPxEmitterNode::mEmitterType;
MObject MPxEmitterNode::mRate;
MObject MPxEmitterNode::mSpeed;
MObject MPxEmitterNode::mDirection;
MObject MPxEmitterNode::mDirectionX;
MObject MPxEmitterNode::mDirectionY;
MObject MPxEmitterNode::mDirectionZ;
MObject MPxEmitterNode::mOwnerPosData;
MObject MPxEmitterNode::mOwnerVelData;
MObject MPxEmitterNode::mOwnerCentroid;
MObject MPxEmitterNode::mOwnerCentroidX;
MObject MPxEmitterNode::mOwnerCentroidY;
MObject MPxEmitterNode::mOwnerCentroidZ;
MObject MPxEmitterNode::mSweptGeometry;
MObject MPxEmitterNode::mWorldMatrix;
MObject MPxEmitterNode::mStartTime;
MObject MPxEmitterNode::mDeltaTime;
MObject MPxEmitterNode::mIsFull;
MObject MPxEmitterNode::mInheritFactor;
MObject MPxEmitterNode::mSeed;
MObject MPxEmitterNode::mRandState;
MObject MPxEmitterNode::mRandStateX;
MObject MPxEmitterNode::mRandStateY;
MObject MPxEmitterNode::mRandStateZ;
MObject MPxEmitterNode::mCurrentTime;
MObject MPxEmitterNode::mOutput;
MObject MPxEmitterNode::mMinDistance;
MObject MPxEmitterNode::mMaxDistance;

namespace zt::host {

namespace {

// Attributes of the host's emitter that are not static members of the base
// class but that emitters reach by name.
MObject spread;
MObject speedRandom;

MObject doubleTriple(const char* longName, const char* shortName, double x, double y, double z,
                     MObject& cx, MObject& cy, MObject& cz, MFnNumericData::Type type) {
    MFnNumericAttribute fn;
    const std::string l = longName;
    const std::string s = shortName;
    cx = fn.create((l + "X").c_str(), (s + "x").c_str(), type, x);
    cy = fn.create((l + "Y").c_str(), (s + "y").c_str(), type, y);
    cz = fn.create((l + "Z").c_str(), (s + "z").c_str(), type, z);
    return fn.create(longName, shortName, cx, cy, cz);
}

void createEmitterAttributes() {
    MFnEnumAttribute enumeration;
    MPxEmitterNode::mEmitterType = enumeration.create("emitterType", "emt", 1);
    enumeration.addField("direction", MPxEmitterNode::kDirectional);
    enumeration.addField("omni", MPxEmitterNode::kOmni);
    enumeration.addField("surface", MPxEmitterNode::kSurface);
    enumeration.addField("curve", MPxEmitterNode::kCurve);
    enumeration.addField("volume", MPxEmitterNode::kVolume);

    MFnNumericAttribute numeric;
    MPxEmitterNode::mRate = numeric.create("rate", "rat", MFnNumericData::kDouble, 100.0);
    numeric.setKeyable(true);
    MPxEmitterNode::mSpeed = numeric.create("speed", "spd", MFnNumericData::kDouble, 1.0);
    numeric.setKeyable(true);
    spread = numeric.create("spread", "spr", MFnNumericData::kDouble, 0.0);
    numeric.setMin(0.0);
    numeric.setMax(1.0);
    speedRandom = numeric.create("speedRandom", "srnd", MFnNumericData::kDouble, 0.0);
    MPxEmitterNode::mMinDistance = numeric.create("minDistance", "min", MFnNumericData::kDouble, 0);
    MPxEmitterNode::mMaxDistance = numeric.create("maxDistance", "max", MFnNumericData::kDouble, 0);
    MPxEmitterNode::mDirection = doubleTriple(
        "direction", "d", 1, 0, 0, MPxEmitterNode::mDirectionX, MPxEmitterNode::mDirectionY,
        MPxEmitterNode::mDirectionZ, MFnNumericData::kDouble);
    MPxEmitterNode::mOwnerCentroid = doubleTriple(
        "ownerCentroid", "oc", 0, 0, 0, MPxEmitterNode::mOwnerCentroidX,
        MPxEmitterNode::mOwnerCentroidY, MPxEmitterNode::mOwnerCentroidZ, MFnNumericData::kDouble);
    MPxEmitterNode::mRandState = doubleTriple(
        "randState", "rst", 0, 0, 0, MPxEmitterNode::mRandStateX, MPxEmitterNode::mRandStateY,
        MPxEmitterNode::mRandStateZ, MFnNumericData::kInt);

    MPxEmitterNode::mIsFull = numeric.create("isFull", "ifl", MFnNumericData::kBoolean, 0);
    numeric.setArray(true);
    MPxEmitterNode::mInheritFactor =
        numeric.create("inheritFactor", "inh", MFnNumericData::kDouble, 0.0);
    numeric.setArray(true);
    MPxEmitterNode::mSeed = numeric.create("seed", "sd", MFnNumericData::kInt, 0);
    numeric.setArray(true);

    MFnUnitAttribute unit;
    MPxEmitterNode::mCurrentTime = unit.create("currentTime", "ct", MFnUnitAttribute::kTime, 0.0);
    MPxEmitterNode::mStartTime = unit.create("startTime", "stt", MFnUnitAttribute::kTime, 0.0);
    unit.setArray(true);
    MPxEmitterNode::mDeltaTime = unit.create("deltaTime", "dt", MFnUnitAttribute::kTime, 0.0);
    unit.setArray(true);

    MFnTypedAttribute typed;
    MPxEmitterNode::mOwnerPosData =
        typed.create("ownerPosData", "opd", MFnData::kVectorArray, MObject::kNullObj);
    MPxEmitterNode::mOwnerVelData =
        typed.create("ownerVelData", "ovd", MFnData::kVectorArray, MObject::kNullObj);
    MPxEmitterNode::mSweptGeometry =
        typed.create("sweptGeometry", "swg", MFnData::kDynSweptGeometry, MObject::kNullObj);
    MPxEmitterNode::mOutput =
        typed.create("output", "ot", MFnData::kDynArrayAttrs, MObject::kNullObj);
    typed.setArray(true);
    typed.setWritable(false);
    typed.setStorable(false);
    typed.setUsesArrayDataBuilder(true);

    MPxEmitterNode::mWorldMatrix = dagAttributes().worldMatrix;
}

}  // namespace

MStatus addEmitterAttributes() {
    if (MPxEmitterNode::mRate.isNull()) createEmitterAttributes();
    const MObject* own[] = {&MPxEmitterNode::mEmitterType,
                            &MPxEmitterNode::mRate,
                            &MPxEmitterNode::mSpeed,
                            &spread,
                            &speedRandom,
                            &MPxEmitterNode::mDirection,
                            &MPxEmitterNode::mOwnerPosData,
                            &MPxEmitterNode::mOwnerVelData,
                            &MPxEmitterNode::mOwnerCentroid,
                            &MPxEmitterNode::mSweptGeometry,
                            &MPxEmitterNode::mStartTime,
                            &MPxEmitterNode::mDeltaTime,
                            &MPxEmitterNode::mIsFull,
                            &MPxEmitterNode::mInheritFactor,
                            &MPxEmitterNode::mSeed,
                            &MPxEmitterNode::mRandState,
                            &MPxEmitterNode::mCurrentTime,
                            &MPxEmitterNode::mOutput,
                            &MPxEmitterNode::mMinDistance,
                            &MPxEmitterNode::mMaxDistance};
    for (const MObject* attr : own) {
        MStatus status = MPxNode::addAttribute(*attr);
        if (!status) return status;
    }
    // Emission follows time and the emitter's placement.
    const std::initializer_list<const MObject*> inputs = {
        &MPxEmitterNode::mCurrentTime, &MPxEmitterNode::mRate, &MPxEmitterNode::mSpeed,
        &MPxEmitterNode::mDirection, &dagAttributes().worldMatrix};
    for (const MObject* input : inputs) {
        MStatus status = MPxNode::attributeAffects(*input, MPxEmitterNode::mOutput);
        if (!status) return status;
    }
    return MS::kSuccess;
}

}  // namespace zt::host

MPxEmitterNode::MPxEmitterNode() = default;
MPxEmitterNode::~MPxEmitterNode() = default;
MPxNode::Type MPxEmitterNode::type() const {
    return kEmitterNode;
}
MStatus MPxEmitterNode::compute(const MPlug&, MDataBlock&) {
    return MS::kUnknownParameter;
}
void MPxEmitterNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {}

MPxEmitterNode::MEmitterType MPxEmitterNode::getEmitterType(MDataBlock& block) {
    return static_cast<MEmitterType>(block.inputValue(mEmitterType).asShort());
}

MObject MPxEmitterNode::getOwnerShape() {
    // Owners are connected into ownerPosData by the particle system, which
    // this host does not have: an emitter has no owner shape.
    return MObject();
}

MTime MPxEmitterNode::getCurrentTime(MDataBlock& block) {
    return block.inputValue(mCurrentTime).asTime();
}

namespace {

template <class Read>
auto elementOf(MDataBlock& block, const MObject& array, int plugIndex, Read read)
    -> decltype(read(std::declval<MDataHandle&>())) {
    MStatus status;
    MArrayDataHandle handle = block.inputArrayValue(array, &status);
    using Result = decltype(read(std::declval<MDataHandle&>()));
    if (!status || plugIndex < 0 || !handle.jumpToElement(static_cast<unsigned int>(plugIndex)))
        return Result();
    MDataHandle element = handle.inputValue();
    return read(element);
}

}  // namespace

MTime MPxEmitterNode::getStartTime(int plugIndex, MDataBlock& block) {
    return elementOf(block, mStartTime, plugIndex, [](MDataHandle& h) { return h.asTime(); });
}

MTime MPxEmitterNode::getDeltaTime(int plugIndex, MDataBlock& block) {
    return elementOf(block, mDeltaTime, plugIndex, [](MDataHandle& h) { return h.asTime(); });
}

int MPxEmitterNode::getRandomSeed(int plugIndex, MDataBlock& block) {
    return elementOf(block, mSeed, plugIndex, [](MDataHandle& h) { return h.asInt(); });
}

double MPxEmitterNode::getRate(MDataBlock& block) {
    return block.inputValue(mRate).asDouble();
}

MMatrix MPxEmitterNode::getWorldMatrix() {
    MPlug world(thisMObject(), mWorldMatrix);
    MObject data;
    world.elementByLogicalIndex(0).getValue(data);
    return MFnMatrixData(data).matrix();
}

MPoint MPxEmitterNode::getWorldPosition() {
    const MMatrix world = getWorldMatrix();
    return MPoint(world(3, 0), world(3, 1), world(3, 2));
}
