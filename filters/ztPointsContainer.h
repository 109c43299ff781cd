#pragma once
// ztPointsContainer: keeps the points of a point set that lie inside a unit
// sphere or unit box placed by a world matrix, and gives each kept point the
// weight "fallof": 1 deep inside, falling linearly to 0 at the surface over
// a band of width `fallof`.

#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MTypeId.h>

class ztPointsContainer : public MPxNode {
public:
    ztPointsContainer() = default;
    ~ztPointsContainer() override = default;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject inPoints;       // "ip"
    static MObject type;           // "t": 0 sphere, 1 box (hides MPxNode::type() here)
    static MObject inWorldMatrix;  // "iwm": places the container in the world
    static MObject fallof;         // "f": width of the fall-off band, 0..1
    static MObject outPoints;      // "op"
};
