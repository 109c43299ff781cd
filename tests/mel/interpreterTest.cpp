#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "host/src/commands/commandRegistry.h"
#include "melTestUtil.h"

using zt::commands::ArgType;
using zt::commands::CommandError;
using zt::commands::CommandResult;
using zt::commands::CommandSpec;
using zt::commands::ParsedArgs;
using zt::commands::Value;
using zt::mel::test::RunResult;
using zt::mel::test::Session;

namespace {

// Commands the scripts below call. "melTestJoin" returns its positional
// arguments and flags as one string so a test sees exactly what arrived.
void registerTestCommands() {
    if (zt::commands::commandExists("melTestJoin")) return;
    CommandSpec join;
    join.name = "melTestJoin";
    join.flags = {{"p", "prefix", {ArgType::kString}}, {"n", "count", {ArgType::kInt}}};
    join.handler = [](const ParsedArgs& args, CommandResult& result) {
        std::string s = args.flagString("prefix");
        if (args.isFlagSet("count")) s += "#" + std::to_string(args.flagInt("count"));
        for (const auto& v : args.positional())
            s += "[" + v.asString() + (v.isString() ? "s" : v.isNumber() ? "n" : "?") + "]";
        result = Value(s);
    };
    ASSERT_TRUE(zt::commands::registerCommand(join));

    CommandSpec list;
    list.name = "melTestList";
    list.maxPositional = 1;
    list.handler = [](const ParsedArgs& args, CommandResult& result) {
        int n = args.positionalCount() ? args.positionalInt(0) : 3;
        std::vector<std::string> names;
        for (int i = 0; i < n; ++i) names.push_back("item" + std::to_string(i));
        result = Value(names);
    };
    ASSERT_TRUE(zt::commands::registerCommand(list));

    CommandSpec failing;
    failing.name = "melTestFail";
    failing.handler = [](const ParsedArgs&, CommandResult&) {
        throw CommandError("melTestFail: it failed on purpose");
    };
    ASSERT_TRUE(zt::commands::registerCommand(failing));
}

class Interp : public ::testing::Test {
protected:
    void SetUp() override { registerTestCommands(); }
    // A fresh variable each time: the first assignment fixes a variable's type.
    Value eval(const std::string& expression) {
        std::string name = "result" + std::to_string(++evaluations_);
        RunResult r = s.run("$" + name + " = " + expression + ";");
        EXPECT_TRUE(r.ok) << expression << "\n" << r.err;
        return s.var(name);
    }
    Session s;

private:
    int evaluations_ = 0;
};

}  // namespace

// Ints divide by truncation, chains are left associative, int overflow
// wraps without undefined behaviour, and the right side of a decided && or
// || must not run: it would fail with an unknown command.
TEST_F(Interp, ExpressionsFollowMelTypingAndPrecedence) {
    const std::pair<const char*, Value> cases[] = {
        {"1 + 2 * 3", Value(7)},
        {"(1 + 2) * 3", Value(9)},
        {"7 / 2", Value(3)},
        {"-7 / 2", Value(-3)},
        {"7 % 3", Value(1)},
        {"7.0 / 2", Value(3.5)},
        {"10 - 2 - 3", Value(5)},
        {"-2 * -3", Value(6)},
        {"2147483647 + 1", Value(-2147483647 - 1)},
        {"5.5 % 2", Value(1.5)},
        {"1e3", Value(1000.0)},
        {"0x10", Value(16)},
        {"3 > 2 && 2 >= 2", Value(1)},
        {"1 == 1.0", Value(1)},
        {"\"abc\" < \"abd\"", Value(1)},
        {"\"a\" != \"a\"", Value(0)},
        {"!0 || 0", Value(1)},
        {"1 < 2 ? \"yes\" : \"no\"", Value("yes")},
        {"true + on + yes - false", Value(3)},
        {"0 && `noSuchCommandAtAll`", Value(0)},
        {"1 || `noSuchCommandAtAll`", Value(1)},
        {"\"n=\" + 3", Value("n=3")},
        {"1.5 + \"x\"", Value("1.5x")},
        {"\"tab\\there\\n\"", Value("tab\there\n")},
        {"\"q\\\"q\"", Value("q\"q")},
        {"size(\"hello\")", Value(5)},
        {"abs(-3)", Value(3)},
        {"abs(-2.5)", Value(2.5)},
        {"floor(-1.5)", Value(-2.0)},
        {"ceil(1.2)", Value(2.0)},
        {"pow(2, 10)", Value(1024.0)},
        {"min(3, 2)", Value(2)},
        {"max(3, 2.5)", Value(3.0)},
        {"strcmp(\"a\", \"b\")", Value(-1)},
        {"substring(\"pPlane1\", 2, 6)", Value("Plane")},
        {"substring(\"abc\", 2, 99)", Value("bc")},
        {"toupper(\"ab1\")", Value("AB1")},
        {"exists(\"melTestList\") + exists(\"print\") + exists(\"nope\")", Value(2)}};
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(eval(expression), expected) << expression;
    s.fails("$x = \"a\" - 1;", "cannot be applied to a string");
    s.fails("sqrt(-1);");
}

