// Long flat operator chains and the size limits of the language: a chain of
// tens of thousands of terms must evaluate (or fail with one message) rather
// than exhaust the stack, and string building must stop before memory does.

#include <gtest/gtest.h>

#include <string>

#include "melTestUtil.h"

using zt::commands::Value;
using zt::mel::test::countOf;
using zt::mel::test::RunResult;
using zt::mel::test::Session;

namespace {

// "first op term op term ..." with `terms` terms in all.
std::string chain(const std::string& first, const std::string& op, const std::string& term,
                  int terms) {
    std::string text = first;
    text.reserve(static_cast<std::size_t>(terms) * (op.size() + term.size() + 2));
    for (int i = 1; i < terms; ++i) text += " " + op + " " + term;
    return text;
}

}  // namespace

TEST(LongExpressions, FlatArithmeticChainsEvaluateWithoutRecursion) {
    Session s;
    s.ok("$x = " + chain("1", "+", "1", 50000) + ";");
    EXPECT_EQ(s.var("x"), Value(50000));
    // Left to right: 1000 - 1 - 1 ... (3000 terms) is 1000 - 2999.
    s.ok("$y = " + chain("1000", "-", "1", 3000) + ";");
    EXPECT_EQ(s.var("y"), Value(-1999));
    // Mixed levels: each "+ 2 * 3" adds 6; the tighter operators stay bound.
    s.ok("$z = " + chain("1", "+", "2 * 3", 40000) + ";");
    EXPECT_EQ(s.var("z"), Value(1 + 39999 * 6));

    // Associativity and types along a short chain.
    s.ok("$a = 100 / 10 / 5; $b = 7 - 2 - 1.5; $c = 2 * 3 % 4; $d = 1 < 2 == 1;");
    EXPECT_EQ(s.var("a"), Value(2));
    EXPECT_EQ(s.var("b"), Value(3.5));
    EXPECT_EQ(s.var("c"), Value(2));
    EXPECT_EQ(s.var("d"), Value(1));

    // A chain that fails deep inside reports one error, on its line.
    RunResult r = s.fails("int $q;\n$q = " + chain("1", "+", "1", 30000) + " / 0;",
                          "line 2: Division by zero");
    EXPECT_EQ(countOf(r.err, "// Error: "), 1u) << r.err;
}

TEST(LongExpressions, StringChainsConcatenateInOrder) {
    Session s;
    s.ok("$s = " + chain("\"a\"", "+", "\"a\"", 100000) + ";");
    EXPECT_EQ(s.var("s"), Value(std::string(100000, 'a')));
    // Numbers before the first string add; after it they are appended.
    s.ok("$t = 1 + 2 + \"x\" + 3 + 4.5 + \"y\";");
    EXPECT_EQ(s.var("t"), Value("3x34.5y"));
    // A string run followed by a comparison and a logic operator.
    s.ok("$u = \"ab\" + \"c\" == \"abc\" && \"q\" + \"\" != \"\";");
    EXPECT_EQ(s.var("u"), Value(1));
    // Other operators on strings and arrays inside a chain still fail.
    s.fails("$v = \"a\" + \"b\" + {1, 2};", "cannot be applied to an array");
    s.fails("$w = \"a\" + \"b\" - \"c\";", "cannot be applied to a string");
}

TEST(LongExpressions, LogicChainsStillShortCircuit) {
    Session s;
    // The right sides after the deciding term would fail if evaluated.
    s.ok("$a = 1 && 1 && 0 && $undeclared && $undeclared;");
    EXPECT_EQ(s.var("a"), Value(0));
    s.ok("$b = 0 || 0 || 7 || $undeclared;");
    EXPECT_EQ(s.var("b"), Value(1));
    s.ok("$c = 0 || 0 || \"\";");
    EXPECT_EQ(s.var("c"), Value(0));
    // Side effects happen once each, left to right.
    s.ok("int $n = 0; $d = ($n += 1) + ($n *= 10) + ($n -= 4);");
    EXPECT_EQ(s.var("d"), Value(1 + 10 + 6));
    s.ok("$e = " + chain("1", "&&", "1", 30000) + " && 0;");
    EXPECT_EQ(s.var("e"), Value(0));
}

TEST(LongExpressions, ConditionalChainsPickTheFirstTrueBranch) {
    // $i == 0 ? 0 : $i == 1 ? 10 : ... : -1, 20 000 conditions.
    const int n = 20000;
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "$i == " + std::to_string(i) + " ? " + std::to_string(10 * i) + " : ";
    text += "-1";
    Session s;
    for (int i : {0, 1, 12345, n - 1, n}) {
        s.ok("int $i = " + std::to_string(i) + "; $r = " + text + ";");
        EXPECT_EQ(s.var("r"), Value(i < n ? 10 * i : -1)) << i;
    }
    // Branches not taken are not evaluated; a nested ?: in a then-branch works.
    s.ok("$t = 0 ? $undeclared : 1 ? (0 ? 5 : 6) : $undeclared;");
    EXPECT_EQ(s.var("t"), Value(6));
    // A chain broken near its end is a syntax error on its own line.
    s.fails("\n$u = " + text.substr(0, text.size() - 2) + ";", "line 2: Syntax error");
}

TEST(LongExpressions, NestingBeyondTheLimitIsRefusedWithOneMessage) {
    Session s;
    // Parentheses, unary operators and bracketed then-branches nest; 300 of
    // any of them is refused before anything runs.
    std::string unary = "$x = ", conditional = "$x = ";
    for (int i = 0; i < 300; ++i) unary += "- ";
    for (int i = 0; i < 300; ++i) conditional += "1 ? (";
    conditional += "1";
    for (int i = 0; i < 300; ++i) conditional += ") : 0";
    for (const std::string& text :
         {"$x = " + std::string(300, '(') + "1" + std::string(300, ')') + ";", unary + "1;",
          conditional + ";"}) {
        RunResult r = s.fails("$before = 1;\n" + text, "line 2: Syntax error: nesting too deep");
        EXPECT_EQ(countOf(r.err, "// Error: "), 1u) << r.err;
        EXPECT_TRUE(s.var("before").isNone());  // nothing of the text ran
    }
    s.ok("$x = " + std::string(100, '(') + "1" + std::string(100, ')') + ";");
}

TEST(LongExpressions, StringGrowthStopsAtTheLimit) {
    Session s;
    // Doubling 8 characters 23 times reaches 64 MiB, the largest string '+'
    // builds; the next doubling fails with a message and no allocation.
    RunResult r = s.fails(
        "string $s = \"abcdefgh\"; int $i = 0;\nwhile (1) { $s = $s + $s; $i++; }",
        "line 2: string too long: joining 67108864 and 67108864 characters exceeds the limit of "
        "67108864");
    EXPECT_EQ(countOf(r.err, "// Error: "), 1u) << r.err;
    EXPECT_EQ(s.var("i"), Value(23));
    ASSERT_EQ(s.var("s").asString().size(), std::size_t(1) << 26);
    // "+=" is checked the same way, and catch() can handle the error.
    s.ok("$c = catchQuiet($s += \"x\"); $n = size($s);");
    EXPECT_EQ(s.var("c"), Value(1));
    EXPECT_EQ(s.var("n"), Value(1 << 26));
}
