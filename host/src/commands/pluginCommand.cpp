#include "commands/pluginCommand.h"

#include <maya/MArgList.h>
#include <maya/MPxCommand.h>

#include <memory>

namespace zt::commands {

namespace {

// One slot per running plug-in command; a command's doIt may run another
// command through MGlobal::executeCommand, whose result must not land in
// the outer command's slot.
std::vector<Value>& resultStack() {
    static std::vector<Value> stack;
    return stack;
}

struct ResultSlot {
    ResultSlot() { resultStack().emplace_back(); }
    ~ResultSlot() { resultStack().pop_back(); }
    Value take() { return resultStack().back(); }
};

void addArgument(MArgList& list, const Value& v) {
    switch (v.type()) {
        case Value::Type::kNone:
            break;
        case Value::Type::kInt:
            list.addArg(v.asInt());
            break;
        case Value::Type::kDouble:
            list.addArg(v.asDouble());
            break;
        case Value::Type::kString:
            list.addArg(MString(v.asString().c_str()));
            break;
        default:
            for (std::size_t i = 0; i < v.length(); ++i) addArgument(list, v.element(i));
            break;
    }
}

}  // namespace

void setPluginCommandResult(const Value& value) {
    if (!resultStack().empty()) resultStack().back() = value;
}

void clearPluginCommandResult() {
    if (!resultStack().empty()) resultStack().back() = Value();
}

CommandResult invokePluginCommand(const std::string& name, CommandCreator creator,
                                  const std::vector<CallArgument>& args) {
    MArgList list;
    for (const auto& a : args) addArgument(list, a.value);
    std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
    if (!command) throw CommandError(name + ": the plug-in could not create the command");
    ResultSlot slot;
    MStatus status;
    try {
        status = command->doIt(list);
    } catch (const std::exception& e) {
        throw CommandError(name + ": " + e.what());
    } catch (...) {
        throw CommandError(name + ": the command failed with an unknown exception");
    }
    // The command has usually said why already; a plain kFailure adds nothing.
    if (status == MS::kFailure) throw CommandError(name + ": command failed");
    if (!status)
        throw CommandError(name + ": command failed (" +
                           std::string(status.errorString().asChar()) + ")");
    return slot.take();
}

}  // namespace zt::commands
