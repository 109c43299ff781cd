#pragma once
// Builds the elements of an array attribute's value. A builder taken from an
// MArrayDataHandle works on that handle's value directly.

#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <memory>

class MDataBlock;

class OPENMAYA_EXPORT MArrayDataBuilder {
public:
    MArrayDataBuilder(const MObject& attribute, unsigned int numElements,
                      MStatus* ReturnStatus = NULL);
    MArrayDataBuilder(MDataBlock*, const MObject& attribute, unsigned int,
                      MStatus* ReturnStatus = NULL);
    MArrayDataBuilder(const MArrayDataBuilder& other);
    MArrayDataBuilder& operator=(const MArrayDataBuilder& other);
    ~MArrayDataBuilder();

    // A new element after the highest logical index.
    MDataHandle addLast(MStatus* ReturnStatus = NULL);
    // The element with this logical index, created when missing.
    MDataHandle addElement(unsigned int index, MStatus* ReturnStatus = NULL);
    MStatus removeElement(unsigned int index);
    unsigned int elementCount(MStatus* ReturnStatus = NULL) const;
    MStatus growArray(unsigned int amount);

private:
    friend class MArrayDataHandle;
    MArrayDataBuilder();
    // The array value being built: either the value of a data block (cell_)
    // or one of the builder's own (owned_, cell_ pointing into it).
    std::shared_ptr<zt::host::Cell> owned_;
    zt::host::Cell* cell_;
    std::shared_ptr<zt::host::AttributeImpl> attr_;
};
