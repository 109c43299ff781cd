// MString text handling and number formatting, MStatus reporting, MTypeId.

#include <gtest/gtest.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTypeId.h>

#include <climits>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

std::string text(const MString& s) {
    return std::string(s.asChar(), s.length());
}

template <class T>
std::string formatted(T value) {
    MString s;
    s += value;
    return text(s);
}

std::vector<std::string> pieces(const MStringArray& array) {
    std::vector<std::string> out;
    for (unsigned int i = 0; i < array.length(); ++i) out.push_back(text(array[i]));
    return out;
}

}  // namespace

TEST(MStringNumbers, WholeValuesFractionsAndNonFiniteValuesInShortestForm) {
    // Whole values without a point, fractions in the shortest form that reads
    // back, non-finite values by name.
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {12.0, "12"}, {-3.0, "-3"}, {0.0, "0"}, {-0.0, "0"}, {123456789012.0, "123456789012"},
        {1e20, "1e+20"}, {0.25, "0.25"}, {0.1, "0.1"}, {-2.5, "-2.5"}, {1234.5678, "1234.5678"},
        {0.0001, "0.0001"}, {1e-5, "1e-05"}, {1e-7, "1e-07"}, {-1.5e-12, "-1.5e-12"},
        {1.0 / 3.0, "0.3333333333333333"}, {std::nan(""), "nan"}, {HUGE_VAL, "inf"},
        {-HUGE_VAL, "-inf"}};
    // clang-format on
    for (const auto& [value, expected] : cases) EXPECT_EQ(formatted(value), expected) << value;
    // A float prints as the float it is, not as its widened double.
    EXPECT_EQ(formatted(0.1f), "0.1");
    EXPECT_EQ(formatted(1.0f / 3.0f), "0.33333334");
}

TEST(MStringNumbers, FormattedValuesReadBackExactlyAndAppend) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 2000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        MString s;
        s.set(value);
        ASSERT_TRUE(s.isDouble()) << s.asChar();
        ASSERT_EQ(s.asDouble(), value) << s.asChar();
    }

    MString s("frame ");
    s += 12;
    s += " of ";
    s += 100u;
    EXPECT_EQ(text(s), "frame 12 of 100");
    EXPECT_EQ(text(MString("x=") + 2.5), "x=2.5");
    EXPECT_EQ(text("a" + MString("b") + "c"), "abc");
    MString t;
    t = 0.75;
    EXPECT_EQ(text(t), "0.75");
    t.set(3.14159, 2);
    EXPECT_EQ(text(t), "3.14");
    t.set(2.0, 0);
    EXPECT_EQ(text(t), "2");
}

TEST(MStringText, SubstringHasInclusiveEndAndClampsIndexFindsFirstAndLast) {
    const MString s("abcdef");
    const std::tuple<int, int, const char*> ranges[] = {
        {1, 3, "bcd"}, {0, 0, "a"}, {4, 100, "ef"}, {-5, 1, "ab"}, {3, 2, ""}};
    for (const auto& [start, end, expected] : ranges)
        EXPECT_EQ(text(s.substring(start, end)), expected) << start << ".." << end;
    EXPECT_EQ(text(MString().substring(0, 3)), "");

    const MString dotted("a.b.c");
    EXPECT_EQ(dotted.index('.'), 1);
    EXPECT_EQ(dotted.rindex('.'), 3);
    EXPECT_EQ(dotted.index('x'), -1);
    EXPECT_EQ(dotted.rindex('x'), -1);
    EXPECT_EQ(MString().index('a'), -1);
}

