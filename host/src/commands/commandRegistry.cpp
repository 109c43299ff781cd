#include "commands/commandRegistry.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "commands/argHelpers.h"
#include "commands/pluginCommand.h"

namespace zt::commands {

namespace {

struct Entry {
    CommandSpec spec;                  // built-in commands
    CommandCreator creator = nullptr;  // plug-in commands
    std::string owner;
};

// The host's one command table (the API's registerCommand implies it).
std::map<std::string, Entry>& table() {
    static std::map<std::string, Entry> commands;
    return commands;
}

std::string flagText(const std::string& name) {
    return "'-" + name + "'";
}

// Reads a string holding exactly one number (as a function-form call or a
// backquoted result may pass "2.5").
bool numberFromText(const std::string& text, double& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE) return false;
    out = v;
    return true;
}

std::string describe(const Value& v) {
    if (v.isString()) return "\"" + v.asString() + "\"";
    return v.toDisplayString();
}

}  // namespace

bool parseBoolWord(const Value& v, bool& out) {
    if (v.isNumber()) {
        out = v.asDouble() != 0.0;
        return true;
    }
    std::string s = v.asString();
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (s == "true" || s == "on" || s == "yes" || s == "1") {
        out = true;
        return true;
    }
    if (s == "false" || s == "off" || s == "no" || s == "0") {
        out = false;
        return true;
    }
    return false;
}

bool numberArgument(const Value& v, double& out) {
    if (v.isNumber()) {
        out = v.asDouble();
        return true;
    }
    return v.isString() && numberFromText(v.asString(), out);
}

// Checks one call against its spec and converts flag arguments to their
// declared types. All argument errors of built-in commands are worded here.
class ArgParser {
public:
    static ParsedArgs parse(const CommandSpec& spec, const std::vector<CallArgument>& args) {
        ParsedArgs parsed;
        parsed.command_ = spec.name;
        if (spec.queryable)
            for (const auto& a : args)
                if (a.isFlag && (a.value.asString() == "-q" || a.value.asString() == "-query"))
                    parsed.query_ = true;

        for (std::size_t i = 0; i < args.size(); ++i) {
            const CallArgument& arg = args[i];
            if (!arg.isFlag) {
                parsed.positional_.push_back(arg.value);
                continue;
            }
            std::string name = arg.value.asString().substr(1);
            if (spec.queryable && (name == "q" || name == "query")) continue;
            const FlagSpec* flag = nullptr;
            for (const auto& f : spec.flags)
                if (f.shortName == name || f.longName == name) flag = &f;
            if (!flag) throw CommandError("Invalid flag " + flagText(name) + " for " + spec.name);
            ParsedArgs::FlagUse use{flag->longName, flag->shortName, {}};
            if (!flag->multiUse && parsed.findUse(flag->longName, 0))
                throw CommandError(spec.name + ": flag " + flagText(name) +
                                   " can only be used once");
            if (!parsed.query_) {
                for (std::size_t k = 0; k < flag->args.size(); ++k) {
                    if (i + 1 >= args.size() || args[i + 1].isFlag)
                        throw CommandError(spec.name + ": flag " + flagText(name) + " needs " +
                                           std::to_string(flag->args.size()) + " argument" +
                                           (flag->args.size() == 1 ? "" : "s"));
                    ++i;
                    use.values.push_back(convert(spec.name, name, flag->args[k], args[i].value));
                }
            }
            parsed.flags_.push_back(std::move(use));
        }
        if (parsed.positional_.size() < spec.minPositional)
            throw CommandError(spec.name + ": expected at least " +
                               std::to_string(spec.minPositional) + " argument" +
                               (spec.minPositional == 1 ? "" : "s") + ", got " +
                               std::to_string(parsed.positional_.size()));
        if (parsed.positional_.size() > spec.maxPositional)
            throw CommandError(spec.name + ": too many arguments (" +
                               std::to_string(parsed.positional_.size()) + " given, at most " +
                               std::to_string(spec.maxPositional) + ")");
        return parsed;
    }

private:
    static Value convert(const std::string& command, const std::string& flag, ArgType type,
                         const Value& v) {
        auto bad = [&](const char* expected) {
            return CommandError(command + ": invalid argument for flag " + flagText(flag) +
                                ": expected " + expected + ", got " + describe(v));
        };
        double d = 0.0;
        switch (type) {
            case ArgType::kString:
                return Value(v.asString());
            case ArgType::kInt:
                if (!numberArgument(v, d) || d != std::floor(d) || std::fabs(d) > 2147483647.0)
                    throw bad("an integer");
                return Value(static_cast<int>(d));
            case ArgType::kDouble:
                if (!numberArgument(v, d)) throw bad("a number");
                return Value(d);
            case ArgType::kBool: {
                bool b = false;
                if (!parseBoolWord(v, b)) throw bad("a boolean (true/false, on/off, yes/no, 1/0)");
                return Value(b);
            }
            case ArgType::kAny:
                return v;
        }
        return v;
    }
};

