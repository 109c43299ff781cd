#pragma once
// Queue of graph edits run by doIt, in order; doIt stops at the first
// failure and returns its status. createNode makes the node at once so that
// its MObject can be used in later operations; everything else (connect,
// disconnect, delete, rename, plug values) waits for doIt. undoIt reverts
// what doIt did and the nodes created through the modifier.

#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <functional>
#include <vector>

class OPENMAYA_EXPORT MDGModifier {
public:
    MDGModifier();
    virtual ~MDGModifier();
    MObject createNode(const MTypeId& typeId, MStatus* ReturnStatus = NULL);
    MObject createNode(const MString& type, MStatus* ReturnStatus = NULL);
    MStatus deleteNode(const MObject& node);
    MStatus renameNode(const MObject& node, const MString& newName);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                    const MObject& destAttr);
    MStatus disconnect(const MObject& sourceNode, const MObject& sourceAttr,
                       const MObject& destNode, const MObject& destAttr);
    MStatus connect(const MPlug& source, const MPlug& dest);
    MStatus disconnect(const MPlug& source, const MPlug& dest);
    MStatus newPlugValueDouble(const MPlug& plug, double value);
    MStatus newPlugValueInt(const MPlug& plug, int value);
    MStatus newPlugValueBool(const MPlug& plug, bool value);
    MStatus newPlugValueString(const MPlug& plug, const MString& value);
    MStatus doIt();
    MStatus undoIt();

    // A queued edit: runs when doIt reaches it and, on success, records how
    // to revert itself.
    using Undo = std::function<void()>;
    using Operation = std::function<MStatus(std::vector<Undo>& undo)>;

protected:
    void queue(std::function<MStatus()> run);
    std::vector<Operation> operations_;
    std::vector<Undo> undo_;
    // Nodes are created at once (createNode hands out a usable MObject);
    // their creation is reverted by undoIt like the queued edits.
    std::vector<Undo> created_;

private:
    MDGModifier(const MDGModifier&);
    MDGModifier& operator=(const MDGModifier&);
};
