// The selection condition language on its own: the three piece kinds and
// what they store, the refusal messages, the variables table, operator
// mirroring, and the per-point comparison and id search the kernels use.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "filters/selectionConditions.h"

namespace {

using namespace zt::selection;

const std::string kPlug = "ztPointsSelection1.inPoints";

ChannelKind sampleChannels(const std::string& name) {
    static const std::map<std::string, ChannelKind> kinds = {
        {"position", ChannelKind::kVector}, {"normal", ChannelKind::kVector},
        {"uv", ChannelKind::kVector},       {"triID", ChannelKind::kInt},
        {"pointID", ChannelKind::kInt},     {"age", ChannelKind::kDouble},
        {"weight", ChannelKind::kDouble},   {"label", ChannelKind::kOther},
    };
    const auto it = kinds.find(name);
    return it == kinds.end() ? ChannelKind::kMissing : it->second;
}

class Conditions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(variables.add("h", {0.0, 2.0, 0.0}, sampleChannels, kPlug), "");
        ASSERT_EQ(variables.add("a", {1.0, -3.5, 4.0}, sampleChannels, kPlug), "");
    }

    // Parses `text`, which must be accepted.
    ParsedConditions accept(const std::string& text) {
        ParsedConditions parsed;
        std::string message;
        EXPECT_TRUE(parseConditions(text, sampleChannels, variables, kPlug, parsed, message))
            << text << " -> " << message;
        EXPECT_EQ(message, "");
        return parsed;
    }

    // The message `text` is refused with.
    std::string refuse(const std::string& text, const ChannelLookup& channels = sampleChannels) {
        ParsedConditions parsed;
        std::string message;
        EXPECT_FALSE(parseConditions(text, channels, variables, kPlug, parsed, message)) << text;
        EXPECT_EQ(parsed.columns.size() + parsed.comparisonCount() + parsed.ids.size(), 0u)
            << "a refused text leaves nothing behind";
        return message;
    }

    static std::vector<std::string> keys(const ParsedConditions& p) {
        std::vector<std::string> out;
        for (const Column& c : p.columns) out.push_back(c.key);
        return out;
    }

    Variables variables;
};

TEST_F(Conditions, PointIdsAndSharedColumns) {
    const ParsedConditions p = accept("7, 12,,3");
    EXPECT_EQ(p.ids, (std::vector<unsigned int>{7, 12, 3}));
    EXPECT_EQ(keys(p), (std::vector<std::string>{"pointID"}));
    EXPECT_EQ(p.pointIdColumn(), 0);
    EXPECT_EQ(p.comparisonCount(), 0u);

    const ParsedConditions mixed = accept(",position.y>100, 007 ,12,");
    EXPECT_EQ(mixed.ids, (std::vector<unsigned int>{7, 12}));
    EXPECT_EQ(keys(mixed), (std::vector<std::string>{"position.y", "pointID"}));
    EXPECT_EQ(mixed.pointIdColumn(), 1);
    EXPECT_EQ(accept("position.y>1").pointIdColumn(), -1);

    // Columns are shared by key, in first-met order.
    const ParsedConditions shared =
        accept("position.y>0, 4, position.x<1, pointID!=3, position.y<9");
    EXPECT_EQ(keys(shared), (std::vector<std::string>{"position.y", "pointID", "position.x"}));
    EXPECT_EQ(shared.firstOperand, (std::vector<unsigned int>{0, 2, 1, 0}));
    EXPECT_EQ(shared.pointIdColumn(), 1);
}

