#pragma once
// Scene set-up for the filter node tests: the host with the four filter node
// types registered as the plug-in registers them, point sets built from
// lists, and readers for the channels of an output point set.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MVector.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/src/graph/messages.h"

namespace filtertest {

// Starts the host once, registers the filter nodes and gives every test a
// new scene.
class FilterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

MObject createNode(const std::string& type, const std::string& name);

// A point set built channel by channel.
class PointSet {
public:
    PointSet();
    PointSet& vectors(const char* name, const std::vector<MVector>& values);
    PointSet& doubles(const char* name, const std::vector<double>& values);
    PointSet& ints(const char* name, const std::vector<int>& values);
    PointSet& strings(const char* name, std::initializer_list<const char*> values);
    const MObject& object() const { return object_; }

private:
    MObject object_;
};

void setPoints(const MObject& node, const char* attribute, const PointSet& points);
void setMatrix(const MObject& node, const char* attribute, const MMatrix& m);
void setFloat(const MObject& node, const char* attribute, float value);
void setInt(const MObject& node, const char* attribute, int value);
void setString(const MObject& node, const char* attribute, const char* value);
// Element `index` of a multi string attribute.
void setStringElement(const MObject& node, const char* attribute, unsigned int index,
                      const char* value);

// Matrices in the row-vector convention (translation in the fourth row).
MMatrix translation(double x, double y, double z);
MMatrix scaling(double s);
MMatrix rotationZ(double degrees);

// The point set on `node.outPoints`, read through the graph (so it computes).
// `ok` is false when the plug holds no point set.
class Output {
public:
    Output(const MObject& node, const char* attribute = "outPoints");
    bool ok() const { return ok_; }
    bool has(const char* name) const;
    MFnArrayAttrsData::Type typeOf(const char* name) const;
    std::vector<std::string> names() const;
    std::vector<MVector> vectors(const char* name) const;
    std::vector<double> doubles(const char* name) const;
    std::vector<int> ints(const char* name) const;

private:
    MObject data_;
    bool ok_ = false;
};

// Runs `read` with messages captured and returns the error texts.
template <class Read>
std::vector<std::string> errorsOf(Read read) {
    zt::host::MessageCapture capture;
    read();
    return capture.texts(zt::host::MessageKind::kError);
}

// True when one of `texts` holds `fragment`.
bool anyContains(const std::vector<std::string>& texts, const std::string& fragment);

}  // namespace filtertest