TEST_F(Interp, DeclaredVariablesKeepTheirType) {
    s.ok(
        "int $i = 3.9; float $f = 2; string $s = 12; int $a[] = {1, 2.5}; "
        "string $names[] = {\"x\", \"y\"}; $names[3] = \"w\"; $i += 1.6; $f /= 4;");
    EXPECT_EQ(s.var("i"), Value(4));  // 3 + 1.6 truncated back to int
    EXPECT_EQ(s.var("f"), Value(0.5));
    EXPECT_EQ(s.var("s"), Value("12"));
    EXPECT_EQ(s.var("a"), Value(std::vector<int>{1, 2}));
    EXPECT_EQ(s.var("names"), Value(std::vector<std::string>{"x", "y", "", "w"}));

    s.ok("$u = 2.5; $u = 4;");  // implicit declaration as float
    EXPECT_EQ(s.var("u"), Value(4.0));

    s.ok("int $k[3]; $n = size($k); $past = $k[10];");
    EXPECT_EQ(s.var("n"), Value(3));
    EXPECT_EQ(s.var("past"), Value(0));

    s.fails("int $i; string $i;", "redeclaration");
    s.fails("int $scalar = {1, 2};", "Cannot convert data of type int[] to type int");
}

TEST_F(Interp, IncrementAndDecrement) {
    s.ok("int $i = 5; $a = $i++; $b = ++$i; $c = $i--; float $f = 0.5; $f++;");
    EXPECT_EQ(s.var("a"), Value(5));
    EXPECT_EQ(s.var("b"), Value(7));
    EXPECT_EQ(s.var("c"), Value(7));
    EXPECT_EQ(s.var("i"), Value(6));
    EXPECT_EQ(s.var("f"), Value(1.5));

    // The index of an element is evaluated once per assignment.
    s.ok("int $k = 0; int $arr[] = {10, 20, 30}; $arr[$k++] += 5; $arr[$k++]++; $arr[++$k] = 7;");
    EXPECT_EQ(s.var("k"), Value(3));
    EXPECT_EQ(s.var("arr"), Value(std::vector<int>{15, 21, 30, 7}));
}