TEST_F(Conditions, ChannelAgainstNumberStoresColumnOperatorAndConstant) {
    const ParsedConditions p =
        accept("position.y>0.5, age<=10, age>=5., weight==-2.25, position.x!=-3, normal.z<0");
    EXPECT_EQ(keys(p),
              (std::vector<std::string>{"position.y", "age", "weight", "position.x", "normal.z"}));
    EXPECT_EQ(p.firstOperand, (std::vector<unsigned int>{0, 1, 1, 2, 3, 4}));
    EXPECT_EQ(p.operation, (std::vector<unsigned short>{kGreater, kLessEqual, kGreaterEqual, kEqual,
                                                        kNotEqual, kLess}));
    // "5." is an integer constant, "0.5" and "-2.25" are floats.
    EXPECT_EQ(p.secondOperandType,
              (std::vector<unsigned short>{kFloatConstant, kIntConstant, kIntConstant,
                                           kFloatConstant, kIntConstant, kIntConstant}));
    EXPECT_EQ(p.secondOperandInt, (std::vector<int>{0, 10, 5, 0, -3, 0}));
    EXPECT_EQ(p.secondOperandFloat, (std::vector<float>{0.5f, 0, 0, -2.25f, 0, 0}));
    EXPECT_EQ(p.columns[0].channel, "position");
    EXPECT_EQ(p.columns[0].component, 1);
    EXPECT_EQ(p.columns[1].component, -1);
    EXPECT_EQ(p.columns[4].component, 2);
    EXPECT_TRUE(p.ids.empty());

    // Blanks anywhere in a piece are ignored.
    const ParsedConditions spaced = accept(" position . y\t>  0.5 ");
    const ParsedConditions tight = accept("position.y>0.5");
    EXPECT_EQ(keys(spaced), keys(tight));
    EXPECT_EQ(spaced.operation, tight.operation);
    EXPECT_EQ(spaced.secondOperandFloat, tight.secondOperandFloat);
    EXPECT_EQ(accept("age < = 3").operation, (std::vector<unsigned short>{kLessEqual}));
}

