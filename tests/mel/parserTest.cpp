#include <gtest/gtest.h>

#include <random>
#include <string>

#include "host/src/mel/lexer.h"
#include "host/src/mel/parser.h"
#include "melTestUtil.h"

using zt::commands::Value;
using zt::mel::Lexer;
using zt::mel::ParseError;
using zt::mel::parseProgram;
using zt::mel::test::countOf;

namespace {

// Line of the syntax error in `text`, or 0 when it parses.
int errorLine(const std::string& text) {
    try {
        parseProgram(text, "");
    } catch (const ParseError& e) {
        return e.line();
    }
    return 0;
}

}  // namespace

TEST(Lexer, ReadsNumbersInEveryMelForm) {
    const std::pair<const char*, Value> good[] = {
        {"42", Value(42)},
        {"-1.5e2", Value(-150.0)},
        {".5", Value(0.5)},
        {"0x1F", Value(31)},
        {"99999999999", Value(99999999999.0)},  // beyond int: a float
    };
    Value v;
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(Lexer::parseNumber(text, v)) << text;
        EXPECT_EQ(v, expected) << text;
    }
    for (const char* bad : {"", "-", "1.2.3", "1e", "abc", "12abc", "0x", "1e+", "--1", "."})
        EXPECT_FALSE(Lexer::parseNumber(bad, v)) << bad;
}

TEST(Parser, AcceptsTheSupportedLanguage) {
    const char* valid[] = {
        "",
        "// only a comment",
        "/* block\n comment */ print 1;",
        "print 1",  // the last statement may omit ';'
        "int $a, $b = 2, $c[], $d[3];",
        "global string $g[] = {\"a\"};",
        "proc string[] f(string $a[], int $n) { return $a; }",
        "global proc g() { return; }",
        "for ($i = 0, $j = 1; $i < 3; $i++, $j--) {}",
        "for (;;) break;",
        "for ($x in $list) { continue; }",
        "do print 1; while (0);",
        "if (1) {} else if (2) {} else {}",
        "$a[$i + 1] = `ls -type \"mesh\"`;",
        "setAttr -type \"double3\" node.t 1 -2 3.5;",
        "connectAttr -f a.out b.in[0];",
        "exportPoints \"n.outPoints\" /tmp/out.ply;",
        "$r = -(1 + 2) * !$x ? 1 : 2;",
        "print(\"x\" + 1);",
    };
    for (const char* text : valid) EXPECT_EQ(errorLine(text), 0) << text;
}

TEST(Parser, ReportsTheLineOfEachSyntaxError) {
    EXPECT_EQ(errorLine("print 1;\nprint (;\n"), 2);
    EXPECT_EQ(errorLine("\n\nstring $s = \"open;\n"), 3);      // unterminated string
    EXPECT_EQ(errorLine("print 1;\n/* never closed\n\n"), 2);  // where the comment opened
    EXPECT_EQ(errorLine("if (1) {\nprint 1;\n"), 1);           // where the block opened
    EXPECT_EQ(errorLine("int $a = 1\nint $b;"), 2);            // missing ';'
    EXPECT_EQ(errorLine("\nbreak;"), 2);
    EXPECT_EQ(errorLine("return 1;"), 1);
    EXPECT_EQ(errorLine("proc f() { proc g() {} }"), 1);
    EXPECT_EQ(errorLine("1 = 2;"), 1);
    EXPECT_EQ(errorLine("$a[1][2] = 3;"), 1);
    EXPECT_EQ(errorLine("\n\n$x = foo;"), 3);  // a bare word in an expression
    EXPECT_EQ(errorLine("vector $v;"), 1);
    EXPECT_EQ(errorLine("$ = 1;"), 1);
    EXPECT_EQ(errorLine("print @;"), 0);  // in command form "@" is just a word
    EXPECT_EQ(errorLine("$x = @;"), 1);
}

