#pragma once
// Scene set-up for the filter node tests: the host with the filter node
// types registered as the plug-in registers them, point sets built from
// lists, and readers for the channels of an output point set.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
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

// A new scene holding one node of `type` called `name`, as `node`.
class NodeTest : public FilterTest {
protected:
    NodeTest(const char* type, const char* name) : type_(type), name_(name) {}
    void SetUp() override {
        FilterTest::SetUp();
        node = createNode(type_, name_);
    }
    MObject node;

private:
    const char *type_, *name_;
};

MPlug plugOf(const MObject& node, const char* attribute);

// A point set built channel by channel.
class PointSet {
public:
    PointSet() : object_(MFnArrayAttrsData().create()) {}
    PointSet& vectors(const char* name, const std::vector<MVector>& values) {
        return add(MFnArrayAttrsData(object_).vectorArray(name), values);
    }
    PointSet& doubles(const char* name, const std::vector<double>& values) {
        return add(MFnArrayAttrsData(object_).doubleArray(name), values);
    }
    PointSet& ints(const char* name, const std::vector<int>& values) {
        return add(MFnArrayAttrsData(object_).intArray(name), values);
    }
    PointSet& strings(const char* name, std::initializer_list<const char*> values) {
        return add(MFnArrayAttrsData(object_).stringArray(name), values);
    }
    const MObject& object() const { return object_; }

private:
    // `array` refers to the channel's storage inside the point set.
    template <class Array, class Values>
    PointSet& add(Array array, const Values& values) {
        for (const auto& v : values) array.append(v);
        return *this;
    }
    MObject object_;
};

// Sets a plug of `node` to a number, an MString or a data object.
template <class T>
void set(const MObject& node, const char* attribute, const T& value) {
    ASSERT_TRUE(plugOf(node, attribute).setValue(value)) << attribute;
}
inline void setPoints(const MObject& node, const char* attribute, const PointSet& points) {
    set(node, attribute, points.object());
}
void setMatrix(const MObject& node, const char* attribute, const MMatrix& m);
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

// A refused compute: reading with `read` reports an error holding `message`
// and still gives `before`, the previous output.
template <class Read, class T>
void expectRefused(const std::string& message, Read read, const T& before) {
    T after;
    const std::vector<std::string> errors = errorsOf([&] { after = read(); });
    EXPECT_TRUE(anyContains(errors, message)) << (errors.empty() ? "no error" : errors[0]);
    EXPECT_EQ(after, before);
}

// Vectors equal to within `tolerance` in every component.
void expectNear(const std::vector<MVector>& got, const std::vector<MVector>& expected,
                double tolerance = 1e-5);

}  // namespace filtertest
