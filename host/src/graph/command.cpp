// MPxCommand, MArgList and MSyntax.

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MSyntax.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "commands/commandRegistry.h"
#include "graph/messages.h"

// ---- MPxCommand ------------------------------------------------------------

MPxCommand::MPxCommand() = default;
MPxCommand::~MPxCommand() = default;
MStatus MPxCommand::doIt(const MArgList&) {
    return MS::kFailure;
}
MStatus MPxCommand::undoIt() {
    return MS::kFailure;
}
MStatus MPxCommand::redoIt() {
    return MS::kFailure;
}
bool MPxCommand::isUndoable() const {
    return false;
}
bool MPxCommand::hasSyntax() const {
    return false;
}

void MPxCommand::displayInfo(const MString& theInfo) {
    zt::host::postMessage(zt::host::MessageKind::kInfo, theInfo.asChar());
}
void MPxCommand::displayWarning(const MString& theWarning, bool) {
    zt::host::postMessage(zt::host::MessageKind::kWarning, theWarning.asChar());
}
void MPxCommand::displayError(const MString& theError, bool) {
    zt::host::postMessage(zt::host::MessageKind::kError, theError.asChar());
}

void MPxCommand::setResult(int val) {
    zt::commands::setPluginCommandResult(zt::commands::Value(val));
}
void MPxCommand::setResult(double val) {
    zt::commands::setPluginCommandResult(zt::commands::Value(val));
}
void MPxCommand::setResult(bool val) {
    zt::commands::setPluginCommandResult(zt::commands::Value(val));
}
void MPxCommand::setResult(const MString& val) {
    zt::commands::setPluginCommandResult(zt::commands::Value(std::string(val.asChar())));
}
void MPxCommand::clearResult() {
    zt::commands::clearPluginCommandResult();
}

// ---- MArgList --------------------------------------------------------------

const unsigned int MArgList::kInvalidArgIndex = 0xffffffffu;

MArgList::MArgList() = default;
MArgList::MArgList(const MArgList& other) = default;
MArgList& MArgList::operator=(const MArgList& other) = default;
MArgList::~MArgList() = default;

namespace {

void report(MStatus* status, MStatus::MStatusCode code) {
    if (status) *status = code;
}

// The whole text as an integer; false for anything else.
bool parseInt(const char* text, int& out) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(value);
    return true;
}

bool parseDouble(const char* text, double& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (*end != '\0') return false;
    out = value;
    return true;
}

std::string formatNumber(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

}  // namespace

unsigned int MArgList::length(MStatus* ReturnStatus) const {
    report(ReturnStatus, MS::kSuccess);
    return static_cast<unsigned int>(args_.size());
}

bool MArgList::asBool(unsigned int index, MStatus* ret) const {
    if (index >= args_.size()) {
        report(ret, MS::kFailure);
        return false;
    }
    const Arg& a = args_[index];
    report(ret, MS::kSuccess);
    switch (a.kind) {
        case Arg::Kind::kBool:
            return a.b;
        case Arg::Kind::kInt:
            return a.i != 0;
        case Arg::Kind::kDouble:
            return a.d != 0.0;
        case Arg::Kind::kString: {
            const std::string s = a.s.asChar();
            if (s == "true" || s == "on" || s == "yes" || s == "1") return true;
            if (s == "false" || s == "off" || s == "no" || s == "0") return false;
            report(ret, MS::kInvalidParameter);
            return false;
        }
    }
    return false;
}

int MArgList::asInt(unsigned int index, MStatus* ret) const {
    if (index >= args_.size()) {
        report(ret, MS::kFailure);
        return 0;
    }
    const Arg& a = args_[index];
    int value = 0;
    bool ok = true;
    switch (a.kind) {
        case Arg::Kind::kInt:
            value = a.i;
            break;
        case Arg::Kind::kBool:
            value = a.b ? 1 : 0;
            break;
        case Arg::Kind::kDouble:
            ok = a.d == std::floor(a.d) && std::fabs(a.d) <= std::numeric_limits<int>::max();
            value = ok ? static_cast<int>(a.d) : 0;
            break;
        case Arg::Kind::kString:
            ok = parseInt(a.s.asChar(), value);
            break;
    }
    report(ret, ok ? MS::kSuccess : MS::kInvalidParameter);
    return ok ? value : 0;
}

