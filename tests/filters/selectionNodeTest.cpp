// The ztPointsSelection node in a scene: how its four tests combine, what the
// two outputs hold, and what a refused compute leaves behind.

#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "filters/ztPointsSelection.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"
#include "host/src/mel/engine.h"
#include "kernels/backend.h"

namespace {

using zt::host::MessageCapture;
using zt::host::MessageKind;

// n points with a channel of every type: position (i, y(i), -i), pointID
// 10 i, normal up for even and down for odd points, age (double) and group
// (int) derived from i, and a string channel the split cannot carry.
struct InputSpec {
    unsigned int count = 20;
    std::function<double(unsigned int)> y = [](unsigned int i) { return double(i) - 9.5; };
    std::function<double(unsigned int)> age = [](unsigned int i) { return 0.25 * i; };
    bool normals = true;
    bool strings = false;
};

class SelectionNode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zt::host::startHost();
        if (!zt::host::nodeTypeExists("ztPointsSelection")) {
            ASSERT_TRUE(zt::host::registerBuiltinNodeType(
                "ztPointsSelection", ztPointsSelection::id, ztPointsSelection::creator,
                ztPointsSelection::initialize, MPxNode::kDependNode, MFn::kInvalid));
        }
    }
    void SetUp() override {
        zt::host::newScene();
        ASSERT_TRUE(mel("createNode ztPointsSelection -n sel;"));
        node = zt::host::findNode("sel");
    }

    static bool mel(const std::string& text) { return zt::mel::executeText(text); }

    MPlug plug(const char* attribute) const { return MFnDependencyNode(node).findPlug(attribute); }

    static MObject makePoints(const InputSpec& spec) {
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        MVectorArray position = fn.vectorArray("position");
        MIntArray ids = fn.intArray("pointID");
        MDoubleArray age = fn.doubleArray("age");
        MIntArray group = fn.intArray("group");
        for (unsigned int i = 0; i < spec.count; ++i) {
            position.append(MVector(i, spec.y(i), -double(i)));
            ids.append(static_cast<int>(10 * i));
            age.append(spec.age(i));
            group.append(static_cast<int>(i % 3));
        }
        if (spec.normals) {
            MVectorArray normal = fn.vectorArray("normal");
            for (unsigned int i = 0; i < spec.count; ++i) {
                normal.append(MVector(0, i % 2 == 0 ? 1.0 : -1.0, 0));
            }
        }
        if (spec.strings) {
            MStringArray labels = fn.stringArray("label");
            labels.append("x");
        }
        return data;
    }

    void setInput(const InputSpec& spec = InputSpec()) {
        MObject data = makePoints(spec);
        ASSERT_TRUE(plug("inPoints").setValue(data));
    }

    void setConditions(const std::string& text) {
        ASSERT_TRUE(plug("conditions").setValue(MString(text.c_str())));
    }

    MObject output(const char* attribute, MStatus* status = nullptr) const {
        MObject data;
        const MStatus got = plug(attribute).getValue(data);
        if (status) *status = got;
        return data;
    }

    // The pointIDs of an output, in order.
    std::vector<int> ids(const char* attribute) const {
        MFnArrayAttrsData fn(output(attribute));
        const MIntArray array = fn.getIntData("pointID");
        std::vector<int> out;
        for (unsigned int i = 0; i < array.length(); ++i) out.push_back(array[i]);
        return out;
    }

    // pointIDs 10 i of the points i with pred(i), in order.
    static std::vector<int> idsWhere(unsigned int count,
                                     const std::function<bool(unsigned)>& pred) {
        std::vector<int> out;
        for (unsigned int i = 0; i < count; ++i) {
            if (pred(i)) out.push_back(static_cast<int>(10 * i));
        }
        return out;
    }

    MObject node;
};

TEST_F(SelectionNode, WithoutTestsEveryPointIsSelected) {
    setInput();
    EXPECT_EQ(ids("outPoints"), idsWhere(20, [](unsigned) { return true; }));
    MFnArrayAttrsData rest(output("outPointsComplement"));
    const MStringArray names = rest.list();
    EXPECT_EQ(names.length(), 5u);  // the same channels, no elements
    EXPECT_EQ(rest.getVectorData("position").length(), 0u);
    EXPECT_EQ(rest.getDoubleData("age").length(), 0u);
}

