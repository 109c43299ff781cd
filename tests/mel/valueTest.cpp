#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/src/commands/value.h"

using zt::commands::Value;

TEST(Value, ConvertsScalarsTheWayMelDoes) {
    EXPECT_EQ(Value("12abc").asInt(), 12);
    EXPECT_EQ(Value("abc").asInt(), 0);
    EXPECT_DOUBLE_EQ(Value("-2.5e1x").asDouble(), -25.0);
    EXPECT_EQ(Value(3.99).asInt(), 3);
    EXPECT_EQ(Value(-3.99).asInt(), -3);
    EXPECT_EQ(Value(1e300).asInt(), std::numeric_limits<int>::max());
    EXPECT_EQ(Value(std::nan("")).asInt(), 0);
    EXPECT_EQ(Value(true).type(), Value::Type::kInt);
    EXPECT_EQ(Value(7).asString(), "7");
    EXPECT_TRUE(Value("0").asBool());  // a non-empty string is true
    EXPECT_FALSE(Value("").asBool());
    EXPECT_FALSE(Value(0.0).asBool());
}

TEST(Value, FormatsDoublesWithoutNoise) {
    EXPECT_EQ(Value::formatDouble(2.0), "2");
    EXPECT_EQ(Value::formatDouble(0.5), "0.5");
    EXPECT_EQ(Value::formatDouble(0.1), "0.1");
    EXPECT_EQ(Value::formatDouble(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(Value::formatDouble(-0.0), "0");
    EXPECT_EQ(Value::formatDouble(1e20), "1e+20");
    EXPECT_EQ(Value::formatDouble(std::numeric_limits<double>::infinity()), "inf");
}

TEST(Value, TreatsScalarsAsOneElementArraysAndArraysByFirstElement) {
    Value ints(std::vector<int>{4, 5, 6});
    EXPECT_TRUE(ints.isArray());
    EXPECT_EQ(ints.length(), 3u);
    EXPECT_EQ(ints.asInt(), 4);
    EXPECT_EQ(ints.element(2), Value(6));
    EXPECT_TRUE(ints.element(3).isNone());
    EXPECT_EQ(ints.toDisplayString(), "4 5 6");
    EXPECT_EQ(ints.asStringArray(), (std::vector<std::string>{"4", "5", "6"}));

    Value scalar(2.5);
    EXPECT_EQ(scalar.length(), 1u);
    EXPECT_EQ(scalar.asDoubleArray(), std::vector<double>{2.5});
    EXPECT_EQ(Value().length(), 0u);
    EXPECT_EQ(Value(std::vector<std::string>{}).asString(), "");
}

TEST(Value, ComparesTypeAndContent) {
    EXPECT_EQ(Value(1), Value(1));
    EXPECT_NE(Value(1), Value(1.0));
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_EQ(Value(std::vector<double>{1, 2}), Value(std::vector<double>{1, 2}));
    EXPECT_NE(Value(std::vector<double>{1, 2}), Value(std::vector<double>{1, 3}));
    EXPECT_EQ(Value(), Value());
}
