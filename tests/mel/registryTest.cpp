#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>

#include <string>

#include "host/src/commands/commandRegistry.h"

using namespace zt::commands;

namespace {

std::vector<CallArgument> words(std::initializer_list<CallArgument> list) {
    return list;
}
CallArgument flag(const char* name) {
    return {Value(std::string("-") + name), true};
}
CallArgument arg(Value v) {
    return {std::move(v), false};
}

// Records what the parser handed over.
ParsedArgs lastArgs;

void registerProbe() {
    if (commandExists("registryProbe")) return;
    CommandSpec spec;
    spec.name = "registryProbe";
    spec.queryable = true;
    spec.flags = {{"n", "name", {ArgType::kString}},
                  {"c", "count", {ArgType::kInt}},
                  {"w", "width", {ArgType::kDouble}},
                  {"on", "enabled", {ArgType::kBool}},
                  {"ax", "axis", {ArgType::kDouble, ArgType::kDouble, ArgType::kDouble}},
                  {"t", "tag", {ArgType::kString}, true},
                  {"x", "exact", {}}};
    spec.maxPositional = 2;
    spec.handler = [](const ParsedArgs& a, CommandResult& result) {
        lastArgs = a;
        result = Value(static_cast<int>(a.positionalCount()));
    };
    ASSERT_TRUE(registerCommand(spec));
}

std::string errorOf(const std::vector<CallArgument>& args) {
    try {
        runCommand("registryProbe", args);
    } catch (const CommandError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Registry, RegistersOnceAndDeregistersKnownNames) {
    CommandSpec spec;
    spec.name = "registryOnce";
    spec.handler = [](const ParsedArgs&, CommandResult& r) { r = Value(1); };
    EXPECT_TRUE(registerCommand(spec));
    EXPECT_FALSE(registerCommand(spec));  // duplicate
    EXPECT_EQ(runCommand("registryOnce", {}), Value(1));
    EXPECT_TRUE(deregisterCommand("registryOnce"));
    EXPECT_FALSE(deregisterCommand("registryOnce"));
    EXPECT_FALSE(commandExists("registryOnce"));
    EXPECT_THROW(runCommand("registryOnce", {}), UnknownCommand);

    CommandSpec noHandler;
    noHandler.name = "registryNoHandler";
    EXPECT_FALSE(registerCommand(noHandler));
    CommandSpec noName;
    noName.handler = spec.handler;
    EXPECT_FALSE(registerCommand(noName));
}

TEST(Registry, ParsesFlagsByShortAndLongNameWithTypesAndQueries) {
    registerProbe();
    Value r =
        runCommand("registryProbe",
                   words({flag("n"), arg(Value(42)), flag("count"), arg(Value(3.0)), flag("width"),
                          arg(Value("2.5")), flag("on"), arg(Value("off")), flag("ax"),
                          arg(Value(0)), arg(Value(1)), arg(Value(-1)), flag("t"), arg(Value("a")),
                          flag("tag"), arg(Value("b")), arg(Value("pos1")), flag("x")}));
    EXPECT_EQ(r, Value(1));
    EXPECT_EQ(lastArgs.flagString("name"), "42");  // numbers become text for string flags
    EXPECT_EQ(lastArgs.flagValues("n").at(0), Value("42"));
    EXPECT_EQ(lastArgs.flagInt("c"), 3);
    EXPECT_EQ(lastArgs.flagDouble("width"), 2.5);
    EXPECT_FALSE(lastArgs.flagBool("enabled", 0, true));
    EXPECT_EQ(lastArgs.flagDouble("axis", 2), -1.0);
    EXPECT_EQ(lastArgs.flagUseCount("tag"), 2u);
    EXPECT_EQ(lastArgs.flagValues("tag", 1).at(0), Value("b"));
    EXPECT_TRUE(lastArgs.isFlagSet("exact"));
    EXPECT_FALSE(lastArgs.isQuery());
    EXPECT_EQ(lastArgs.positionalString(0), "pos1");
    EXPECT_EQ(lastArgs.flagDouble("missingFlag", 0, 7.5), 7.5);

    // In query mode flags take no arguments.
    runCommand("registryProbe", words({flag("q"), flag("name"), arg(Value("node"))}));
    EXPECT_TRUE(lastArgs.isQuery());
    EXPECT_TRUE(lastArgs.isFlagSet("name"));
    EXPECT_TRUE(lastArgs.flagValues("name").empty());
    EXPECT_EQ(lastArgs.positionalString(0), "node");
}

TEST(Registry, WordsEveryArgumentErrorTheSameWay) {
    registerProbe();
    EXPECT_EQ(errorOf(words({flag("bogus")})), "Invalid flag '-bogus' for registryProbe");
    EXPECT_EQ(errorOf(words({flag("n")})), "registryProbe: flag '-n' needs 1 argument");
    EXPECT_EQ(errorOf(words({flag("ax"), arg(Value(1)), flag("x")})),
              "registryProbe: flag '-ax' needs 3 arguments");
    EXPECT_EQ(errorOf(words({flag("c"), arg(Value(1.5))})),
              "registryProbe: invalid argument for flag '-c': expected an integer, got 1.5");
    EXPECT_EQ(errorOf(words({flag("w"), arg(Value("wide"))})),
              "registryProbe: invalid argument for flag '-w': expected a number, got \"wide\"");
    EXPECT_EQ(errorOf(words({flag("on"), arg(Value("maybe"))})),
              "registryProbe: invalid argument for flag '-on': expected a boolean (true/false, "
              "on/off, yes/no, 1/0), got \"maybe\"");
    EXPECT_EQ(errorOf(words({flag("n"), arg(Value("a")), flag("name"), arg(Value("b"))})),
              "registryProbe: flag '-name' can only be used once");
    EXPECT_EQ(errorOf(words({arg(Value(1)), arg(Value(2)), arg(Value(3))})),
              "registryProbe: too many arguments (3 given, at most 2)");
    // A quoted "-n" is a value, not a flag.
    EXPECT_EQ(errorOf(words({flag("n"), arg(Value("-n"))})), "");
    EXPECT_EQ(lastArgs.flagString("name"), "-n");
}

namespace {

// A plug-in style command: echoes its arguments' kinds and count.
class EchoCommand : public MPxCommand {
public:
    static void* creator() { return new EchoCommand; }
    MStatus doIt(const MArgList& args) override {
        std::string seen;
        for (unsigned int i = 0; i < args.length(); ++i) {
            MStatus isInt;
            args.asInt(i, &isInt);
            seen += isInt ? "i" : "s";
        }
        unsigned int flagAt = args.flagIndex("v", "verbose");
        if (flagAt != MArgList::kInvalidArgIndex) seen += "@" + std::to_string(flagAt);
        if (args.length() && args.asString(0) == "fail") return MS::kFailure;
        setResult(MString(seen.c_str()));
        return MS::kSuccess;
    }
};

class ThrowingCommand : public MPxCommand {
public:
    static void* creator() { return new ThrowingCommand; }
    MStatus doIt(const MArgList&) override { throw std::runtime_error("boom"); }
};

}  // namespace

TEST(Registry, RunsPluginCommandsWithRawArgumentsAndTheirResult) {
    ASSERT_TRUE(registerPluginCommand("registryEcho", EchoCommand::creator, "testPlugin"));
    EXPECT_FALSE(registerPluginCommand("registryEcho", EchoCommand::creator, "testPlugin"));
    EXPECT_FALSE(registerPluginCommand("registryNull", nullptr, "testPlugin"));
    ASSERT_TRUE(registerPluginCommand("registryThrow", ThrowingCommand::creator, "testPlugin"));

    Value r = runCommand("registryEcho", words({arg(Value("node")), flag("verbose"), arg(Value(3)),
                                                arg(Value(std::vector<int>{1, 2}))}));
    EXPECT_EQ(r, Value("ssiii@1"));  // arrays arrive element by element
    EXPECT_EQ(runCommand("registryEcho", {}), Value(""));

    EXPECT_THROW(runCommand("registryEcho", words({arg(Value("fail"))})), CommandError);
    try {
        runCommand("registryThrow", {});
        ADD_FAILURE() << "no error";
    } catch (const CommandError& e) {
        EXPECT_EQ(std::string(e.what()), "registryThrow: boom");
    }

    deregisterCommandsOf("testPlugin");
    EXPECT_FALSE(commandExists("registryEcho"));
    EXPECT_FALSE(commandExists("registryThrow"));
}