TEST(Parser, RefusesDeepNestingInsteadOfOverflowingTheStack) {
    // Reasonable nesting still parses.
    EXPECT_EQ(errorLine("$x = " + std::string(100, '(') + "1" + std::string(100, ')') + ";"), 0);
    std::string blocks, ifs;
    for (int i = 0; i < 50000; ++i) blocks += "{";
    for (int i = 0; i < 50000; ++i) ifs += "if (1) ";
    for (const std::string& deep : {"$x = " + std::string(100000, '(') + "1;", blocks,
                                    "$x = " + std::string(100000, '-') + "1;", ifs + "print 1;"})
        EXPECT_NE(errorLine(deep), 0) << deep.substr(0, 20);
}

// Feeds the interpreter mutated scripts and random bytes. Whatever the input,
// it must return, and a failed run must have printed exactly one error.
TEST(Parser, SurvivesMutatedAndRandomInput) {
    const std::vector<std::string> corpus = {
        "int $i = 0; for ($i = 0; $i < 5; $i++) { $s += $i; } print $s;",
        "proc int f(int $n) { if ($n < 2) return 1; return $n * f($n - 1); } print f(5);",
        "string $a[] = {\"x\", \"y\"}; $a[3] = \"z\"; for ($e in $a) print ($e + \"\\n\");",
        "$x = `melFuzzUnknown -flag 1 \"s\"`; print $x;",
        "while ($k < 10) { $k++; if ($k % 2) continue; print $k; }",
        "float $f = 1.5e3 / (2 - 2.0 + 0.5); print (-$f % 7);",
        "/* c */ // d\n print \"a\\tb\";",
        "eval \"print 1\"; size({1, 2, 3}); substring(\"abc\", 1, 2);",
    };
    const std::string alphabet = "$(){}[];,\"`'-+*/%=!<>&|?:.\\ \n\tabcxyz0123456789";
    std::mt19937 rng(1234);
    zt::mel::test::Session session;
    session.interp.setStepLimit(2000);
    for (int round = 0; round < 3000; ++round) {
        std::string text = corpus[rng() % corpus.size()];
        int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            std::size_t pos = text.empty() ? 0 : rng() % text.size();
            switch (rng() % 4) {
                case 0:
                    text.insert(pos, 1, alphabet[rng() % alphabet.size()]);
                    break;
                case 1:
                    if (!text.empty()) text.erase(pos, 1 + rng() % 4);
                    break;
                case 2:
                    if (!text.empty()) text[pos] = alphabet[rng() % alphabet.size()];
                    break;
                default:
                    text.insert(pos, corpus[rng() % corpus.size()].substr(0, rng() % 20));
            }
        }
        if (round % 10 == 0) {
            text.clear();
            for (int k = rng() % 80; k > 0; --k) text += static_cast<char>(rng() % 256);
        }
        auto r = session.run(text);
        EXPECT_EQ(countOf(r.err, "// Error: "), r.ok ? 0u : 1u) << text << "\n" << r.err;
    }
}

// Long flat chains of random operators and operands, some of them damaged:
// whatever comes out, the run returns with at most one error.
TEST(Parser, SurvivesLongRandomOperatorChains) {
    const char* ops[] = {"+", "-", "*", "/", "%", "<", ">=", "==", "!=", "&&", "||"};
    const char* terms[] = {"1", "2.5", "\"s\"", "$v", "(3)", "-4", "{1}", "`melFuzzUnknown`"};
    std::mt19937 rng(99);
    zt::mel::test::Session session;
    session.interp.setStepLimit(2000);
    ASSERT_TRUE(session.run("int $v = 3;").ok);
    for (int round = 0; round < 24; ++round) {
        const int n = 20000 + static_cast<int>(rng() % 40000);
        std::string text = "$r = 1";
        for (int i = 0; i < n; ++i) {
            if (round % 3 == 0 && rng() % 4 == 0)
                text += " ? 1 : ";
            else
                text += std::string(" ") + ops[rng() % (sizeof ops / sizeof *ops)] + " ";
            text += terms[rng() % (round % 2 ? 3 : sizeof terms / sizeof *terms)];
        }
        if (round % 4 == 1) text.insert(rng() % text.size(), 1, "();?:$"[rng() % 6]);
        text += ";";
        auto r = session.run(text);
        EXPECT_EQ(countOf(r.err, "// Error: "), r.ok ? 0u : 1u) << text.substr(0, 200) << r.err;
    }
}
