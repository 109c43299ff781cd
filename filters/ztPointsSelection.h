#pragma once
// ztPointsSelection: divides a point set in two. The selected points go to
// outPoints, all others to outPointsComplement, every channel travelling with
// its point, so the two outputs together hold each input point once, each in
// input order.
//
// Four tests decide, in this order, on a flag that starts set for every point:
// colour thinning (a point stays with the probability of its colour value,
// from the painted vertex colours of inMesh or from inColor), the conditions
// (comparisons in the language of filters/selectionConditions.h over the
// point's channels and the user's vector variables), forced point ids listed
// in the conditions (they select their points again), and the facing test
// (a point whose normal turns away from dotProdVector by more than
// dotProdRange is dropped, forced ids included).

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsSelection : public MPxNode {
public:
    static void* creator() { return new ztPointsSelection(); }
    static MStatus initialize();
    MStatus compute(const MPlug& plug, MDataBlock& block) override;

    static const MTypeId id;

    static MObject inPoints;
    static MObject useVertexColor;
    static MObject inMesh;
    static MObject useInColor;
    static MObject inColor;
    static MObject conditions;
    static MObject dotProdCondition;
    static MObject dotProdVector;
    static MObject dotProdRange;
    static MObject variables;
    static MObject varName;
    static MObject varValue;
    static MObject outPoints;
    static MObject outPointsComplement;
};
