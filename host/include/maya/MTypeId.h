#pragma once
// Identifier of a node or data type.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

class OPENMAYA_EXPORT MTypeId {
public:
    MTypeId();
    ~MTypeId();
    MTypeId(unsigned int id);
    // A 24-bit vendor prefix followed by an 8-bit id.
    MTypeId(unsigned int prefix, unsigned int id);
    MTypeId(const MTypeId& src);
    MTypeId& operator=(const MTypeId& rhs);
    bool operator==(const MTypeId& rhs) const;
    bool operator!=(const MTypeId& rhs) const;
    unsigned int id(MStatus* ReturnStatus = NULL) const;

private:
    unsigned int id_;
};
