// The ztPointsSelection node in a scene: how its four tests combine, what the
// two outputs hold, and what a refused compute leaves behind.

#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "filterTestUtil.h"
#include "host/src/graph/scene.h"
#include "host/src/mel/engine.h"
#include "kernels/backend.h"

using namespace filtertest;

namespace {

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

class SelectionNode : public NodeTest {
protected:
    SelectionNode() : NodeTest("ztPointsSelection", "sel") {}

    static bool mel(const std::string& text) { return zt::mel::executeText(text); }

    void setInput(const InputSpec& spec = InputSpec()) {
        std::vector<MVector> position, normal;
        std::vector<int> ids, group;
        std::vector<double> age;
        for (unsigned int i = 0; i < spec.count; ++i) {
            position.emplace_back(i, spec.y(i), -double(i));
            ids.push_back(static_cast<int>(10 * i));
            age.push_back(spec.age(i));
            group.push_back(static_cast<int>(i % 3));
            normal.emplace_back(0, i % 2 == 0 ? 1.0 : -1.0, 0);
        }
        PointSet points;
        points.vectors("position", position).ints("pointID", ids).doubles("age", age);
        points.ints("group", group);
        if (spec.normals) points.vectors("normal", normal);
        if (spec.strings) points.strings("label", {"x"});
        setPoints(node, "inPoints", points);
    }

    void setConditions(const std::string& text) { set(node, "conditions", MString(text.c_str())); }

    void setColors(const MVectorArray& colors) {
        MFnVectorArrayData fn;
        set(node, "inColor", fn.create(colors));
    }

    // The pointIDs of an output, in order.
    std::vector<int> ids(const char* attribute = "outPoints") const {
        return Output(node, attribute).ints("pointID");
    }

    // The error texts of computing the outputs.
    std::vector<std::string> computeErrors() const {
        return errorsOf([&] { ids(); });
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
};

TEST_F(SelectionNode, ConditionsAndForcedIdsSplitThePoints) {
    setInput();
    // Without tests every point is selected; the complement has the same
    // channels and no elements.
    EXPECT_EQ(ids(), idsWhere(20, [](unsigned) { return true; }));
    Output rest(node, "outPointsComplement");
    EXPECT_EQ(rest.names().size(), 5u);
    EXPECT_EQ(rest.typeOf("position"), MFnArrayAttrsData::kVectorArray);
    EXPECT_TRUE(rest.vectors("position").empty());
    EXPECT_TRUE(rest.doubles("age").empty());

    // Opposite conditions exchange the outputs.
    setConditions("position.y>0");
    const std::vector<int> above = ids();
    const std::vector<int> notAbove = ids("outPointsComplement");
    EXPECT_EQ(above, idsWhere(20, [](unsigned i) { return i >= 10; }));
    setConditions("position.y<=0");
    EXPECT_EQ(ids(), notAbove);
    EXPECT_EQ(ids("outPointsComplement"), above);

    // Forced ids only add, and match the pointID channel.
    setConditions("70, 120");
    EXPECT_EQ(ids(), idsWhere(20, [](unsigned) { return true; }));
    setConditions("position.y>100, 70, 120, 5");  // 5 is no point's id
    EXPECT_EQ(ids(), (std::vector<int>{70, 120}));
    setConditions("position.y>5, 30");
    EXPECT_EQ(ids(), (std::vector<int>{30, 150, 160, 170, 180, 190}));

    // A variable comparison matches its constant form.
    ASSERT_TRUE(
        mel("setAttr -type \"string\" sel.variables[0].varName \"h\";"
            "setAttr sel.variables[0].varValue 0 2 0;"));
    setConditions("h.y<position.y");
    const std::vector<int> viaVariable = ids();
    setConditions("position.y>2");
    EXPECT_EQ(viaVariable, ids());
    EXPECT_EQ(viaVariable, idsWhere(20, [](unsigned i) { return double(i) - 9.5 > 2; }));
}

TEST_F(SelectionNode, SplitHoldsEveryPointOnceInOrderForEveryChannelType) {
    InputSpec spec;
    spec.count = 300;
    spec.age = [](unsigned i) { return std::fmod(i * 0.618034, 1.0); };
    spec.strings = true;
    setInput(spec);
    setConditions("age < 0.5, group != 1");
    // What each output must hold: [0] the selected points, [1] the others.
    std::vector<MVector> position[2], normal[2];
    std::vector<double> age[2];
    std::vector<int> group[2];
    for (unsigned int i = 0; i < 300; ++i) {
        const int k = spec.age(i) < 0.5 && i % 3 != 1 ? 0 : 1;
        position[k].emplace_back(i, spec.y(i), -double(i));
        normal[k].emplace_back(0, i % 2 == 0 ? 1.0 : -1.0, 0);
        age[k].push_back(spec.age(i));
        group[k].push_back(static_cast<int>(i % 3));
    }
    ASSERT_GT(position[0].size(), 50u);
    ASSERT_GT(position[1].size(), 50u);
    ::testing::internal::CaptureStderr();
    const Output outputs[] = {Output(node), Output(node, "outPointsComplement")};
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "splitPointSet: invalid array type\n");
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(outputs[k].vectors("position"), position[k]);
        EXPECT_EQ(outputs[k].vectors("normal"), normal[k]);
        EXPECT_EQ(outputs[k].doubles("age"), age[k]);
        EXPECT_EQ(outputs[k].ints("group"), group[k]);
        EXPECT_FALSE(outputs[k].has("label"));
    }
}

