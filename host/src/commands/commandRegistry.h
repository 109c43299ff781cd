#pragma once
// The host's command table: built-in commands described by a CommandSpec
// (flags, positional arguments, a handler) and plug-in commands made by an
// MPxCommand creator. The interpreter looks every command statement up here.
//
// Built-in commands (mesh/, viewport/, commands/) register in their area's
// registerXxxCommands() hook:
//
//   CommandSpec spec;
//   spec.name = "polyPlane";
//   spec.flags = {{"w", "width", {ArgType::kDouble}}, {"n", "name", {ArgType::kString}}};
//   spec.maxPositional = 0;
//   spec.handler = [](const ParsedArgs& args, CommandResult& result) {
//       double width = args.flagDouble("width", 0, 1.0);
//       ...
//       if (bad) throw CommandError("polyPlane: width must be positive");
//       result = Value(std::vector<std::string>{transformName, shapeName});
//   };
//   registerCommand(std::move(spec));
//
// A handler reports failure by throwing CommandError (or any std::exception);
// the interpreter prints it as "// Error: line N: <message>" and stops the
// script. The registry checks flag names, flag argument counts and types,
// and the number of positional arguments before the handler runs, so every
// command reports bad input in the same words.

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "value.h"

namespace zt::commands {

// Raised by a handler (or the argument parser) when a command fails.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ArgType {
    kString,  // any value, taken as text (numbers are formatted)
    kInt,     // a number; fractions are refused
    kDouble,  // a number
    kBool,    // a number or true/false/on/off/yes/no
    kAny      // passed through unchanged
};

struct FlagSpec {
    std::string shortName;      // without the dash: "n"
    std::string longName;       // without the dash: "name"
    std::vector<ArgType> args;  // empty: a switch without arguments
    bool multiUse = false;      // may be given more than once
};

// The arguments of one call after checking against the command's spec.
// Flags are looked up by long name (or short name).
class ParsedArgs {
public:
    bool isFlagSet(const std::string& name) const;
    std::size_t flagUseCount(const std::string& name) const;
    // Values of one use of a flag (use 0 is the first).
    const std::vector<Value>& flagValues(const std::string& name, std::size_t use = 0) const;
    // Typed access to argument `index` of the first use; `fallback` when the
    // flag is not set.
    std::string flagString(const std::string& name, std::size_t index = 0,
                           const std::string& fallback = "") const;
    int flagInt(const std::string& name, std::size_t index = 0, int fallback = 0) const;
    double flagDouble(const std::string& name, std::size_t index = 0, double fallback = 0.0) const;
    bool flagBool(const std::string& name, std::size_t index = 0, bool fallback = false) const;

    // True when the call carried -q/-query (CommandSpec::queryable). In query
    // mode flags take no arguments: "workspace -q -rd" asks for -rd's value.
    bool isQuery() const { return query_; }

    const std::vector<Value>& positional() const { return positional_; }
    std::size_t positionalCount() const { return positional_.size(); }
    std::string positionalString(std::size_t index) const;
    double positionalDouble(std::size_t index) const;  // CommandError when not a number
    int positionalInt(std::size_t index) const;        // CommandError when not an integer

    // Name of the command being run, for messages.
    const std::string& commandName() const { return command_; }

private:
    friend class ArgParser;
    struct FlagUse {
        std::string longName;
        std::string shortName;
        std::vector<Value> values;
    };
    const FlagUse* findUse(const std::string& name, std::size_t use) const;
    std::string command_;
    bool query_ = false;
    std::vector<FlagUse> flags_;
    std::vector<Value> positional_;
};

using CommandHandler = std::function<void(const ParsedArgs& args, CommandResult& result)>;

struct CommandSpec {
    std::string name;
    std::vector<FlagSpec> flags;
    std::size_t minPositional = 0;
    std::size_t maxPositional = static_cast<std::size_t>(-1);  // unlimited by default
    bool queryable = false;  // accepts -q/-query (added by the registry)
    CommandHandler handler;
};

// Same type as MCreatorFunction: returns a new MPxCommand (as void*).
using CommandCreator = void* (*)();

// Registers a built-in command. False (and nothing changes) when the name is
// empty, the handler is missing or a command of that name already exists.
bool registerCommand(CommandSpec spec);

// Registers a plug-in command (MFnPlugin::registerCommand). `owner` names the
// plug-in so that unloading it can drop its commands. False when the name is
// taken or the creator is null. The creator is called once per invocation;
// the registry deletes the command object afterwards. Its doIt gets an
// MArgList of the raw arguments (numbers stay int/double, everything else
// string, flags as the strings "-flag").
bool registerPluginCommand(const std::string& name, CommandCreator creator,
                           const std::string& owner = "");

// Removes a command of either kind. False for an unknown name.
bool deregisterCommand(const std::string& name);

// Drops every plug-in command registered with this owner (plug-in unload).
void deregisterCommandsOf(const std::string& owner);

bool commandExists(const std::string& name);
std::vector<std::string> commandNames();  // sorted
// The flags of a built-in command and whether it takes -q; false for
// plug-in commands (they parse their own arguments) and unknown names.
bool builtinCommandFlags(const std::string& name, std::vector<FlagSpec>& flags, bool& queryable);

// Runs a command. `args` are the evaluated words after the command name
// (flags included as strings starting with '-', `isFlag` marking which
// strings came from bare "-word" tokens rather than quoted strings).
// Throws CommandError on any failure; an unknown name throws UnknownCommand.
class UnknownCommand : public CommandError {
public:
    using CommandError::CommandError;
};
struct CallArgument {
    Value value;
    bool isFlag = false;  // a bare -word in command syntax
};
CommandResult runCommand(const std::string& name, const std::vector<CallArgument>& args);

// Result slot of the plug-in command being run, written by
// MPxCommand::setResult/clearResult (static in the API). Outside a
// plug-in command invocation they do nothing.
void setPluginCommandResult(const Value& value);
void clearPluginCommandResult();

}  // namespace zt::commands
