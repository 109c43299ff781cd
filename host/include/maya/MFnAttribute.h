#pragma once
// Function set of attributes: names and flags. Flags act on the attribute
// the function set is attached to (the one most recently created by it).
// A new attribute is readable, writable, connectable and storable, and
// neither keyable, hidden nor an array.

#include <maya/MFnBase.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MFnAttribute : public MFnBase {
    declareMFn(MFnAttribute, MFnBase);

    enum DisconnectBehavior { kDelete, kReset, kNothing };

    bool isReadable(MStatus* ReturnStatus = NULL) const;
    bool isWritable(MStatus* ReturnStatus = NULL) const;
    bool isConnectable(MStatus* ReturnStatus = NULL) const;
    bool isStorable(MStatus* ReturnStatus = NULL) const;
    bool isCached(MStatus* ReturnStatus = NULL) const;
    bool isArray(MStatus* ReturnStatus = NULL) const;
    bool indexMatters(MStatus* ReturnStatus = NULL) const;
    bool isKeyable(MStatus* ReturnStatus = NULL) const;
    bool isChannelBoxFlagSet(MStatus* ReturnStatus = NULL) const;
    bool isHidden(MStatus* ReturnStatus = NULL) const;
    bool isUsedAsColor(MStatus* ReturnStatus = NULL) const;
    bool usesArrayDataBuilder(MStatus* ReturnStatus = NULL) const;
    DisconnectBehavior disconnectBehavior(MStatus* ReturnStatus = NULL) const;
    MStatus setReadable(bool state);
    MStatus setWritable(bool state);
    MStatus setConnectable(bool state);
    MStatus setStorable(bool state);
    MStatus setCached(bool state);
    MStatus setArray(bool state);
    MStatus setIndexMatters(bool state);
    MStatus setKeyable(bool state);
    MStatus setChannelBox(bool state);
    MStatus setHidden(bool state);
    MStatus setUsedAsColor(bool state);
    MStatus setDisconnectBehavior(DisconnectBehavior behavior);
    MStatus setUsesArrayDataBuilder(bool state);
    MString name(MStatus* ReturnStatus = NULL) const;
    MString shortName(MStatus* ReturnStatus = NULL) const;
    // The compound this attribute is a child of; null for a top-level one.
    MObject parent(MStatus* ReturnStatus = NULL) const;
};
