#pragma once
// Running a plug-in command (an MPxCommand made by its creator) and the
// result slot its static setResult calls write to.

#include <string>
#include <vector>

#include "commandRegistry.h"

namespace zt::commands {

// Creates the command object, hands doIt an MArgList of the raw arguments,
// deletes the object and returns what it set as result. A failed status is
// a CommandError.
CommandResult invokePluginCommand(const std::string& name, CommandCreator creator,
                                  const std::vector<CallArgument>& args);

// Shared argument conversions of the registry, used by the core commands too.
bool parseBoolWord(const Value& v, bool& out);     // numbers, true/false, on/off, yes/no
bool numberArgument(const Value& v, double& out);  // a number or a string holding one

}  // namespace zt::commands
