// Scene commands: currentTime, currentUnit, workspace.
//
//   currentUnit -time pal;          // 25 frames per second
//   currentTime 12;                 // time1 moves, everything downstream is dirty
//   currentTime -e 12 -update false;
//   float $now = `currentTime -q`;
//   workspace -rd "/projects/shot1"; // where relative cache paths are found
//   string $root = `workspace -q -rd`;

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MTime.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include "commands/argHelpers.h"
#include "commands/coreCommands.h"
#include "graph/scene.h"

namespace zt::commands {

namespace {

struct TimeUnitName {
    const char* name;
    MTime::Unit unit;
};

// The host's names for its time units.
const std::vector<TimeUnitName>& timeUnitNames() {
    static const std::vector<TimeUnitName> names = {
        {"hour", MTime::kHours},      {"min", MTime::kMinutes},
        {"sec", MTime::kSeconds},     {"millisec", MTime::kMilliseconds},
        {"game", MTime::kGames},      {"film", MTime::kFilm},
        {"pal", MTime::kPALFrame},    {"ntsc", MTime::kNTSCFrame},
        {"show", MTime::kShowScan},   {"palf", MTime::kPALField},
        {"ntscf", MTime::kNTSCField}, {"2fps", MTime::k2FPS},
        {"3fps", MTime::k3FPS},       {"4fps", MTime::k4FPS},
        {"5fps", MTime::k5FPS},       {"6fps", MTime::k6FPS},
        {"8fps", MTime::k8FPS},       {"10fps", MTime::k10FPS},
        {"12fps", MTime::k12FPS},     {"16fps", MTime::k16FPS},
        {"20fps", MTime::k20FPS},     {"40fps", MTime::k40FPS},
        {"75fps", MTime::k75FPS},     {"80fps", MTime::k80FPS},
        {"100fps", MTime::k100FPS},   {"120fps", MTime::k120FPS},
        {"125fps", MTime::k125FPS},   {"150fps", MTime::k150FPS},
        {"200fps", MTime::k200FPS},   {"240fps", MTime::k240FPS},
        {"250fps", MTime::k250FPS},   {"300fps", MTime::k300FPS},
        {"375fps", MTime::k375FPS},   {"400fps", MTime::k400FPS},
        {"500fps", MTime::k500FPS},   {"600fps", MTime::k600FPS},
        {"750fps", MTime::k750FPS},   {"1200fps", MTime::k1200FPS},
        {"1500fps", MTime::k1500FPS}, {"2000fps", MTime::k2000FPS},
        {"3000fps", MTime::k3000FPS}, {"6000fps", MTime::k6000FPS}};
    return names;
}

std::string timeUnitName(MTime::Unit unit) {
    for (const auto& n : timeUnitNames())
        if (n.unit == unit) return n.name;
    return "unknown";
}

MPlug outTimePlug() {
    MObject time = host::timeNode();
    if (time.isNull()) throw CommandError("currentTime: the scene has no time node");
    return MFnDependencyNode(time).findPlug("outTime");
}

double currentFrame() {
    MTime t;
    if (!outTimePlug().getValue(t)) throw CommandError("currentTime: cannot read time1.outTime");
    return t.as(MTime::uiUnit());
}

void currentTimeCommand(const ParsedArgs& args, CommandResult& result) {
    if (args.isQuery()) {
        if (args.positionalCount() != 0)
            throw CommandError("currentTime: a query takes no time value");
        result = Value(currentFrame());
        return;
    }
    if (args.positionalCount() != 1) throw CommandError("currentTime: give the time to move to");
    double frame = requireNumber("currentTime", args.positional()[0], "the time");
    MStatus status = MGlobal::viewFrame(MTime(frame, MTime::uiUnit()));
    if (!status)
        throw CommandError("currentTime: cannot move the scene to " + Value::formatDouble(frame));
    result = Value(currentFrame());
}

void currentUnitCommand(const ParsedArgs& args, CommandResult& result) {
    if (args.isQuery()) {
        if (args.isFlagSet("time"))
            result = Value(timeUnitName(MTime::uiUnit()));
        else if (args.isFlagSet("angle"))
            result = Value("deg");
        else
            result = Value("cm");  // the linear unit, as a bare query reports it
        return;
    }
    if (args.isFlagSet("time")) {
        const std::string name = args.flagString("time");
        const TimeUnitName* found = nullptr;
        for (const auto& n : timeUnitNames())
            if (name == n.name) found = &n;
        if (!found)
            throw CommandError("currentUnit: unknown time unit '" + name +
                               "' (game 15, film 24, pal 25, ntsc 30, show 48, palf 50, ntscf 60, "
                               "hour, min, sec, millisec, or Nfps)");
        MTime::setUIUnit(found->unit);
    }
    // Scene values are centimetres and degrees throughout; other units
    // would need conversions the host does not make.
    if (args.isFlagSet("linear")) {
        const std::string name = args.flagString("linear");
        if (name != "cm" && name != "centimeter")
            throw CommandError("currentUnit: only the linear unit cm is supported, not '" + name +
                               "'");
    }
    if (args.isFlagSet("angle")) {
        const std::string name = args.flagString("angle");
        if (name != "deg" && name != "degree")
            throw CommandError("currentUnit: only the angle unit deg is supported, not '" + name +
                               "'");
    }
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string workingDirectory() {
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// Root without a trailing '/' (except "/" itself); empty until first use.
std::string& rootSetting() {
    static std::string root;
    return root;
}

void setRoot(const std::string& requested) {
    if (requested.empty()) throw CommandError("workspace: the root directory is empty");
    std::string path = requested[0] == '/' ? requested : workingDirectory() + "/" + requested;
    if (!isDirectory(path))
        throw CommandError("workspace: '" + requested + "' is not an existing directory");
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    rootSetting() = path;
}

void workspaceCommand(const ParsedArgs& args, CommandResult& result) {
    if (args.isQuery()) {
        if (args.positionalCount() != 0) throw CommandError("workspace: a query takes no path");
        std::string root = workspaceRoot();
        if (args.isFlagSet("fullName"))
            result = Value(root.size() > 1 ? root.substr(0, root.size() - 1) : root);
        else if (args.isFlagSet("rootDirectory"))
            result = Value(root);
        else
            throw CommandError("workspace: query -rootDirectory (-rd) or -fullName (-fn)");
        return;
    }
    if (args.isFlagSet("rootDirectory") && args.positionalCount() == 0) {
        setRoot(args.flagString("rootDirectory"));
    } else if (args.isFlagSet("openWorkspace") && args.positionalCount() == 0) {
        setRoot(args.flagString("openWorkspace"));
    } else if (args.positionalCount() == 1 && !args.isFlagSet("rootDirectory") &&
               !args.isFlagSet("openWorkspace")) {
        setRoot(args.positionalString(0));
    } else {
        throw CommandError("workspace: give one directory, as -rd \"path\" or as the argument");
    }
    result = Value(workspaceRoot());
}

}  // namespace

std::string workspaceRoot() {
    if (rootSetting().empty()) rootSetting() = workingDirectory();
    const std::string& root = rootSetting();
    return root == "/" ? root : root + "/";
}

void registerSceneCommands() {
    CommandSpec time;
    time.name = "currentTime";
    time.queryable = true;
    // -edit is optional: "currentTime -e 7" and "currentTime 7" do the same.
    // Nothing is evaluated before something reads it, so -update false
    // changes nothing either.
    time.flags = {{"e", "edit", {}}, {"u", "update", {ArgType::kBool}}};
    time.maxPositional = 1;
    time.handler = currentTimeCommand;
    registerCommand(std::move(time));

    CommandSpec unit;
    unit.name = "currentUnit";
    unit.queryable = true;
    unit.flags = {{"t", "time", {ArgType::kString}},
                  {"l", "linear", {ArgType::kString}},
                  {"a", "angle", {ArgType::kString}}};
    unit.maxPositional = 0;
    unit.handler = currentUnitCommand;
    registerCommand(std::move(unit));

    CommandSpec workspace;
    workspace.name = "workspace";
    workspace.queryable = true;
    workspace.flags = {{"rd", "rootDirectory", {ArgType::kString}},
                       {"o", "openWorkspace", {ArgType::kString}},
                       {"fn", "fullName", {}}};
    workspace.maxPositional = 1;
    workspace.handler = workspaceCommand;
    registerCommand(std::move(workspace));
}

}  // namespace zt::commands
