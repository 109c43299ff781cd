#pragma once
// ztScatterPoints: places points on a polygon mesh so that no two are closer
// than `radius` (Poisson-disc sampling), on the mesh's vertices, its border
// edges and its surface, and writes them as a point set with "position",
// "triID", "uv", "pointID" and optionally "normal".
//
//   string $s = `createNode ztScatterPoints`;
//   connectAttr pPlaneShape1.outMesh ($s + ".inMesh");
//   connectAttr pPlaneShape1.boundingBox ($s + ".boundingBox");
//   setAttr ($s + ".radius") 0.05;
//   setAttr ($s + ".fillGaps") 1;   // optional: add points until no gap is left
//   getAttr ($s + ".outPoints");
//
// A pass draws at most `maxCandidates` candidates (default 10^7, at most
// 2 * 10^8; about 70 bytes of memory each while the pass runs). Scatters of
// 5 * 10^6 candidates or more print each pass's progress on the error
// stream; an interrupt (Ctrl-C in ztbatch) stops the compute and keeps the
// previous points.

#include <maya/MPxNode.h>
#include <maya/MTypeId.h>

class ztScatterPoints : public MPxNode {
public:
    ztScatterPoints();
    ~ztScatterPoints() override;

    MStatus compute(const MPlug& plug, MDataBlock& data) override;

    static void* creator();
    static MStatus initialize();

    static const MTypeId id;

    static MObject outPoints;
    static MObject inMesh;
    static MObject boundingBox;
    static MObject boundingBoxMin, boundingBoxMinX, boundingBoxMinY, boundingBoxMinZ;
    static MObject boundingBoxMax, boundingBoxMaxX, boundingBoxMaxY, boundingBoxMaxZ;
    static MObject boundingBoxSize, boundingBoxSizeX, boundingBoxSizeY, boundingBoxSizeZ;
    static MObject radius;
    static MObject seed;
    static MObject computeNormal;
    static MObject randomsMultipler;
    static MObject trials;
    static MObject mode;
    static MObject addAll;
    static MObject partial;
    static MObject faces;
    static MObject scatterOnVertices;
    static MObject scatterOnBorderEdges;
    static MObject scatterOnSurface;
    static MObject maxCandidates;
    static MObject fillGaps;

private:
    // The phase (0..26) of each position 9*py + 3*pz + px in a 3x3x3 block of
    // grid cells; fixed for the node's life.
    unsigned short* phaseMap;
};
