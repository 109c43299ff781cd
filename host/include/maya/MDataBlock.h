#pragma once
// The values of one node as its compute sees them. inputValue brings a value
// up to date (evaluating upstream) before handing it out; outputValue hands
// out a writable value without evaluating. What compute writes takes effect
// only when compute succeeds: a failed compute leaves every output as it was.

#include <maya/MArrayDataHandle.h>
#include <maya/MDGContext.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

class MPlug;

namespace zt {
namespace host {
class DataBlockImpl;
}
}  // namespace zt

class OPENMAYA_EXPORT MDataBlock {
public:
    virtual ~MDataBlock();
    MDataHandle inputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MDataHandle inputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MDataHandle outputValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MDataHandle outputValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MArrayDataHandle inputArrayValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MArrayDataHandle outputArrayValue(const MPlug& plug, MStatus* ReturnStatus = NULL);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);
    bool isClean(const MPlug& plug);
    bool isClean(const MObject& attribute, MStatus* ReturnStatus = NULL);
    MDGContext context(MStatus* ReturnStatus = NULL);

private:
    friend class zt::host::DataBlockImpl;
    explicit MDataBlock(zt::host::DataBlockImpl* impl);
    MDataBlock(const MDataBlock&);
    MDataBlock& operator=(const MDataBlock&);
    zt::host::DataBlockImpl* impl_;
};