TEST_F(Interp, ControlFlowAndBlockScopes) {
    s.ok(R"(
        int $sum = 0;
        for ($i = 0; $i < 10; $i++) {
            if ($i == 2) continue;
            if ($i == 6) break;
            $sum += $i;
        }
        int $w = 0;
        while ($w < 100) { $w += 7; }
        int $d = 0;
        do { $d++; } while ($d < 0);
        string $joined = "";
        for ($item in {"a", "b", "c"}) $joined += $item;
        string $kind;
        if ($sum > 100) $kind = "big"; else if ($sum > 10) $kind = "mid"; else $kind = "small";
        int $outer = 1; { int $inner = 2; $outer = $inner + 1; } $after = $outer;
    )");
    EXPECT_EQ(s.var("sum"), Value(0 + 1 + 3 + 4 + 5));
    EXPECT_EQ(s.var("w"), Value(105));
    EXPECT_EQ(s.var("d"), Value(1));  // do-while body runs once
    EXPECT_EQ(s.var("joined"), Value("abc"));
    EXPECT_EQ(s.var("kind"), Value("mid"));
    // A block scopes its declarations.
    EXPECT_EQ(s.var("after"), Value(3));
    EXPECT_TRUE(s.var("inner").isNone());
    s.fails("print $inner;", "\"$inner\" is an undeclared variable.");
}

TEST_F(Interp, ProceduresRecurseReturnAndCheckArguments) {
    s.ok(R"(
        proc int fact(int $n) { if ($n <= 1) return 1; return $n * fact($n - 1); }
        proc string[] pair(string $a, string $b) { return {$a, $b}; }
        proc float half(float $x) { return $x / 2; }
        proc noValue() { }
        $f = fact(10);
        $p = pair("l", "r");
        $h = half(3);
        $viaCommandForm = `fact 4`;
        global int $counter = 0;
        proc bump() { global int $counter; $counter++; }
        bump(); bump;
    )");
    EXPECT_EQ(s.var("f"), Value(3628800));
    EXPECT_EQ(s.var("p"), Value(std::vector<std::string>{"l", "r"}));
    EXPECT_EQ(s.var("h"), Value(1.5));
    EXPECT_EQ(s.var("viaCommandForm"), Value(24));
    EXPECT_EQ(s.var("counter"), Value(2));

    s.fails("fact(1, 2);", "Wrong number of arguments on call to fact.");
    // A procedure sees only its own variables and declared globals.
    s.fails("int $topOnly = 1; proc peek() { print $topOnly; } peek();", "undeclared variable");
    s.fails("proc forever(int $n) { forever($n + 1); } forever(0);", "call depth");
}

TEST_F(Interp, CommandFormPassesWordsNumbersAndFlags) {
    s.ok(R"($r1 = `melTestJoin -p "pre" -n 4 node.attr[2] 1.5 -3 "quoted"`;)");
    EXPECT_EQ(s.var("r1"), Value("pre#4[node.attr[2]s][1.5n][-3n][quoteds]"));

    // Function form: strings that look like flags are flags.
    s.ok(R"($r2 = melTestJoin("-prefix", "x", "/tmp/a b.ply", 2);)");
    EXPECT_EQ(s.var("r2"), Value("x[/tmp/a b.plys][2n]"));

    // Variables, expressions and arrays as command words.
    s.ok(R"(string $n[] = {"a", "b"}; int $k = 2; $r3 = `melTestJoin -n ($k * 3) $n $k`;)");
    EXPECT_EQ(s.var("r3"), Value("#6[as][bs][2n]"));

    // "cmd (expr) more" is the command form with an expression as its first
    // word, as in setAttr ($node + ".tx") 2; "cmd(args)" is the function form.
    RunResult r = s.ok(R"(string $node = "n"; melTestJoin ($node + ".tx") 2;)", "", true);
    EXPECT_NE(r.out.find("[n.txs][2n]"), std::string::npos) << r.out;
    EXPECT_EQ(s.ok(R"(print ("a" + "b"); print("c");)").out, "abc");
}

TEST_F(Interp, BackquotesEchoAndPrint) {
    s.ok("string $items[] = `melTestList 4`; $count = size($items); $last = $items[3];");
    EXPECT_EQ(s.var("count"), Value(4));
    EXPECT_EQ(s.var("last"), Value("item3"));
    // Backquotes do not nest in MEL either: this is a syntax error, not a crash.
    s.fails("$nested = `melTestJoin `melTestJoin -p z``;");

    // Echo prints the results of top-level commands only.
    EXPECT_EQ(s.ok("melTestList 2; $quiet = `melTestList 1`; print \"done\\n\";", "", true).out,
              "// Result: item0 item1 //\ndone\n");
    // Print writes scalars as they are and arrays one element per line.
    EXPECT_EQ(
        s.ok("print 3; print \" \"; print (1.0 / 4); print \"\\n\"; print {\"a\", \"b\"};").out,
        "3 0.25\na\nb\n");
}