double MArgList::asDouble(unsigned int index, MStatus* ret) const {
    if (index >= args_.size()) {
        report(ret, MS::kFailure);
        return 0.0;
    }
    const Arg& a = args_[index];
    double value = 0.0;
    bool ok = true;
    switch (a.kind) {
        case Arg::Kind::kInt:
            value = a.i;
            break;
        case Arg::Kind::kBool:
            value = a.b ? 1.0 : 0.0;
            break;
        case Arg::Kind::kDouble:
            value = a.d;
            break;
        case Arg::Kind::kString:
            ok = parseDouble(a.s.asChar(), value);
            break;
    }
    report(ret, ok ? MS::kSuccess : MS::kInvalidParameter);
    return ok ? value : 0.0;
}

MString MArgList::asString(unsigned int index, MStatus* ret) const {
    if (index >= args_.size()) {
        report(ret, MS::kFailure);
        return MString();
    }
    const Arg& a = args_[index];
    report(ret, MS::kSuccess);
    switch (a.kind) {
        case Arg::Kind::kString:
            return a.s;
        case Arg::Kind::kInt:
            return MString(std::to_string(a.i).c_str());
        case Arg::Kind::kDouble:
            return MString(formatNumber(a.d).c_str());
        case Arg::Kind::kBool:
            return MString(a.b ? "true" : "false");
    }
    return MString();
}

MTime MArgList::asTime(unsigned int index, MStatus* ret) const {
    MStatus status;
    const double value = asDouble(index, &status);
    report(ret, status.statusCode());
    return status ? MTime(value, MTime::uiUnit()) : MTime();
}

unsigned int MArgList::flagIndex(const char* shortFlag, const char* longFlag) const {
    const std::string shortText = shortFlag ? std::string("-") + shortFlag : std::string();
    const std::string longText = longFlag ? std::string("-") + longFlag : std::string();
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i].kind != Arg::Kind::kString) continue;
        const std::string s = args_[i].s.asChar();
        // Flags may be given with or without their dash.
        if ((!shortText.empty() && (s == shortText || s == shortFlag)) ||
            (!longText.empty() && (s == longText || s == longFlag)))
            return static_cast<unsigned int>(i);
    }
    return kInvalidArgIndex;
}

MStatus MArgList::addArg(int arg) {
    Arg a;
    a.kind = Arg::Kind::kInt;
    a.i = arg;
    args_.push_back(a);
    return MS::kSuccess;
}

MStatus MArgList::addArg(double arg) {
    Arg a;
    a.kind = Arg::Kind::kDouble;
    a.d = arg;
    args_.push_back(a);
    return MS::kSuccess;
}

MStatus MArgList::addArg(bool arg) {
    Arg a;
    a.kind = Arg::Kind::kBool;
    a.b = arg;
    args_.push_back(a);
    return MS::kSuccess;
}

MStatus MArgList::addArg(const MString& arg) {
    Arg a;
    a.kind = Arg::Kind::kString;
    a.s = arg;
    args_.push_back(a);
    return MS::kSuccess;
}

MStatus MArgList::get(unsigned int index, int& ret) const {
    MStatus status;
    ret = asInt(index, &status);
    return status;
}

MStatus MArgList::get(unsigned int index, double& ret) const {
    MStatus status;
    ret = asDouble(index, &status);
    return status;
}

MStatus MArgList::get(unsigned int index, bool& ret) const {
    MStatus status;
    ret = asBool(index, &status);
    return status;
}

MStatus MArgList::get(unsigned int index, MString& ret) const {
    MStatus status;
    ret = asString(index, &status);
    return status;
}

// ---- MSyntax ---------------------------------------------------------------

MSyntax::MSyntax() = default;
MSyntax::MSyntax(const MSyntax& other) = default;
MSyntax& MSyntax::operator=(const MSyntax& other) = default;
MSyntax::~MSyntax() = default;

MStatus MSyntax::addFlag(const char* shortName, const char* longName, MArgType argType1,
                         MArgType argType2, MArgType argType3) {
    if (!shortName || !longName) return MS::kInvalidParameter;
    Flag flag{shortName, longName, {}};
    for (MArgType type : {argType1, argType2, argType3}) {
        if (type != kNoArg) flag.args.push_back(type);
    }
    flags_.push_back(std::move(flag));
    return MS::kSuccess;
}
