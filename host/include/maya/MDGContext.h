#pragma once
// Evaluation context. This host evaluates at the current time only, so every
// context behaves as the normal one.

#include <maya/MStatus.h>
#include <maya/MTime.h>

class OPENMAYA_EXPORT MDGContext {
public:
    MDGContext();
    MDGContext(const MTime& when);
    MDGContext(const MDGContext& in);
    MDGContext& operator=(const MDGContext& in);
    ~MDGContext();
    bool isNormal(MStatus* ReturnStatus = NULL) const;
    MStatus getTime(MTime&) const;
    static MDGContext fsNormal;

private:
    bool hasTime_;
    MTime time_;
};