TEST_F(SelectionNode, FacingTestDropsForcedIdsThatFaceAway) {
    setInput();
    setConditions("position.y>100, 70, 120");
    ASSERT_TRUE(mel("setAttr sel.dotProdCondition 1; setAttr sel.dotProdVector 0 1 0;"));
    // Point 7 faces down, point 12 up.
    EXPECT_EQ(ids(), (std::vector<int>{120}));
    // Range 1 keeps every unit normal; a zero direction looks along +y.
    setConditions("");
    ASSERT_TRUE(mel("setAttr sel.dotProdRange 1; setAttr sel.dotProdVector 0 0 0;"));
    EXPECT_EQ(ids().size(), 20u);
    ASSERT_TRUE(mel("setAttr sel.dotProdRange 0;"));
    EXPECT_EQ(ids(), idsWhere(20, [](unsigned i) { return i % 2 == 0; }));
    ASSERT_TRUE(mel("setAttr sel.dotProdVector 0 -5 0;"));
    EXPECT_EQ(ids(), idsWhere(20, [](unsigned i) { return i % 2 == 1; }));
    // Perpendicular: d = 0 and range 0 keeps everything; a range just below
    // zero drops everything.
    ASSERT_TRUE(mel("setAttr sel.dotProdVector 1 0 0;"));
    EXPECT_EQ(ids().size(), 20u);
    ASSERT_TRUE(mel("setAttr sel.dotProdRange -0.01;"));
    EXPECT_EQ(ids().size(), 0u);
}

TEST_F(SelectionNode, NanValuesFailEveryComparisonButNotEqual) {
    InputSpec spec;
    spec.age = [](unsigned i) { return i % 4 == 0 ? std::nan("") : 1.0; };
    setInput(spec);
    const auto nanPoint = [](unsigned i) { return i % 4 == 0; };
    const std::vector<int> notNan = idsWhere(20, [&](unsigned i) { return !nanPoint(i); });
    for (const char* op : {"==", "<", "<=", ">", ">="}) {
        const std::string text = std::string("age") + op + "1";
        setConditions(text);
        const bool withEqual = std::string(op).find('=') != std::string::npos;
        EXPECT_EQ(ids(), withEqual ? notNan : std::vector<int>{}) << text;
    }
    setConditions("age!=1");
    EXPECT_EQ(ids(), idsWhere(20, nanPoint));
    setConditions("age!=age");  // NaN is not equal to itself
    EXPECT_EQ(ids(), idsWhere(20, nanPoint));
}

TEST_F(SelectionNode, InColorThinsWithTheSeededPool) {
    InputSpec spec;
    spec.count = 2500;
    setInput(spec);
    const auto colors = [&](double red) { return MVectorArray(spec.count, MVector(red, 9, 9)); };
    ASSERT_TRUE(mel("setAttr sel.useInColor 1;"));
    setColors(colors(0.0));
    EXPECT_TRUE(ids().empty());
    setColors(colors(0.3));
    const std::vector<int> low = ids();
    setColors(colors(0.6));
    const std::vector<int> high = ids();
    // The same random number decides a point at both colours, so a point kept
    // at 0.3 is kept at 0.6; point i and point i + 1000 share their number.
    EXPECT_TRUE(std::includes(high.begin(), high.end(), low.begin(), low.end()));
    EXPECT_NEAR(low.size() / 2500.0, 0.3, 0.06);
    EXPECT_NEAR(high.size() / 2500.0, 0.6, 0.06);
    std::vector<bool> kept(spec.count, false);
    for (int id : high) kept[static_cast<std::size_t>(id / 10)] = true;
    for (unsigned int i = 0; i + 1000 < spec.count; ++i) ASSERT_EQ(kept[i], kept[i + 1000]) << i;
    setColors(colors(1.0));
    EXPECT_EQ(ids().size(), 2500u);
    // The conditions come after the thinning.
    setConditions("position.y>100000, 0");
    EXPECT_EQ(ids(), (std::vector<int>{0}));
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
    std::vector<MVector> position, uv;
    std::vector<int> tri(90, 0), pid, expected;
    for (int i = 0; i < 90; ++i) {
        position.emplace_back(i, 0, 0);
        uv.push_back(i % 3 == 1 ? MVector(1, 0, 0) : (i % 3 == 2 ? MVector(0, 1, 0) : MVector()));
        pid.push_back(i);
        if (i % 3 != 1) expected.push_back(i);
    }
    const auto setPointsOn = [&](const std::vector<int>& triangles) {
        setPoints(node, "inPoints",
                  PointSet()
                      .vectors("position", position)
                      .vectors("uv", uv)
                      .ints("triID", triangles)
                      .ints("pointID", pid));
    };
    setPointsOn(tri);

    // A colour set with nothing painted: every vertex reads white.
    ASSERT_TRUE(mel("polyColorPerVertex -rgb 1 1 1 -remove ground;"));
    EXPECT_EQ(ids().size(), 90u);
    // Corner B black: its points go, the others stay.
    ASSERT_TRUE(
        mel("polyColorPerVertex -rgb 0 1 1 ground.vtx[" + std::to_string(corners[1]) + "];"));
    EXPECT_EQ(ids(), expected);
    // The mesh vertex colour replaces inColor when both are on.
    setColors(MVectorArray(90, MVector(0, 0, 0)));
    ASSERT_TRUE(mel("setAttr sel.useInColor 1;"));
    EXPECT_EQ(ids(), expected);

    // A triangle id the mesh does not have.
    tri[5] = 7;
    setPointsOn(tri);
    EXPECT_TRUE(anyContains(computeErrors(),
                            "ztPointsSelection: triID out of range, propably wrong inMesh input"));
}

