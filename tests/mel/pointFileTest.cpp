#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "host/src/commands/pointSetFile.h"

using namespace zt::commands;

namespace {

PointChannel channel(PointChannel::Kind kind, const std::string& name, std::vector<double> d,
                     std::vector<int> i = {}) {
    PointChannel c;
    c.name = name;
    c.kind = kind;
    c.doubles = std::move(d);
    c.ints = std::move(i);
    return c;
}
PointChannel vectors(const std::string& name, std::vector<double> xyz) {
    return channel(PointChannel::Kind::kVector, name, std::move(xyz));
}
PointChannel doubles(const std::string& name, std::vector<double> v) {
    return channel(PointChannel::Kind::kDouble, name, std::move(v));
}
PointChannel ints(const std::string& name, std::vector<int> v) {
    return channel(PointChannel::Kind::kInt, name, {}, std::move(v));
}

std::string written(const PointTable& t, PointFileFormat f) {
    std::ostringstream out;
    writePoints(out, t, f);
    return out.str();
}

}  // namespace

TEST(PointFile, PutsPositionFirstAndNamesColumns) {
    PointTable t;
    t.channels = {ints("pointID", {7, 8}), vectors("normal", {0, 1, 0, 0, 0, 1}),
                  vectors("position", {1, 2, 3, 4, 5, 6}), doubles("fallof", {0.5, 1})};
    EXPECT_EQ(preparePointTable(t), 2u);
    EXPECT_EQ(t.channels.front().name, "position");
    EXPECT_EQ(pointColumns(t), (std::vector<std::string>{"x", "y", "z", "pointID", "normal_x",
                                                         "normal_y", "normal_z", "fallof"}));

    PointTable odd;
    odd.channels = {doubles("my weight,2", {1})};
    EXPECT_EQ(pointColumns(odd), std::vector<std::string>{"my_weight_2"});
}

TEST(PointFile, RefusesChannelsOfDifferentLengths) {
    PointTable t;
    t.channels = {vectors("position", {1, 2, 3, 4, 5, 6}), ints("pointID", {1, 2, 3})};
    EXPECT_THROW(preparePointTable(t), PointFileError);
    PointTable broken;
    broken.channels = {vectors("position", {1, 2})};
    EXPECT_THROW(preparePointTable(broken), PointFileError);
}

TEST(PointFile, PicksTheFormatFromTheExtension) {
    EXPECT_EQ(pointFileFormat("a/b.ply", false), PointFileFormat::kPlyBinary);
    EXPECT_EQ(pointFileFormat("a/b.PLY", true), PointFileFormat::kPlyAscii);
    EXPECT_EQ(pointFileFormat("b.csv", false), PointFileFormat::kCsv);
    EXPECT_EQ(pointFileFormat("b.Json", false), PointFileFormat::kJson);
    EXPECT_THROW(pointFileFormat("b.txt", false), PointFileError);
    EXPECT_THROW(pointFileFormat("dir.ply/noext", false), PointFileError);
    EXPECT_THROW(pointFileFormat("", false), PointFileError);
}

TEST(PointFile, BinaryPlyIsLittleEndianDoublesAndInts) {
    PointTable t;
    t.channels = {vectors("position", {1.5, -2, 0.25}), ints("id", {-2})};
    preparePointTable(t);
    const std::string bytes = written(t, PointFileFormat::kPlyBinary);
    const std::string header =
        "ply\nformat binary_little_endian 1.0\ncomment point set written by exportPoints\n"
        "element vertex 1\nproperty double x\nproperty double y\nproperty double z\n"
        "property int id\nend_header\n";
    ASSERT_EQ(bytes.substr(0, header.size()), header);
    ASSERT_EQ(bytes.size(), header.size() + 3 * 8 + 4);
    const unsigned char* body =
        reinterpret_cast<const unsigned char*>(bytes.data()) + header.size();
    // 1.5 is 0x3FF8000000000000: least significant byte first.
    const unsigned char onePointFive[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    EXPECT_EQ(std::memcmp(body, onePointFive, 8), 0);
    const unsigned char minusTwo[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(body + 24, minusTwo, 4), 0);
}

TEST(PointFile, TextFormatsRoundTripExactly) {
    const double third = 1.0 / 3.0;
    PointTable t;
    t.channels = {vectors("position", {third, 1e-300, -0.0}), doubles("w", {NAN})};
    preparePointTable(t);
    std::string ascii = written(t, PointFileFormat::kPlyAscii);
    std::string row = ascii.substr(ascii.find("end_header\n") + 11);
    std::istringstream values(row);
    double x, y;
    values >> x >> y;
    EXPECT_EQ(x, third);  // all 17 digits survive
    EXPECT_EQ(y, 1e-300);
    EXPECT_NE(row.find("nan"), std::string::npos);

    std::string csv = written(t, PointFileFormat::kCsv);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "x,y,z,w");

    std::string json = written(t, PointFileFormat::kJson);
    EXPECT_NE(json.find("\"w\": [null]"), std::string::npos) << json;  // JSON has no NaN
    EXPECT_NE(json.find("\"position\": [[0.33333333333333331, 1e-300, -0]]"), std::string::npos)
        << json;
}

TEST(PointFile, EmptyPointSetsGiveValidEmptyFiles) {
    PointTable none;
    EXPECT_EQ(preparePointTable(none), 0u);
    EXPECT_EQ(written(none, PointFileFormat::kJson), "{}\n");
    EXPECT_EQ(written(none, PointFileFormat::kCsv), "\n");
    EXPECT_NE(written(none, PointFileFormat::kPlyAscii).find("element vertex 0\n"),
              std::string::npos);

    PointTable zero;
    zero.channels = {vectors("position", {}), ints("id", {})};
    EXPECT_EQ(preparePointTable(zero), 0u);
    EXPECT_EQ(written(zero, PointFileFormat::kJson), "{\n \"position\": [],\n \"id\": []\n}\n");
}