TEST(MStringText, SplitSkipsEmptyPiecesSubstituteReplacesAllUtf8Lengths) {
    MStringArray out;
    out.append("stale");
    EXPECT_EQ(MString("a,,b,").split(',', out), MS::kSuccess);
    EXPECT_EQ(pieces(out), (std::vector<std::string>{"a", "b"}));
    MString(",a b,c d").split(' ', out);
    EXPECT_EQ(pieces(out), (std::vector<std::string>{",a", "b,c", "d"}));
    MString(",,,").split(',', out);
    EXPECT_EQ(out.length(), 0u);
    MString("").split(',', out);
    EXPECT_EQ(out.length(), 0u);

    const char* substitutions[][4] = {
        {"a-b-c", "-", "+", "a+b+c"}, {"aaa", "aa", "b", "ba"}, {"p/t/f", "/", "//", "p//t//f"}};
    for (const auto& c : substitutions) {
        MString s(c[0]);
        EXPECT_EQ(s.substitute(c[1], c[2]), MS::kSuccess);
        EXPECT_EQ(text(s), c[3]);
    }
    EXPECT_EQ(MString("a").substitute("", "x"), MS::kInvalidParameter);

    const MString wide(L"caf\u00e9 \u20ac");
    EXPECT_EQ(text(wide), "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(wide.length(), 9u);
    EXPECT_EQ(wide.numChars(), 6u);
    EXPECT_EQ(text(MString(L"abc", 2)), "ab");
    int length = 0;
    const MString partial("hello", 3);
    EXPECT_STREQ(partial.asChar(length), "hel");
    EXPECT_EQ(length, 3);
    const char* none = nullptr;
    EXPECT_EQ(MString(none).length(), 0u);
    EXPECT_TRUE(MString(none) == "");
}

TEST(MStringParse, StrictChecksAndLeadingNumbers) {
    for (const char* good : {"12", "-3", "+4"}) EXPECT_TRUE(MString(good).isInt()) << good;
    for (const char* bad : {"", "12a", " 12", "3.5", "-", "99999999999", "1e3"})
        EXPECT_FALSE(MString(bad).isInt()) << bad;
    EXPECT_TRUE(MString("32767").isShort());
    EXPECT_FALSE(MString("40000").isShort());

    for (const char* good : {"1.5", "-2e3", ".5", "5.", "+0.25E-2", "7"})
        EXPECT_TRUE(MString(good).isDouble()) << good;
    for (const char* bad : {"", "1e", "abc", "1.5x", ".", "inf", "nan", "1e999", "0x10"})
        EXPECT_FALSE(MString(bad).isDouble()) << bad;
    EXPECT_TRUE(MString("1e39").isDouble());
    EXPECT_FALSE(MString("1e39").isFloat());
    EXPECT_TRUE(MString("3.4e38").isFloat());

    // The as... readers take the leading number and clamp.
    const std::pair<const char*, int> ints[] = {
        {"12abc", 12}, {"  -7 apples", -7},      {"3.9", 3},
        {"abc", 0},    {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
    for (const auto& [in, expected] : ints) EXPECT_EQ(MString(in).asInt(), expected) << in;
    EXPECT_EQ(MString("70000").asShort(), SHRT_MAX);
    const std::pair<const char*, double> doubles[] = {{"2.5abc", 2.5},       {"1e", 1.0},
                                                      {" -1.25e2x", -125.0}, {"abc", 0.0},
                                                      {"1e999", HUGE_VAL},   {"-1e-999", 0.0}};
    for (const auto& [in, expected] : doubles) EXPECT_EQ(MString(in).asDouble(), expected) << in;
    EXPECT_FLOAT_EQ(MString("0.1").asFloat(), 0.1f);
}

TEST(MStringArrayTest, EditsAndPrinting) {
    const char* names[] = {"b", "c"};
    MStringArray array(names, 2);
    array.insert("a", 0);
    array.append("d");
    EXPECT_EQ(array.remove(4), MS::kFailure);
    EXPECT_EQ(array.set("x", 9), MS::kFailure);
    array.set("C", 2);
    std::ostringstream os;
    os << array;
    EXPECT_EQ(os.str(), "[a, b, C, d]");
    MStringArray copy(array);
    copy[0] = "changed";
    EXPECT_EQ(text(array[0]), "a");
    EXPECT_EQ(MStringArray(3, "z").length(), 3u);
}

TEST(MStatusTest, CodesComparisonsErrorStringsAndPerror) {
    MStatus status;
    EXPECT_TRUE(status);
    EXPECT_FALSE(status.error());
    status = MS::kNotFound;
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.error());
    EXPECT_TRUE(status == MS::kNotFound);
    EXPECT_TRUE(MS::kNotFound == status);
    EXPECT_TRUE(MS::kSuccess != status);
    EXPECT_TRUE(MFAIL(status));
    EXPECT_EQ(status.statusCode(), MStatus::kNotFound);
    status.clear();
    EXPECT_EQ(status, MStatus(MS::kSuccess));

    status.set(false, MStatus::kInvalidParameter, 4);
    EXPECT_EQ(status.statusCode(), MStatus::kInvalidParameter);
    status.set(false, MStatus::kSuccess, 0);  // a failure whatever the code says
    EXPECT_TRUE(status.error());
    status.set(false, 200, 0);
    EXPECT_EQ(status.statusCode(), MStatus::kFailure);
    status.set(true, MStatus::kFailure, 0);
    EXPECT_FALSE(status.error());

    EXPECT_EQ(text(MStatus(MS::kFailure).errorString()), "(kFailure): Unexpected Internal Failure");
    EXPECT_EQ(text(MStatus(MS::kInvalidParameter).errorString()),
              "(kInvalidParameter): Invalid parameter passed");
    EXPECT_EQ(text(MStatus(MS::kNotFound).errorString()), "(kNotFound): Object not found");
    testing::internal::CaptureStderr();
    MStatus(MS::kNotFound).perror("lookup");
    MStatus(MS::kFailure).perror("");
    MStatus(MS::kEndOfFile).perror(MString("reading"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lookup: (kNotFound): Object not found\n"
              "(kFailure): Unexpected Internal Failure\n"
              "reading: (kEndOfFile): End of file\n");
}

namespace {

int checkedReturn(MStatus status, int& reached) {
    CHECK_MSTATUS_AND_RETURN(status, -1);
    reached = 1;
    return 0;
}

MStatus checkedReturnIt(MStatus status) {
    CHECK_MSTATUS_AND_RETURN_IT(status);
    return MS::kSuccess;
}

}  // namespace

TEST(MStatusTest, CheckMacrosReportAndReturn) {
    testing::internal::CaptureStderr();
    const int line = __LINE__ + 1;
    CHECK_MSTATUS(MStatus(MS::kInvalidParameter));
    CHECK_MSTATUS(MStatus(MS::kSuccess));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\nAPI error detected in " + std::string(__FILE__) + " at line " +
                  std::to_string(line) + "\n(kInvalidParameter): Invalid parameter passed\n");

    int reached = 0;
    EXPECT_EQ(checkedReturn(MS::kFailure, reached), -1);
    EXPECT_EQ(reached, 0);
    EXPECT_EQ(checkedReturn(MS::kSuccess, reached), 0);
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(checkedReturnIt(MS::kNotFound), MS::kNotFound);
    EXPECT_EQ(checkedReturnIt(MS::kSuccess), MS::kSuccess);
}

TEST(MTypeIdTest, PrefixAndIdCombine) {
    MStatus status(MS::kFailure);
    EXPECT_EQ(MTypeId(0x12345, 0x67).id(&status), 0x1234567u);
    EXPECT_EQ(status, MS::kSuccess);
    EXPECT_EQ(MTypeId(0x12345, 0x167).id(), 0x1234567u);  // id keeps 8 bits
    EXPECT_TRUE(MTypeId(0xB4) == MTypeId(0xB4));
    EXPECT_TRUE(MTypeId(0xB4) != MTypeId(0xB9));
    EXPECT_EQ(MTypeId().id(), 0u);
}
