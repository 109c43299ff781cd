#pragma once
// Handle to the value of an array attribute in a data block. Iteration
// visits the existing elements in ascending logical index, starting at the
// first.

#include <maya/MArrayDataBuilder.h>
#include <maya/MDataHandle.h>
#include <maya/MStatus.h>

class OPENMAYA_EXPORT MArrayDataHandle {
public:
    MArrayDataHandle(const MDataHandle& in, MStatus* ReturnStatus = NULL);
    MArrayDataHandle(const MArrayDataHandle& other);
    MArrayDataHandle& operator=(const MArrayDataHandle& other);

    MDataHandle inputValue(MStatus* ReturnStatus = NULL);
    MDataHandle outputValue(MStatus* ReturnStatus = NULL);
    MArrayDataHandle inputArrayValue(MStatus* ReturnStatus = NULL);
    MArrayDataHandle outputArrayValue(MStatus* ReturnStatus = NULL);
    MStatus next();
    unsigned int elementCount(MStatus* ReturnStatus = NULL);
    unsigned int elementIndex(MStatus* ReturnStatus = NULL);
    MStatus jumpToElement(unsigned int index);
    MStatus jumpToArrayElement(unsigned int position);
    MStatus setClean();
    MStatus setAllClean();
    MArrayDataBuilder builder(MStatus* ReturnStatus = NULL);
    MStatus set(MArrayDataBuilder& builder);

private:
    friend struct zt::host::DataHandleAccess;
    MArrayDataHandle();
    MDataHandle elementHandle(bool writable, MStatus* ReturnStatus);
    zt::host::Cell* cell_;
    const zt::host::AttributeImpl* attr_;
    bool writable_;
    bool atEnd_;
    unsigned int current_;
};
