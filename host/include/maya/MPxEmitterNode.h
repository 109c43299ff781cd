#pragma once
// Base class of particle emitter nodes, with the standard emitter
// attributes every emitter type inherits. Emitters are DAG nodes that carry
// their own transform (translate, rotate, scale).

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MPxNode.h>
#include <maya/MTime.h>

class OPENMAYAFX_EXPORT MPxEmitterNode : public MPxNode {
public:
    MPxEmitterNode();
    virtual ~MPxEmitterNode();
    virtual MPxNode::Type type() const;
    virtual MStatus compute(const MPlug& plug, MDataBlock& dataBlock);
    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus);

    enum MEmitterType { kDirectional = 0, kOmni, kSurface, kCurve, kVolume };
    static MObject mEmitterType;
    static MObject mRate;
    static MObject mSpeed;
    static MObject mDirection, mDirectionX, mDirectionY, mDirectionZ;
    static MObject mOwnerPosData, mOwnerVelData;
    static MObject mOwnerCentroid, mOwnerCentroidX, mOwnerCentroidY, mOwnerCentroidZ;
    static MObject mSweptGeometry;
    static MObject mWorldMatrix;
    static MObject mStartTime;
    static MObject mDeltaTime;
    static MObject mIsFull;
    static MObject mInheritFactor;
    static MObject mSeed;
    static MObject mRandState, mRandStateX, mRandStateY, mRandStateZ;
    static MObject mCurrentTime;
    static MObject mOutput;
    static MObject mMinDistance;
    static MObject mMaxDistance;

    MEmitterType getEmitterType(MDataBlock& block);
    MObject getOwnerShape();
    MTime getCurrentTime(MDataBlock& block);
    MTime getStartTime(int plugIndex, MDataBlock& block);
    MTime getDeltaTime(int plugIndex, MDataBlock& block);
    int getRandomSeed(int plugIndex, MDataBlock& block);
    double getRate(MDataBlock& block);
    MPoint getWorldPosition();
    MMatrix getWorldMatrix();
};