TEST_F(SelectionNode, RefusedComputesKeepThePreviousOutputs) {
    setInput();
    setConditions("position.y>0");
    const std::vector<int> before = ids();
    const std::vector<int> beforeRest = ids("outPointsComplement");
    ASSERT_EQ(before.size(), 10u);

    // Each step changes the node further; every one is refused.
    struct Case {
        const char* conditions;  // nullptr: unchanged
        std::string mel;
        std::string message;
        std::function<void()> change = nullptr;
    };
    const std::string plugName = "sel.inPoints";
    const std::string varName = "setAttr -type \"string\" sel.variables";
    const Case cases[] = {
        {"position>0", "", plugName + ": please specify 'position' element (x, y, z)"},
        {"position.y>0, ", "", "ztPointsSelection: unrecognized token: ' '"},
        {"triID.x>0", "", plugName + ": 'triID'  missing"},
        {"group.x>0", "", plugName + ": 'group' attribute is not a vector"},
        {"position.y>0", varName + "[0].varName \"age\";",
         plugName + ": 'age' variable will override inPoints array"},
        {nullptr, varName + "[0].varName \"2b\";",
         "ztPointsSelection: inappropriate variable name: '2b'"},
        {nullptr, varName + "[0].varName \"a\";" + varName + "[1].varName \"a\";",
         "ztPointsSelection: variable 'a' already exists"},
        {nullptr, varName + "[1].varName \"pointID\";", "Forbidden variable name pointID"},
        {nullptr, varName + "[1].varName \"\";", "ztPointsSelection: variable label missing"},
        {"a.x<b.y", varName + "[1].varName \"b\";", "Useless expression: a.x<b.y"},
        {"position.y>0", "setAttr sel.dotProdCondition 1;",
         plugName +
             ": Input array does not contain 'normal' attr. information, cannot check dotProd "
             "condition",
         [&] {
             InputSpec spec;
             spec.normals = false;
             setInput(spec);
         }},
        {nullptr, "setAttr sel.dotProdCondition 0; setAttr sel.useInColor 1;",
         "sel.inColor: missing inColor input"},
        {nullptr, "", "sel.inColor: array lenght differs from inPoints length",
         [&] { setColors(MVectorArray(3, MVector(1, 1, 1))); }},
        {nullptr, "setAttr sel.useInColor 0; setAttr sel.useVertexColor 1;",
         "sel.inMesh: please supply inMesh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        if (c.conditions) setConditions(c.conditions);
        if (c.change) c.change();
        ASSERT_TRUE(mel(c.mel));
        expectRefused(
            c.message, [&] { return ids(); }, before);
        EXPECT_EQ(ids("outPointsComplement"), beforeRest);
    }
}

TEST_F(SelectionNode, MissingInputsEmptySetsAndMemory) {
    EXPECT_TRUE(anyContains(computeErrors(), "sel.inPoints: please supply inPoints"));
    setPoints(node, "inPoints", PointSet().vectors("position", {{1, 2, 3}}));
    EXPECT_TRUE(anyContains(computeErrors(),
                            "sel.inPoints: Input array does not contain pointID information"));
    // An empty set without conditions gives two empty outputs; with them, no
    // column can be read.
    InputSpec empty;
    empty.count = 0;
    setInput(empty);
    EXPECT_TRUE(ids().empty());
    setConditions("position.y>0");
    EXPECT_TRUE(anyContains(computeErrors(), "ztPointsSelection: vector length is 0."));

    setInput();
    setConditions("");
    zt::ScopedFreeMemoryOverride noMemory(0);
    EXPECT_TRUE(anyContains(computeErrors(), "ztPointsSelection: Not enough memory on GPU"));
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
    ASSERT_TRUE(plugOf(node, "dotProdRange").getValue(range));
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