// ParsedArgs

const ParsedArgs::FlagUse* ParsedArgs::findUse(const std::string& name, std::size_t use) const {
    for (const auto& f : flags_) {
        if (f.longName != name && f.shortName != name) continue;
        if (use == 0) return &f;
        --use;
    }
    return nullptr;
}

bool ParsedArgs::isFlagSet(const std::string& name) const {
    return findUse(name, 0) != nullptr;
}

std::size_t ParsedArgs::flagUseCount(const std::string& name) const {
    std::size_t n = 0;
    while (findUse(name, n)) ++n;
    return n;
}

const std::vector<Value>& ParsedArgs::flagValues(const std::string& name, std::size_t use) const {
    static const std::vector<Value> kEmpty;
    const FlagUse* f = findUse(name, use);
    return f ? f->values : kEmpty;
}

std::string ParsedArgs::flagString(const std::string& name, std::size_t index,
                                   const std::string& fallback) const {
    const auto& v = flagValues(name);
    return index < v.size() ? v[index].asString() : fallback;
}

int ParsedArgs::flagInt(const std::string& name, std::size_t index, int fallback) const {
    const auto& v = flagValues(name);
    return index < v.size() ? v[index].asInt() : fallback;
}

double ParsedArgs::flagDouble(const std::string& name, std::size_t index, double fallback) const {
    const auto& v = flagValues(name);
    return index < v.size() ? v[index].asDouble() : fallback;
}

bool ParsedArgs::flagBool(const std::string& name, std::size_t index, bool fallback) const {
    const auto& v = flagValues(name);
    return index < v.size() ? v[index].asBool() : fallback;
}

std::string ParsedArgs::positionalString(std::size_t index) const {
    return index < positional_.size() ? positional_[index].asString() : std::string();
}

double ParsedArgs::positionalDouble(std::size_t index) const {
    double d = 0.0;
    if (index >= positional_.size() || !numberArgument(positional_[index], d))
        throw CommandError(command_ + ": argument " + std::to_string(index + 1) +
                           " must be a number" +
                           (index < positional_.size() ? ", got " + describe(positional_[index])
                                                       : std::string(", but it is missing")));
    return d;
}

int ParsedArgs::positionalInt(std::size_t index) const {
    double d = positionalDouble(index);
    if (d != std::floor(d) || std::fabs(d) > 2147483647.0)
        throw CommandError(command_ + ": argument " + std::to_string(index + 1) +
                           " must be an integer, got " + describe(positional_[index]));
    return static_cast<int>(d);
}

// Registration

bool registerCommand(CommandSpec spec) {
    if (spec.name.empty() || !spec.handler || table().count(spec.name)) return false;
    std::string name = spec.name;
    Entry entry;
    entry.spec = std::move(spec);
    table().emplace(name, std::move(entry));
    return true;
}

bool registerPluginCommand(const std::string& name, CommandCreator creator,
                           const std::string& owner) {
    if (name.empty() || !creator || table().count(name)) return false;
    Entry entry;
    entry.spec.name = name;
    entry.creator = creator;
    entry.owner = owner;
    table().emplace(name, std::move(entry));
    return true;
}

bool deregisterCommand(const std::string& name) {
    return table().erase(name) != 0;
}

void deregisterCommandsOf(const std::string& owner) {
    if (owner.empty()) return;
    for (auto it = table().begin(); it != table().end();) {
        if (it->second.creator && it->second.owner == owner)
            it = table().erase(it);
        else
            ++it;
    }
}

bool commandExists(const std::string& name) {
    return table().count(name) != 0;
}

bool builtinCommandFlags(const std::string& name, std::vector<FlagSpec>& flags, bool& queryable) {
    auto it = table().find(name);
    if (it == table().end() || it->second.creator) return false;
    flags = it->second.spec.flags;
    queryable = it->second.spec.queryable;
    return true;
}

std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const auto& entry : table()) names.push_back(entry.first);
    return names;
}

CommandResult runCommand(const std::string& name, const std::vector<CallArgument>& args) {
    auto it = table().find(name);
    if (it == table().end()) throw UnknownCommand("Cannot find procedure \"" + name + "\".");
    if (it->second.creator) return invokePluginCommand(name, it->second.creator, args);
    // Copy the handler: it may deregister its own command while running.
    CommandHandler handler = it->second.spec.handler;
    ParsedArgs parsed = ArgParser::parse(it->second.spec, args);
    CommandResult result;
    handler(parsed, result);
    return result;
}

}  // namespace zt::commands
