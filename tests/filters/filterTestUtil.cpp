#include "filterTestUtil.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MPlug.h>

#include <cmath>

#include "filters/ztPointsAttrShuffle.h"
#include "filters/ztPointsContainer.h"
#include "filters/ztPointsMerge.h"
#include "filters/ztPointsSelection.h"
#include "filters/ztPointsTransform.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"

namespace filtertest {

namespace {

template <class Node>
void registerNode(const char* name) {
    if (zt::host::nodeTypeExists(name)) return;
    ASSERT_TRUE(zt::host::registerBuiltinNodeType(name, Node::id, Node::creator, Node::initialize,
                                                  MPxNode::kDependNode, MFn::kInvalid));
}

template <class T, class Array>
std::vector<T> toVector(const Array& array) {
    std::vector<T> out;
    for (unsigned int i = 0; i < array.length(); ++i) out.push_back(array[i]);
    return out;
}

}  // namespace

MPlug plugOf(const MObject& node, const char* attribute) {
    MStatus status;
    MPlug plug = MFnDependencyNode(node).findPlug(attribute, &status);
    EXPECT_TRUE(status) << "no attribute " << attribute;
    return plug;
}

void FilterTest::SetUpTestSuite() {
    zt::host::startHost();
    registerNode<ztPointsMerge>("ztPointsMerge");
    registerNode<ztPointsContainer>("ztPointsContainer");
    registerNode<ztPointsTransform>("ztPointsTransform");
    registerNode<ztPointsAttrShuffle>("ztPointsAttrShuffle");
    registerNode<ztPointsSelection>("ztPointsSelection");
}

void FilterTest::SetUp() {
    zt::host::newScene();
}

MObject createNode(const std::string& type, const std::string& name) {
    MStatus status;
    MObject node = zt::host::createNode(type, name, MObject::kNullObj, &status);
    EXPECT_TRUE(status) << "cannot create " << type;
    return node;
}

void setMatrix(const MObject& node, const char* attribute, const MMatrix& m) {
    MFnMatrixData fn;
    set(node, attribute, fn.create(m));
}

void setStringElement(const MObject& node, const char* attribute, unsigned int index,
                      const char* value) {
    ASSERT_TRUE(plugOf(node, attribute).elementByLogicalIndex(index).setValue(MString(value)));
}

MMatrix translation(double x, double y, double z) {
    const double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {x, y, z, 1}};
    return MMatrix(m);
}

MMatrix scaling(double s) {
    const double m[4][4] = {{s, 0, 0, 0}, {0, s, 0, 0}, {0, 0, s, 0}, {0, 0, 0, 1}};
    return MMatrix(m);
}

MMatrix rotationZ(double degrees) {
    const double c = std::cos(degrees * M_PI / 180.0), s = std::sin(degrees * M_PI / 180.0);
    const double m[4][4] = {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    return MMatrix(m);
}

Output::Output(const MObject& node, const char* attribute) {
    MStatus status;
    data_ = plugOf(node, attribute).asMObject(MDGContext::fsNormal, &status);
    MFnArrayAttrsData fn;
    ok_ = status && fn.setObject(data_);
}

bool Output::has(const char* name) const {
    return typeOf(name) != MFnArrayAttrsData::kInvalid;
}

MFnArrayAttrsData::Type Output::typeOf(const char* name) const {
    MFnArrayAttrsData fn(data_);
    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    if (!ok_ || !fn.checkArrayExist(name, type)) return MFnArrayAttrsData::kInvalid;
    return type;
}

std::vector<std::string> Output::names() const {
    if (!ok_) return {};
    const MStringArray list = MFnArrayAttrsData(data_).list();
    std::vector<std::string> out;
    for (unsigned int i = 0; i < list.length(); ++i) out.push_back(list[i].asChar());
    return out;
}

std::vector<MVector> Output::vectors(const char* name) const {
    if (typeOf(name) != MFnArrayAttrsData::kVectorArray) return {};
    return toVector<MVector>(MFnArrayAttrsData(data_).getVectorData(name));
}

std::vector<double> Output::doubles(const char* name) const {
    if (typeOf(name) != MFnArrayAttrsData::kDoubleArray) return {};
    return toVector<double>(MFnArrayAttrsData(data_).getDoubleData(name));
}

std::vector<int> Output::ints(const char* name) const {
    if (typeOf(name) != MFnArrayAttrsData::kIntArray) return {};
    return toVector<int>(MFnArrayAttrsData(data_).getIntData(name));
}

bool anyContains(const std::vector<std::string>& texts, const std::string& fragment) {
    for (const std::string& text : texts) {
        if (text.find(fragment) != std::string::npos) return true;
    }
    return false;
}

void expectNear(const std::vector<MVector>& got, const std::vector<MVector>& expected,
                double tolerance) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x, expected[i].x, tolerance) << "element " << i;
        EXPECT_NEAR(got[i].y, expected[i].y, tolerance) << "element " << i;
        EXPECT_NEAR(got[i].z, expected[i].z, tolerance) << "element " << i;
    }
}

}  // namespace filtertest
