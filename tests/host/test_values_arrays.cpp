// Array classes: deep copies, aliases of shared storage, edits and printing.

#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MDoubleArray.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MIntArray.h>
#include <maya/MPointArray.h>
#include <maya/MStringArray.h>
#include <maya/MUintArray.h>
#include <maya/MVectorArray.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/src/base/arrayStorage.h"

using zt::host::ArrayStorage;

namespace {

template <class T>
std::string printed(const T& value) {
    std::ostringstream os;
    os << value;
    return os.str();
}

}  // namespace

TEST(ArrayCopies, CopiesAreDeepAndMovesHandStorageOverUnlessShared) {
    const int values[] = {1, 2, 3};
    MIntArray original(values, 3);
    MIntArray copy(original);
    copy[0] = 10;
    copy.append(4);
    EXPECT_EQ(printed(original), "[1, 2, 3]");

    MIntArray assigned;
    assigned = original;
    assigned.remove(0);
    EXPECT_EQ(original.length(), 3u);
    EXPECT_EQ(printed(assigned), "[2, 3]");

    assigned = assigned;  // self-assignment keeps the contents
    EXPECT_EQ(printed(assigned), "[2, 3]");

    // Moves hand the storage over.
    MVectorArray source(2, MVector(1, 2, 3));
    const std::vector<MVector>* elements = &ArrayStorage::items(source);
    MVectorArray moved(std::move(source));
    EXPECT_EQ(&ArrayStorage::items(moved), elements);
    EXPECT_EQ(source.length(), 0u);  // moved-from: empty and usable
    source.append(MVector::xAxis);
    EXPECT_EQ(moved.length(), 2u);

    MVectorArray target(5);
    target = std::move(moved);
    EXPECT_EQ(&ArrayStorage::items(target), elements);
    EXPECT_EQ(target.length(), 2u);

    // A temporary that aliases a channel is copied, not adopted.
    auto channel = std::make_shared<std::vector<MVector>>(1, MVector::yAxis);
    target = ArrayStorage::alias<MVectorArray>(channel);
    target.append(MVector::zAxis);
    EXPECT_EQ(channel->size(), 1u);
    EXPECT_EQ(target.length(), 2u);
}

TEST(ArrayAliases, WritesAndChangesGoBothWaysThroughTheSharedVector) {
    auto channel = std::make_shared<std::vector<MVector>>();
    MVectorArray positions = ArrayStorage::alias<MVectorArray>(channel);
    positions.append(MVector(1, 0, 0));
    positions.append(MVector(0, 2, 0));
    positions[1].z = 5.0;
    ASSERT_EQ(channel->size(), 2u);
    EXPECT_EQ((*channel)[1], MVector(0, 2, 5));

    positions.setLength(3);
    EXPECT_EQ(channel->size(), 3u);
    EXPECT_EQ((*channel)[2], MVector::zero);

    // copy() and copy-assignment replace the contents in place.
    const MVector replacement[] = {MVector(7, 8, 9)};
    positions.copy(MVectorArray(replacement, 1));
    ASSERT_EQ(channel->size(), 1u);
    EXPECT_EQ((*channel)[0], MVector(7, 8, 9));
    positions = MVectorArray(2, MVector::one);
    EXPECT_EQ(channel->size(), 2u);

    positions.clear();
    EXPECT_TRUE(channel->empty());

    // Changes to the shared vector show in the array.
    auto doubles = std::make_shared<std::vector<double>>(std::vector<double>{0.5, 1.5});
    const MDoubleArray weights = ArrayStorage::alias<MDoubleArray>(doubles);
    doubles->push_back(2.5);
    EXPECT_EQ(weights.length(), 3u);
    EXPECT_EQ(weights[2], 2.5);
}

TEST(ArrayAliases, CopiesOfAnAliasAreIndependentAndStorageIsCreatedOnDemand) {
    auto channel = std::make_shared<std::vector<int>>(std::vector<int>{1, 2});
    MIntArray alias = ArrayStorage::alias<MIntArray>(channel);
    MIntArray copy(alias);
    copy.append(3);
    copy[0] = 9;
    EXPECT_EQ(*channel, (std::vector<int>{1, 2}));

    // Moving an alias keeps it an alias.
    MIntArray movedAlias(std::move(alias));
    movedAlias.append(3);
    EXPECT_EQ(*channel, (std::vector<int>{1, 2, 3}));

    // Two aliases of one vector: assigning one to the other changes nothing.
    MIntArray second = ArrayStorage::alias<MIntArray>(channel);
    second = movedAlias;
    EXPECT_EQ(*channel, (std::vector<int>{1, 2, 3}));

    // Storage is created on demand and stays the same.
    MStringArray names;
    EXPECT_TRUE(ArrayStorage::items(static_cast<const MStringArray&>(names)).empty());
    const auto storage = ArrayStorage::storage(names);
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(ArrayStorage::storage(names), storage);
    storage->push_back("a");
    EXPECT_EQ(names.length(), 1u);
    EXPECT_EQ(ArrayStorage::alias<MStringArray>(nullptr).length(), 0u);
}

