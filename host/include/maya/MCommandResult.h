#pragma once
// Result of a command run through MGlobal::executeCommand.

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <memory>

namespace zt {
namespace commands {
class Value;
}
namespace host {
struct CommandResultAccess;
}
}  // namespace zt

class OPENMAYA_EXPORT MCommandResult {
public:
    enum Type {
        kInvalid = 0,
        kInt,
        kIntArray,
        kDouble,
        kDoubleArray,
        kString,
        kStringArray,
        kVector,
        kVectorArray,
        kMatrix,
        kMatrixArray
    };
    MCommandResult(MStatus* ReturnStatus = NULL);
    virtual ~MCommandResult();
    Type resultType(MStatus* ReturnStatus = NULL) const;
    MStatus getResult(int& result) const;
    MStatus getResult(MIntArray& result) const;
    MStatus getResult(double& result) const;
    MStatus getResult(MDoubleArray& result) const;
    MStatus getResult(MString& result) const;
    MStatus getResult(MStringArray& result) const;
    MString stringResult(MStatus* ReturnStatus = NULL) const;

private:
    MCommandResult(const MCommandResult&);
    MCommandResult& operator=(const MCommandResult&);
    friend struct zt::host::CommandResultAccess;
    std::unique_ptr<zt::commands::Value> value_;
};