TEST_F(Conditions, TwoOperandsPairChannelsAndVariables) {
    const ParsedConditions p = accept("age<weight, position.x>=normal.y, position.y>h.y");
    EXPECT_EQ(keys(p),
              (std::vector<std::string>{"age", "weight", "position.x", "normal.y", "position.y"}));
    EXPECT_EQ(p.firstOperand, (std::vector<unsigned int>{0, 2, 4}));
    EXPECT_EQ(p.secondOperandType, (std::vector<unsigned short>{kColumn, kColumn, kFloatConstant}));
    EXPECT_EQ(p.secondOperandInt, (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(p.secondOperandFloat, (std::vector<float>{0, 0, 2.0f}));
    EXPECT_EQ(p.operation, (std::vector<unsigned short>{kLess, kGreaterEqual, kGreater}));
}

TEST_F(Conditions, VariableOnTheLeftMirrorsTheOperator) {
    const struct {
        const char* text;
        unsigned short op;
        float constant;
    } cases[] = {
        {"h.y<position.y", kGreater, 2.0f}, {"h.y>position.y", kLess, 2.0f},
        {"a.y<=age", kGreaterEqual, -3.5f}, {"a.z>=age", kLessEqual, 4.0f},
        {"a.x==age", kEqual, 1.0f},         {"a.x!=age", kNotEqual, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedConditions p = accept(c.text);
        ASSERT_EQ(p.comparisonCount(), 1u);
        EXPECT_EQ(p.firstOperand[0], 0u);
        EXPECT_EQ(p.operation[0], c.op);
        EXPECT_EQ(p.secondOperandType[0], kFloatConstant);
        EXPECT_EQ(p.secondOperandFloat[0], c.constant);
        EXPECT_EQ(p.secondOperandInt[0], 0);
    }
}

TEST_F(Conditions, EmptyAndUnreadablePiecesAreRefused) {
    EXPECT_EQ(refuse("position.y>0, "), "ztPointsSelection: unrecognized token: ' '");
    EXPECT_EQ(refuse("age>1, \t ,2"), "ztPointsSelection: unrecognized token: ' \t '");
    for (const char* bad : {"position.w>1", "1abc", "age=1", "age<>1", "_x>1", "age>", ">3",
                            "age>1.2.3", "a.x<b.y.z", "7-", "pos ition>1x"}) {
        std::string stripped = bad;
        stripped.erase(std::remove(stripped.begin(), stripped.end(), ' '), stripped.end());
        EXPECT_EQ(refuse(bad), "ztPointsSelection: Unrecognized token '" + stripped + "'") << bad;
    }
    // A valid first piece does not save a bad second one.
    EXPECT_EQ(refuse("age>1, age"), "ztPointsSelection: Unrecognized token 'age'");
    const std::string longName(kMaxPieceLength, 'q');
    EXPECT_NE(refuse(longName + ">1").find("Unrecognized token 'qqq"), std::string::npos);
}

TEST_F(Conditions, ChannelProblemsAreNamedWithThePlug) {
    EXPECT_EQ(refuse("position>0"), kPlug + ": please specify 'position' element (x, y, z)");
    EXPECT_EQ(refuse("triID.x>0"), kPlug + ": 'triID' attribute is not a vector");
    EXPECT_EQ(refuse("label.x>0"), kPlug + ": 'label' attribute is not a vector");
    // Once a component of the vector was compared, the reminder is shorter.
    EXPECT_EQ(refuse("position.y>0, position>1"), kPlug + ": 'position' attribute is a vector");
    EXPECT_EQ(refuse("foo.x>1"), kPlug + ": 'foo'  missing");
    EXPECT_EQ(refuse("foo>1"), kPlug + ": 'foo'  missing");
    EXPECT_EQ(refuse("label>1"), kPlug + ": 'label' attribute is not a number");
    // Variables are not looked up on the left of a number comparison.
    EXPECT_EQ(refuse("h.y>1"), kPlug + ": 'h'  missing");
}

TEST_F(Conditions, TwoOperandProblemsQuoteTheExpression) {
    EXPECT_EQ(refuse("a.x<h.y"), "Useless expression: a.x<h.y");
    EXPECT_EQ(refuse("h.y<triID.x"),
              kPlug + ": in expression: 'h.y<triID.x' attribute:'triID' is not a vector");
    EXPECT_EQ(refuse("age.z<h.y"),
              kPlug + ": in expression: 'age.z<h.y' attribute:'age' is not a vector");
    EXPECT_EQ(refuse("position<h.y"),
              kPlug + ": please specify 'position' element (x, y, z) in expression: position<h.y");
    EXPECT_EQ(refuse("age<normal"),
              kPlug + ": please specify 'normal' element (x, y, z) in expression: age<normal");
    EXPECT_EQ(refuse("age<foo"), kPlug + ": 'foo'  missing");
    EXPECT_EQ(refuse("zz.x<age"), kPlug + ": 'zz'  missing");
    // A variable without a component is looked up as a channel.
    EXPECT_EQ(refuse("h<age"), kPlug + ": 'h'  missing");
    EXPECT_EQ(refuse("age<label"), kPlug + ": 'label' attribute is not a number");
}

TEST_F(Conditions, IdsNeedAnIntPointIdChannel) {
    const auto noIds = [](const std::string& name) {
        return name == "pointID" ? ChannelKind::kMissing : sampleChannels(name);
    };
    const auto doubleIds = [](const std::string& name) {
        return name == "pointID" ? ChannelKind::kDouble : sampleChannels(name);
    };
    EXPECT_EQ(refuse("age>1, 7", noIds), kPlug + ": pointID missing");
    EXPECT_EQ(refuse("7", doubleIds), kPlug + ": invalid 'pointID' array type");
    EXPECT_EQ(refuse("99999999999"), "ztPointsSelection: point id out of range: '99999999999'");
    EXPECT_EQ(refuse("age>99999999999"),
              "ztPointsSelection: number out of range in 'age>99999999999'");
    const ParsedConditions largest = accept("2147483647, age>-2147483648");
    EXPECT_EQ(largest.ids, (std::vector<unsigned int>{2147483647u}));
    EXPECT_EQ(largest.secondOperandInt, (std::vector<int>{-2147483647 - 1}));
    // Huge fractions saturate to infinity instead of overflowing the float.
    const ParsedConditions huge = accept("age<" + std::string(60, '9') + ".5");
    EXPECT_TRUE(std::isinf(huge.secondOperandFloat.at(0)));
}

TEST(ConditionVariables, RefusalsAndLookups) {
    Variables vars;
    const auto add = [&](const std::string& name, std::array<double, 3> value = {0, 0, 0}) {
        return vars.add(name, value, sampleChannels, kPlug);
    };
    EXPECT_EQ(add(""), "ztPointsSelection: variable label missing");
    EXPECT_EQ(add("1abc"), "ztPointsSelection: inappropriate variable name: '1abc'");
    EXPECT_EQ(add("a_b"), "ztPointsSelection: inappropriate variable name: 'a_b'");
    EXPECT_EQ(add("pointID"), "Forbidden variable name pointID");
    EXPECT_EQ(add("age"), kPlug + ": 'age' variable will override inPoints array");
    EXPECT_EQ(vars.size(), 0u);
    EXPECT_EQ(add("up2", {0, 1, 0}), "");
    EXPECT_EQ(add("up2", {5, 5, 5}), "ztPointsSelection: variable 'up2' already exists");
    ASSERT_NE(vars.find("up2"), nullptr);
    EXPECT_EQ((*vars.find("up2"))[1], 1.0);  // the first definition stays
    EXPECT_EQ(vars.find("Up2"), nullptr);
    EXPECT_EQ(vars.size(), 1u);
}

TEST(ConditionOperators, NamesElementsMirrorsAndNan) {
    const char* names[] = {"==", "<", "<=", ">", ">=", "!="};
    for (unsigned short code = 0; code < 6; ++code)
        EXPECT_EQ(recognizeOperation(names[code]), code);
    EXPECT_EQ(recognizeElement("x"), 0);
    EXPECT_EQ(recognizeElement("z"), 2);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(recognizeOperation("=>"), 0);
    EXPECT_EQ(recognizeElement("w"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "recognizeOperation: wrong 'op' string\nrecognizeElement: wrong 'elem' string\n");
    // Mirroring twice is the identity, and a mirrored comparison with swapped
    // operands agrees with the original on every ordering.
    for (unsigned short op = 0; op < 6; ++op) {
        EXPECT_EQ(mirrorOperation(mirrorOperation(op)), op);
        for (float a : {-1.0f, 0.0f, 1.0f}) {
            for (float b : {-1.0f, 0.0f, 1.0f}) {
                EXPECT_EQ(compareValues(op, a, b), compareValues(mirrorOperation(op), b, a));
            }
        }
    }
    // NaN fails every comparison but "not equal"; an unknown code fails.
    for (unsigned short op = 0; op < 6; ++op) {
        const bool expected = op == kNotEqual;
        EXPECT_EQ(compareValues(op, NAN, 1.0f), expected) << op;
        EXPECT_EQ(compareValues(op, 1.0f, NAN), expected) << op;
        EXPECT_EQ(compareValues(op, NAN, NAN), expected) << op;
    }
    EXPECT_FALSE(compareValues(6, 1.0f, 1.0f));
    EXPECT_TRUE(compareValues(kLessEqual, 2.0f, 2.0f));
    EXPECT_FALSE(compareValues(kLess, 2.0f, 2.0f));
}

TEST(ConditionIds, FindIdAgreesWithABinarySearchOnEverySmallList) {
    // Sorted lists of length 1..9 drawn from a small value range, with and
    // without duplicates; every id in and around the range is looked up.
    unsigned int state = 12345u;
    for (unsigned int length = 1; length <= 9; ++length) {
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<unsigned int> ids(length);
            for (unsigned int& v : ids) {
                state = state * 1103515245u + 12345u;
                v = (state >> 16) % 12u;
            }
            std::sort(ids.begin(), ids.end());
            for (unsigned int id = 0; id < 14; ++id) {
                ASSERT_EQ(findId(ids.data(), length, id),
                          std::binary_search(ids.begin(), ids.end(), id))
                    << "length " << length << " id " << id;
            }
        }
    }
    const unsigned int big[] = {0u, 5u, 4000000000u};
    EXPECT_TRUE(findId(big, 3, 4000000000u));
    EXPECT_FALSE(findId(big, 3, 4000000001u));
    EXPECT_FALSE(findId(big, 0, 0u));
}

}  // namespace
