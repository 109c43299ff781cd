#pragma once
// Base class of deformer nodes, with the standard deformer attributes every
// deformer type inherits: input[] (inputGeom, groupId), outputGeom[],
// envelope and weightList[] (weights[]).

#include <maya/MDataBlock.h>
#include <maya/MMatrix.h>
#include <maya/MPxNode.h>

class MItGeometry;
class MDagModifier;
class MSelectionList;

class OPENMAYAANIM_EXPORT MPxDeformerNode : public MPxNode {
public:
    MPxDeformerNode();
    virtual ~MPxDeformerNode();
    virtual MPxNode::Type type() const;
    virtual MStatus deform(MDataBlock& block, MItGeometry& iter, const MMatrix& mat,
                           unsigned int multiIndex);
    virtual MObject& accessoryAttribute() const;
    virtual MStatus accessoryNodeSetup(MDagModifier& cmd);
    void setUseExistingConnectionWhenSetEditing(bool state);
    virtual void setModifiedCallback(MSelectionList& list, bool listAdded);
    // The weight of one point for one geometry; 1 where none is set.
    float weightValue(MDataBlock& mblock, unsigned int multiIndex, unsigned int wtIndex);

    static MObject input;
    static MObject inputGeom;
    static MObject groupId;
    static MObject outputGeom;
    static MObject envelope;
    static MObject weightList;
    static MObject weights;
};