TEST_F(Interp, ErrorsNameTheLineAndStopTheScript) {
    RunResult r = s.fails("print \"one\";\n\nnoSuchThing -x 1;\nprint \"two\";");
    EXPECT_EQ(r.out, "one");
    EXPECT_EQ(r.err, "// Error: line 3: Cannot find procedure \"noSuchThing\".\n");

    s.fails("melTestJoin\n  -bogus 1;", "file: scene.mel line 1: Invalid flag '-bogus'",
            "scene.mel");
    EXPECT_EQ(s.fails("print \"a\";\nmelTestFail;\nprint \"b\";",
                      "line 2: melTestFail: it failed on purpose")
                  .out,
              "a");
    // Nothing of a text with a syntax error runs.
    EXPECT_EQ(s.fails("print \"a\";\nint $x = (1 + ;\n", "line 2: Syntax error").out, "");
    s.fails("$z = 1 / 0;", "Division by zero");
    EXPECT_EQ(s.fails("error \"custom \" 42;").err, "// Error: line 1: custom 42\n");

    // catch reports a failure without stopping the script.
    r = s.ok("$bad = catchQuiet(`melTestFail`); $good = catch(`melTestList`); print \"on\";");
    EXPECT_EQ(s.var("bad"), Value(1));
    EXPECT_EQ(s.var("good"), Value(0));
    EXPECT_EQ(r.out, "on");
    EXPECT_EQ(r.err, "");
}

TEST_F(Interp, SourceAndEvalRunTextAtTopLevel) {
    char dir[] = "/tmp/melSourceXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string base = dir;
    std::ofstream(base + "/lib.mel") << "proc int triple(int $x) { return 3 * $x; }\n"
                                        "$fromLib = triple(5);\n";
    std::ofstream(base + "/main.mel") << "source \"lib.mel\";\n$fromMain = triple(2);\n";
    std::ofstream(base + "/broken.mel") << "\n\n$x = );\n";

    s.ok("source \"" + base + "/main.mel\";");
    EXPECT_EQ(s.var("fromLib"), Value(15));
    EXPECT_EQ(s.var("fromMain"), Value(6));
    s.fails("source \"" + base + "/broken.mel\";",
            "file: " + base + "/broken.mel line 3: Syntax error");
    s.fails("source \"" + base + "/missing.mel\";", "Cannot find file");

    s.ok("$e = eval(\"melTestList 2\"); eval \"$fromEval = 1 + 1\";");
    EXPECT_EQ(s.var("e"), Value(std::vector<std::string>{"item0", "item1"}));
    EXPECT_EQ(s.var("fromEval"), Value(2));
    // Errors inside eval'd text name the line of the eval.
    s.fails("print 1;\n\n$v = eval(\"noSuchCmdInEval\");",
            "file: f.mel line 3: Cannot find procedure \"noSuchCmdInEval\".", "f.mel");

    for (const char* f : {"lib.mel", "main.mel", "broken.mel"})
        std::remove((base + "/" + f).c_str());
    rmdir(dir);
}

TEST_F(Interp, StepLimitAndInterruptStopTheScript) {
    s.interp.setStepLimit(1000);
    s.fails("while (1) { $x = 1; }", "step limit");
    s.fails("catch(eval(\"while (1) {}\"));");  // endless loops cannot be caught away

    int calls = 0;
    s.interp.setInterruptCheck([&] { return ++calls > 3; });
    EXPECT_EQ(s.fails("print 1; print 2; print 3; print 4; print 5;", "Interrupted").out, "123");
}