TEST(ArrayEdits, BoundsAreCheckedAndNewElementsTakeTheTypeDefaults) {
    MFloatArray values(3, 1.5f);
    EXPECT_EQ(values.set(2.0f, 3), MS::kFailure);
    EXPECT_EQ(values.remove(3), MS::kFailure);
    EXPECT_EQ(values.insert(9.0f, 4), MS::kFailure);
    EXPECT_EQ(printed(values), "[1.5, 1.5, 1.5]");

    EXPECT_EQ(values.insert(9.0f, 3), MS::kSuccess);  // at the end: appends
    EXPECT_EQ(values.insert(0.25f, 0), MS::kSuccess);
    EXPECT_EQ(values.set(2.0, 1), MS::kSuccess);
    EXPECT_EQ(values.remove(2), MS::kSuccess);
    EXPECT_EQ(printed(values), "[0.25, 2, 1.5, 9]");

    MUintArray empty;
    EXPECT_EQ(empty.set(1u, 0), MS::kFailure);
    EXPECT_EQ(empty.remove(0), MS::kFailure);
    EXPECT_EQ(empty.insert(5u, 0), MS::kSuccess);
    EXPECT_EQ(printed(empty), "[5]");

    MPointArray points(2);
    EXPECT_EQ(points[1], MPoint(0, 0, 0, 1));
    points.setLength(4);
    EXPECT_EQ(points[3].w, 1.0);
    points.set(2, 1.0, 2.0);
    EXPECT_EQ(points[2], MPoint(1, 2, 0, 1));

    MColorArray colors(1);
    EXPECT_EQ(colors[0], MColor(0, 0, 0, 1));
    colors.append(0.5f, 0.25f, 1.0f);
    EXPECT_EQ(colors[1], MColor(0.5f, 0.25f, 1.0f, 1.0f));

    MIntArray counts(3);
    counts.setLength(1);
    EXPECT_EQ(printed(counts), "[0]");

    MFloatVectorArray normals(1);
    EXPECT_EQ(normals[0], MFloatVector::zero);
    MFloatPointArray floatPoints(1);
    EXPECT_EQ(floatPoints[0], MFloatPoint(0, 0, 0, 1));
}

TEST(ArrayEdits, ConversionsInAndOutAndPrinting) {
    const float floats[] = {0.5f, 1.5f};
    MDoubleArray doubles(floats, 2);
    EXPECT_EQ(printed(doubles), "[0.5, 1.5]");
    float back[2] = {};
    EXPECT_EQ(doubles.get(back), MS::kSuccess);
    EXPECT_EQ(back[1], 1.5f);

    const double rows[][3] = {{1, 2, 3}, {4, 5, 6}};
    MVectorArray vectors(rows, 2);
    EXPECT_EQ(vectors[1], MVector(4, 5, 6));
    double element[3] = {7, 8, 9};
    vectors.set(element, 0);
    float out[2][3];
    EXPECT_EQ(vectors.get(out), MS::kSuccess);
    EXPECT_EQ(out[0][2], 9.0f);
    EXPECT_EQ(out[1][0], 4.0f);

    MPointArray points;
    points.append(1, 2, 3);
    points.append(MPoint(4, 5, 6, 2));
    double corners[2][4];
    EXPECT_EQ(points.get(corners), MS::kSuccess);
    EXPECT_EQ(corners[0][3], 1.0);
    EXPECT_EQ(corners[1][3], 2.0);

    MColorArray colors(1, MColor(0.1f, 0.2f, 0.3f, 0.4f));
    float rgba[1][4];
    colors.get(rgba);
    EXPECT_EQ(rgba[0][3], 0.4f);

    EXPECT_EQ(printed(MIntArray()), "[]");
    const double values[] = {0.25, 1.0, -3.0};
    EXPECT_EQ(printed(MDoubleArray(values, 3)), "[0.25, 1, -3]");
    const MVector pair[] = {MVector(1, 2, 3), MVector(0, 0.5, 0)};
    EXPECT_EQ(printed(MVectorArray(pair, 2)), "[[1, 2, 3], [0, 0.5, 0]]");
    EXPECT_EQ(printed(MPointArray(1)), "[[0, 0, 0, 1]]");
}

#ifndef NDEBUG
TEST(ArrayEditsDeathTest, DebugBuildsCatchIndexesPastTheEnd) {
    MIntArray values(2, 7);
    EXPECT_DEATH(values[2] = 1, "index");
    const MPointArray empty;
    EXPECT_DEATH(static_cast<void>(empty[0]), "data_");
}
#endif
