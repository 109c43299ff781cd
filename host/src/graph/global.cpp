// MGlobal, MComputation and MCommandResult.

#include <maya/MCommandResult.h>
#include <maya/MComputation.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>

#include "commands/value.h"
#include "graph/messages.h"
#include "graph/scene.h"
#include "mel/engine.h"
#include "viewport/particleNode.h"

namespace zt::host {

struct CommandResultAccess {
    static void set(MCommandResult& result, const commands::Value& value) {
        result.value_ = std::make_unique<commands::Value>(value);
    }
};

}  // namespace zt::host

using zt::commands::Value;

// ---- messages and state ----------------------------------------------------

MGlobal::MMayaState MGlobal::mayaState(MStatus* ReturnStatus) {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    return kBatch;
}

MString MGlobal::mayaVersion() {
    return MString("2014");
}
int MGlobal::apiVersion() {
    return MAYA_API_VERSION;
}

void MGlobal::displayInfo(const MString& theMessage) {
    zt::host::postMessage(zt::host::MessageKind::kInfo, theMessage.asChar());
}

void MGlobal::displayWarning(const MString& theWarning) {
    zt::host::postMessage(zt::host::MessageKind::kWarning, theWarning.asChar());
}

void MGlobal::displayError(const MString& theError) {
    zt::host::postMessage(zt::host::MessageKind::kError, theError.asChar());
}

MStatus MGlobal::viewFrame(const MTime& time) {
    MObject timeNode = zt::host::timeNode();
    if (timeNode.isNull()) return MS::kFailure;
    MPlug outTime = MFnDependencyNode(timeNode).findPlug("outTime");
    if (outTime.isNull()) return MS::kFailure;
    MStatus status = outTime.setValue(time);
    // Particle shapes keep state from step to step: evaluate them at every
    // time the scene visits so that frames are stepped in order.
    if (status) zt::host::stepParticleShapes();
    return status;
}

MStatus MGlobal::viewFrame(double time) {
    return viewFrame(MTime(time, MTime::uiUnit()));
}

MStatus MGlobal::getSelectionListByName(const MString& name, MSelectionList& list) {
    return list.add(name);
}

// ---- commands --------------------------------------------------------------

namespace {

// Runs MEL text; the result of the last statement lands in `result`.
MStatus run(const MString& command, bool displayEnabled, Value& result) {
    const bool ok = zt::mel::executeText(command.asChar(), &result, displayEnabled);
    return ok ? MS::kSuccess : MS::kFailure;
}

}  // namespace

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool) {
    Value ignored;
    return run(command, displayEnabled, ignored);
}

MStatus MGlobal::executeCommand(const MString& command, MCommandResult& result, bool displayEnabled,
                                bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    zt::host::CommandResultAccess::set(result, value);
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, int& result, bool displayEnabled, bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) result = value.asInt();
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool displayEnabled, bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) result = value.asDouble();
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MIntArray& result, bool displayEnabled,
                                bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) {
        result.clear();
        for (int v : value.asIntArray()) result.append(v);
    }
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled,
                                bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) {
        result.clear();
        for (double v : value.asDoubleArray()) result.append(v);
    }
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool displayEnabled,
                                bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) {
        result.clear();
        for (const std::string& v : value.asStringArray()) result.append(MString(v.c_str()));
    }
    return status;
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool displayEnabled,
                                bool) {
    Value value;
    MStatus status = run(command, displayEnabled, value);
    if (status) result = MString(value.asString().c_str());
    return status;
}

MString MGlobal::executeCommandStringResult(const MString& command, bool displayEnabled,
                                            bool undoEnabled, MStatus* ResultStatus) {
    MString result;
    MStatus status = executeCommand(command, result, displayEnabled, undoEnabled);
    if (ResultStatus) *ResultStatus = status;
    return result;
}

// ---- MCommandResult --------------------------------------------------------

MCommandResult::MCommandResult(MStatus* ReturnStatus) : value_(std::make_unique<Value>()) {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
}

MCommandResult::~MCommandResult() = default;

MCommandResult::Type MCommandResult::resultType(MStatus* ReturnStatus) const {
    if (ReturnStatus) *ReturnStatus = MS::kSuccess;
    switch (value_->type()) {
        case Value::Type::kInt:
            return kInt;
        case Value::Type::kDouble:
            return kDouble;
        case Value::Type::kString:
            return kString;
        case Value::Type::kIntArray:
            return kIntArray;
        case Value::Type::kDoubleArray:
            return kDoubleArray;
        case Value::Type::kStringArray:
            return kStringArray;
        default:
            return kInvalid;
    }
}

MStatus MCommandResult::getResult(int& result) const {
    if (!value_->isNumber()) return MS::kInvalidParameter;
    result = value_->asInt();
    return MS::kSuccess;
}

MStatus MCommandResult::getResult(double& result) const {
    if (!value_->isNumber()) return MS::kInvalidParameter;
    result = value_->asDouble();
    return MS::kSuccess;
}

MStatus MCommandResult::getResult(MString& result) const {
    if (value_->isNone() || value_->isArray()) return MS::kInvalidParameter;
    result = MString(value_->asString().c_str());
    return MS::kSuccess;
}

MStatus MCommandResult::getResult(MIntArray& result) const {
    if (value_->isNone()) return MS::kInvalidParameter;
    result.clear();
    for (int v : value_->asIntArray()) result.append(v);
    return MS::kSuccess;
}

MStatus MCommandResult::getResult(MDoubleArray& result) const {
    if (value_->isNone()) return MS::kInvalidParameter;
    result.clear();
    for (double v : value_->asDoubleArray()) result.append(v);
    return MS::kSuccess;
}

MStatus MCommandResult::getResult(MStringArray& result) const {
    if (value_->isNone()) return MS::kInvalidParameter;
    result.clear();
    for (const std::string& v : value_->asStringArray()) result.append(MString(v.c_str()));
    return MS::kSuccess;
}

MString MCommandResult::stringResult(MStatus* ReturnStatus) const {
    MString result;
    MStatus status = getResult(result);
    if (ReturnStatus) *ReturnStatus = status;
    return result;
}

// ---- MComputation ----------------------------------------------------------

namespace {

// Computations begun and not yet ended. Only the outermost one forgets
// earlier interrupt requests: a node computing inside an interruptible
// command must not swallow the request meant for the command.
int& runningComputations() {
    static int count = 0;
    return count;
}

}  // namespace

MComputation::MComputation() : active_(false) {}

MComputation::~MComputation() {
    endComputation();
}

void MComputation::beginComputation(bool, bool, bool) {
    if (!active_) {
        active_ = true;
        ++runningComputations();
    }
    if (runningComputations() == 1) zt::host::clearInterrupt();
}

bool MComputation::isInterruptRequested() {
    return zt::host::interruptRequested();
}

void MComputation::endComputation() {
    if (!active_) return;
    active_ = false;
    --runningComputations();
}
