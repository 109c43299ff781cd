#pragma once
// ztPointsEmitter: a particle emitter whose emission sites are the points of
// a point set. Particles leave each point's "position" along its
// "aimDirection", in a random cone (`spread`), with the emitter's speed plus
// a random share of `speedRandom`. By default every point emits at the
// emitter's rate; with `singleEmission` every "pointID" emits one particle
// once (again after a rewind to the start). A channel of the point set can
// be passed on as the particles' colour ("rgbPP", `attrName1`) and another
// as their opacity ("opacityPP", `attrName2`).

#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MTypeId.h>

#include <cstdint>
#include <set>

class ztPointsEmitter : public MPxEmitterNode {
public:
    static void* creator() { return new ztPointsEmitter(); }
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& data) override;
    void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
              M3dView::DisplayStatus status) override;

    static const MTypeId id;

    static MObject inPoints;
    static MObject singleEmission;
    static MObject passAttrInRGB;
    static MObject attrName1;
    static MObject passAttrInOpacity;
    static MObject attrName2;

private:
    // The emitter's own attributes for output element k.
    double rateValue(MDataBlock& data);
    double speedValue(MDataBlock& data);
    // The full flag of element k; true when it cannot be read.
    bool isFullValue(int k, MDataBlock& data);
    // Whether element k has a full flag at all (a particle shape feeds it).
    bool hasParticleShape(int k, MDataBlock& data);
    double inheritFactorValue(int k, MDataBlock& data);
    MTime currentTimeValue(MDataBlock& data);
    MTime startTimeValue(int k, MDataBlock& data);
    MTime deltaTimeValue(int k, MDataBlock& data);
    MStatus getWorldPosition(MPoint& point);

    // Point identifiers that have emitted in single-emission mode, compared
    // as unsigned; emptied at or before the start time.
    std::set<std::uint32_t> emitted_;
};