TEST_F(SelectionNode, OppositeConditionsExchangeTheOutputs) {
    setInput();
    setConditions("position.y>0");
    const std::vector<int> above = ids("outPoints");
    const std::vector<int> notAbove = ids("outPointsComplement");
    EXPECT_EQ(above, idsWhere(20, [](unsigned i) { return i >= 10; }));
    setConditions("position.y<=0");
    EXPECT_EQ(ids("outPoints"), notAbove);
    EXPECT_EQ(ids("outPointsComplement"), above);
}

TEST_F(SelectionNode, SplitHoldsEveryPointOnceInOrderForEveryChannelType) {
    InputSpec spec;
    spec.count = 300;
    spec.age = [](unsigned i) { return std::fmod(i * 0.618034, 1.0); };
    spec.strings = true;
    setInput(spec);
    setConditions("age < 0.5, group != 1");
    ::testing::internal::CaptureStderr();
    MFnArrayAttrsData a(output("outPoints"));
    MFnArrayAttrsData b(output("outPointsComplement"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "splitPointSet: invalid array type\n");
    MFnArrayAttrsData in(makePoints(spec));

    const MVectorArray pa = a.getVectorData("position"), pb = b.getVectorData("position");
    const MDoubleArray aa = a.getDoubleData("age"), ab = b.getDoubleData("age");
    const MIntArray ga = a.getIntData("group"), gb = b.getIntData("group");
    const MVectorArray na = a.getVectorData("normal"), nb = b.getVectorData("normal");
    ASSERT_EQ(pa.length() + pb.length(), 300u);
    ASSERT_GT(pa.length(), 50u);
    ASSERT_GT(pb.length(), 50u);
    unsigned int ia = 0, ib = 0;
    const MVectorArray pin = in.getVectorData("position");
    const MDoubleArray ain = in.getDoubleData("age");
    for (unsigned int i = 0; i < 300; ++i) {
        const bool selected = ain[i] < 0.5 && i % 3 != 1;
        if (selected) {
            ASSERT_LT(ia, pa.length());
            EXPECT_EQ(pa[ia], pin[i]);
            EXPECT_EQ(aa[ia], ain[i]);
            EXPECT_EQ(ga[ia], static_cast<int>(i % 3));
            EXPECT_EQ(na[ia].y, i % 2 == 0 ? 1.0 : -1.0);
            ++ia;
        } else {
            ASSERT_LT(ib, pb.length());
            EXPECT_EQ(pb[ib], pin[i]);
            EXPECT_EQ(ab[ib], ain[i]);
            EXPECT_EQ(gb[ib], static_cast<int>(i % 3));
            EXPECT_EQ(nb[ib].y, i % 2 == 0 ? 1.0 : -1.0);
            ++ib;
        }
    }
    EXPECT_EQ(ia, pa.length());
    EXPECT_EQ(ib, pb.length());
    MFnArrayAttrsData::Type type;
    EXPECT_FALSE(a.checkArrayExist("label", type));
}

TEST_F(SelectionNode, ForcedIdsOnlyAddAndMatchThePointIdChannel) {
    setInput();
    setConditions("70, 120");
    EXPECT_EQ(ids("outPoints"), idsWhere(20, [](unsigned) { return true; }));
    setConditions("position.y>100, 70, 120, 5");  // 5 is no point's id
    EXPECT_EQ(ids("outPoints"), (std::vector<int>{70, 120}));
    setConditions("position.y>5, 30");
    EXPECT_EQ(ids("outPoints"), (std::vector<int>{30, 150, 160, 170, 180, 190}));
}

TEST_F(SelectionNode, FacingTestDropsForcedIdsThatFaceAway) {
    setInput();
    setConditions("position.y>100, 70, 120");
    ASSERT_TRUE(mel("setAttr sel.dotProdCondition 1; setAttr sel.dotProdVector 0 1 0;"));
    // Point 7 faces down, point 12 up.
    EXPECT_EQ(ids("outPoints"), (std::vector<int>{120}));
    // Range 1 keeps every unit normal; a zero direction looks along +y.
    setConditions("");
    ASSERT_TRUE(mel("setAttr sel.dotProdRange 1; setAttr sel.dotProdVector 0 0 0;"));
    EXPECT_EQ(ids("outPoints").size(), 20u);
    ASSERT_TRUE(mel("setAttr sel.dotProdRange 0;"));
    EXPECT_EQ(ids("outPoints"), idsWhere(20, [](unsigned i) { return i % 2 == 0; }));
    ASSERT_TRUE(mel("setAttr sel.dotProdVector 0 -5 0;"));
    EXPECT_EQ(ids("outPoints"), idsWhere(20, [](unsigned i) { return i % 2 == 1; }));
    // Perpendicular: d = 0 and range 0 keeps everything; a range just below
    // zero drops everything.
    ASSERT_TRUE(mel("setAttr sel.dotProdVector 1 0 0;"));
    EXPECT_EQ(ids("outPoints").size(), 20u);
    ASSERT_TRUE(mel("setAttr sel.dotProdRange -0.01;"));
    EXPECT_EQ(ids("outPoints").size(), 0u);
}

TEST_F(SelectionNode, VariableComparisonsMatchTheirConstantForms) {
    setInput();
    ASSERT_TRUE(
        mel("setAttr -type \"string\" sel.variables[0].varName \"h\";"
            "setAttr sel.variables[0].varValue 0 2 0;"));
    setConditions("h.y<position.y");
    const std::vector<int> viaVariable = ids("outPoints");
    setConditions("position.y>2");
    EXPECT_EQ(viaVariable, ids("outPoints"));
    EXPECT_EQ(viaVariable, idsWhere(20, [](unsigned i) { return double(i) - 9.5 > 2; }));
}

TEST_F(SelectionNode, NanValuesFailEveryComparisonButNotEqual) {
    InputSpec spec;
    spec.age = [](unsigned i) { return i % 4 == 0 ? std::nan("") : 1.0; };
    setInput(spec);
    const auto nanPoint = [](unsigned i) { return i % 4 == 0; };
    for (const char* op : {"==", "<", "<=", ">", ">="}) {
        setConditions(std::string("age") + op + "1");
        const std::vector<int> kept = ids("outPoints");
        const std::string text = std::string("age") + op + "1";
        if (std::string(op).find('=') != std::string::npos) {
            EXPECT_EQ(kept, idsWhere(20, [&](unsigned i) { return !nanPoint(i); })) << text;
        } else {
            EXPECT_TRUE(kept.empty()) << text;
        }
    }
    setConditions("age!=1");
    EXPECT_EQ(ids("outPoints"), idsWhere(20, nanPoint));
    setConditions("age!=age");  // NaN is not equal to itself
    EXPECT_EQ(ids("outPoints"), idsWhere(20, nanPoint));
}

TEST_F(SelectionNode, InColorThinsWithTheSeededPool) {
    InputSpec spec;
    spec.count = 2500;
    setInput(spec);
    const auto setColors = [&](double value) {
        MVectorArray colors;
        for (unsigned int i = 0; i < spec.count; ++i) colors.append(MVector(value, 9, 9));
        MFnVectorArrayData fn;
        MObject data = fn.create(colors);
        ASSERT_TRUE(plug("inColor").setValue(data));
    };
    ASSERT_TRUE(mel("setAttr sel.useInColor 1;"));
    setColors(0.0);
    EXPECT_TRUE(ids("outPoints").empty());
    setColors(0.3);
    const std::vector<int> low = ids("outPoints");
    setColors(0.6);
    const std::vector<int> high = ids("outPoints");
    // The same random number decides a point at both colours, so a point kept
    // at 0.3 is kept at 0.6; point i and point i + 1000 share their number.
    EXPECT_TRUE(std::includes(high.begin(), high.end(), low.begin(), low.end()));
    EXPECT_NEAR(low.size() / 2500.0, 0.3, 0.06);
    EXPECT_NEAR(high.size() / 2500.0, 0.6, 0.06);
    std::vector<bool> kept(spec.count, false);
    for (int id : high) kept[static_cast<std::size_t>(id / 10)] = true;
    for (unsigned int i = 0; i + 1000 < spec.count; ++i) {
        ASSERT_EQ(kept[i], kept[i + 1000]) << i;
    }
    setColors(1.0);
    EXPECT_EQ(ids("outPoints").size(), 2500u);
    // The conditions come after the thinning.
    setConditions("position.y>100000, 0");
    EXPECT_EQ(ids("outPoints"), (std::vector<int>{0}));
}

TEST_F(SelectionNode, VertexColoursThinByTheRedAtThePoint) {
    ASSERT_TRUE(
        mel("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n ground;"
            "connectAttr groundShape.outMesh sel.inMesh; setAttr sel.useVertexColor 1;"));
    MPlug meshPlug;
    ASSERT_TRUE(zt::host::plugFromString("groundShape.outMesh", meshPlug));
    MObject meshData;
    ASSERT_TRUE(meshPlug.getValue(meshData));
    MIntArray counts, corners;
    ASSERT_TRUE(MFnMesh(meshData).getTriangles(counts, corners));
    ASSERT_EQ(corners.length(), 6u);

    // 30 points at each corner of triangle 0: (u, v) = (0, 0), (1, 0), (0, 1).
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray position = fn.vectorArray("position");
    MVectorArray uv = fn.vectorArray("uv");
    MIntArray tri = fn.intArray("triID");
    MIntArray pid = fn.intArray("pointID");
    for (int i = 0; i < 90; ++i) {
        position.append(MVector(i, 0, 0));
        uv.append(i % 3 == 1 ? MVector(1, 0, 0) : (i % 3 == 2 ? MVector(0, 1, 0) : MVector()));
        tri.append(0);
        pid.append(i);
    }
    ASSERT_TRUE(plug("inPoints").setValue(data));

    // A colour set with nothing painted: every vertex reads white.
    ASSERT_TRUE(mel("polyColorPerVertex -rgb 1 1 1 -remove ground;"));
    EXPECT_EQ(ids("outPoints").size(), 90u);
    // Corner B black: its points go, the others stay.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 0 1 1 ground.vtx[" + std::to_string(corners[1]) + "];"));
    std::vector<int> expected;
    for (int i = 0; i < 90; ++i) {
        if (i % 3 != 1) expected.push_back(i);
    }
    EXPECT_EQ(ids("outPoints"), expected);

    // The mesh vertex colour replaces inColor when both are on.
    MVectorArray zeros(90, MVector(0, 0, 0));
    MFnVectorArrayData colorFn;
    MObject colorData = colorFn.create(zeros);
    ASSERT_TRUE(plug("inColor").setValue(colorData));
    ASSERT_TRUE(mel("setAttr sel.useInColor 1;"));
    EXPECT_EQ(ids("outPoints"), expected);

    // A triangle id the mesh does not have.
    tri.set(5, 7);
    ASSERT_TRUE(plug("inPoints").setValue(data));
    MessageCapture capture;
    MStatus status;
    output("outPoints", &status);
    EXPECT_TRUE(capture.contains(
        MessageKind::kError, "ztPointsSelection: triID out of range, propably wrong inMesh input"));
}

TEST_F(SelectionNode, RefusedComputesKeepThePreviousOutputs) {
    setInput();
    setConditions("position.y>0");
    const std::vector<int> before = ids("outPoints");
    const std::vector<int> beforeRest = ids("outPointsComplement");
    ASSERT_EQ(before.size(), 10u);

    struct Case {
        std::function<void()> change;
        std::string message;
    };
    const std::string plugName = "sel.inPoints";
    const Case cases[] = {
        {[&] { setConditions("position>0"); },
         plugName + ": please specify 'position' element (x, y, z)"},
        {[&] { setConditions("position.y>0, "); }, "ztPointsSelection: unrecognized token: ' '"},
        {[&] { setConditions("triID.x>0"); }, plugName + ": 'triID'  missing"},
        {[&] { setConditions("group.x>0"); }, plugName + ": 'group' attribute is not a vector"},
        {[&] {
             ASSERT_TRUE(mel("setAttr -type \"string\" sel.variables[0].varName \"age\";"));
             setConditions("position.y>0");
         },
         plugName + ": 'age' variable will override inPoints array"},
        {[&] { ASSERT_TRUE(mel("setAttr -type \"string\" sel.variables[0].varName \"2b\";")); },
         "ztPointsSelection: inappropriate variable name: '2b'"},
        {[&] {
             ASSERT_TRUE(
                 mel("setAttr -type \"string\" sel.variables[0].varName \"a\";"
                     "setAttr -type \"string\" sel.variables[1].varName \"a\";"));
         },
         "ztPointsSelection: variable 'a' already exists"},
        {[&] {
             ASSERT_TRUE(mel("setAttr -type \"string\" sel.variables[1].varName \"pointID\";"));
         },
         "Forbidden variable name pointID"},
        {[&] { ASSERT_TRUE(mel("setAttr -type \"string\" sel.variables[1].varName \"\";")); },
         "ztPointsSelection: variable label missing"},
        {[&] {
             ASSERT_TRUE(mel("setAttr -type \"string\" sel.variables[1].varName \"b\";"));
             setConditions("a.x<b.y");
         },
         "Useless expression: a.x<b.y"},
        {[&] {
             setConditions("position.y>0");
             InputSpec spec;
             spec.normals = false;
             setInput(spec);
             ASSERT_TRUE(mel("setAttr sel.dotProdCondition 1;"));
         },
         plugName +
             ": Input array does not contain 'normal' attr. information, cannot check dotProd "
             "condition"},
        {[&] { ASSERT_TRUE(mel("setAttr sel.dotProdCondition 0; setAttr sel.useInColor 1;")); },
         "sel.inColor: missing inColor input"},
        {[&] {
             MVectorArray shortColors(3, MVector(1, 1, 1));
             MFnVectorArrayData fn;
             MObject data = fn.create(shortColors);
             ASSERT_TRUE(plug("inColor").setValue(data));
         },
         "sel.inColor: array lenght differs from inPoints length"},
        {[&] { ASSERT_TRUE(mel("setAttr sel.useInColor 0; setAttr sel.useVertexColor 1;")); },
         "sel.inMesh: please supply inMesh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        c.change();
        MessageCapture capture;
        MStatus status;
        output("outPoints", &status);
        EXPECT_TRUE(capture.contains(MessageKind::kError, c.message))
            << (capture.messages().empty() ? std::string("no message")
                                           : capture.messages().front().text);
        EXPECT_EQ(ids("outPoints"), before);
        EXPECT_EQ(ids("outPointsComplement"), beforeRest);
    }
}

TEST_F(SelectionNode, MissingInputsAndEmptySets) {
    {
        MessageCapture capture;
        output("outPoints");
        EXPECT_TRUE(capture.contains(MessageKind::kError, "sel.inPoints: please supply inPoints"));
    }
    {
        MFnArrayAttrsData fn;
        MObject data = fn.create();
        fn.vectorArray("position").append(MVector(1, 2, 3));
        ASSERT_TRUE(plug("inPoints").setValue(data));
        MessageCapture capture;
        output("outPoints");
        EXPECT_TRUE(capture.contains(
            MessageKind::kError, "sel.inPoints: Input array does not contain pointID information"));
    }
    // An empty set without conditions gives two empty outputs; with them, no
    // column can be read.
    InputSpec empty;
    empty.count = 0;
    setInput(empty);
    EXPECT_TRUE(ids("outPoints").empty());
    setConditions("position.y>0");
    MessageCapture capture;
    output("outPoints");
    EXPECT_TRUE(capture.contains(MessageKind::kError, "ztPointsSelection: vector length is 0."));
}

TEST_F(SelectionNode, NotEnoughMemoryIsReported) {
    setInput();
    zt::ScopedFreeMemoryOverride noMemory(0);
    MessageCapture capture;
    output("outPoints");
    EXPECT_TRUE(
        capture.contains(MessageKind::kError, "ztPointsSelection: Not enough memory on GPU"));
}

TEST_F(SelectionNode, AttributesHaveTheirNamesDefaultsAndFlags) {
    MFnDependencyNode fn(node);
    const char* pairs[][2] = {
        {"inPoints", "ip"},          {"useVertexColor", "uvc"}, {"inMesh", "im"},
        {"useInColor", "uic"},       {"inColor", "ic"},         {"conditions", "c"},
        {"dotProdCondition", "dpc"}, {"dotProdVector", "dpv"},  {"dotProdRange", "dpr"},
        {"variables", "v"},          {"outPoints", "op"},       {"outPointsComplement", "opc"}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(p[0]);
        const MObject byShort = fn.attribute(p[1]);
        ASSERT_FALSE(byShort.isNull());
        EXPECT_EQ(byShort, fn.attribute(p[0]));
    }
    float range = 5;
    ASSERT_TRUE(plug("dotProdRange").getValue(range));
    EXPECT_EQ(range, 0.0f);
    const MFnAttribute out(fn.attribute("outPoints"));
    EXPECT_FALSE(out.isWritable());
    EXPECT_FALSE(out.isStorable());
    const MFnAttribute in(fn.attribute("inPoints"));
    EXPECT_TRUE(in.isWritable());
    EXPECT_FALSE(in.isStorable());
    const MFnAttribute text(fn.attribute("conditions"));
    EXPECT_TRUE(text.isStorable());
    EXPECT_FALSE(text.isKeyable());
    EXPECT_TRUE(MFnAttribute(fn.attribute("dotProdVector")).isKeyable());
}

}  // namespace
