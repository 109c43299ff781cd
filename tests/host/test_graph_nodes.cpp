// Nodes in the scene: names, DAG placement and matrices, plug names,
// attribute limits and flags, connection rules, lookups by name.

#include <maya/MFnAttribute.h>
#include <maya/MFnMatrixData.h>
#include <maya/MPoint.h>
#include <maya/MSelectionList.h>

#include "test_graphNodes.h"

namespace graphtest {
namespace {

using Nodes = GraphTest;

std::string nameOf(const MObject& node) {
    return MFnDependencyNode(node).name().asChar();
}

TEST_F(Nodes, NamesAreMadeUniqueAndANameGivenAtCreationWinsOverThePostConstructors) {
    // Each name asked for twice: what the first and the second node get.
    const char* names[][3] = {{"", "graphAdder1", "graphAdder2"},
                              {"part#", "part1", "part2"},
                              {"bolt", "bolt", "bolt1"},
                              {"pPlane1", "pPlane1", "pPlane2"}};
    for (const auto& n : names) {
        EXPECT_EQ(nameOf(create("graphAdder", n[0])), n[1]);
        EXPECT_EQ(nameOf(create("graphAdder", n[0])), n[2]);
    }

    MObject node = create("graphAdder", "solo");
    MFnDependencyNode fn(node);
    EXPECT_EQ(fn.setName("bolt"), "bolt2");
    EXPECT_EQ(fn.setName("solo"), "solo");
    MStatus status;
    fn.setName("bad name", false, &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(nameOf(node), "solo");
    EXPECT_TRUE(zt::host::findNode("bolt2").isNull());
    EXPECT_TRUE(zt::host::findNode("solo") == node);

    // The post-constructor runs with a usable object and may rename it...
    EXPECT_EQ(nameOf(create("graphSelfNaming")), "renamedNode1");
    EXPECT_EQ(nameOf(create("graphSelfNaming")), "renamedNode2");
    EXPECT_EQ(zt::host::listNodes("graphSelfNaming").size(), 2u);

    // ...but a name given at creation wins.
    EXPECT_EQ(nameOf(create("graphSelfNaming", "mine")), "mine");
    // Taken names and '#' follow the usual rules.
    EXPECT_EQ(nameOf(create("graphSelfNaming", "mine")), "mine1");
    EXPECT_EQ(nameOf(create("graphSelfNaming", "item#")), "item1");
    // Without a name the node's own choice stands, and the name it gave up
    // is free again.
    EXPECT_EQ(nameOf(create("graphSelfNaming")), "renamedNode3");
    EXPECT_TRUE(zt::host::findNode("graphSelfNaming1").isNull());
    EXPECT_FALSE(zt::host::findNode("mine").isNull());
}

MMatrix worldOf(const MObject& node) {
    MDagPath path;
    MDagPath::getAPathTo(node, path);
    return path.inclusiveMatrix();
}

TEST_F(Nodes, AShapeWithoutParentGetsATransformAndWorldMatricesFollowTheChain) {
    MObject transform;
    MStatus status;
    MObject lone = zt::host::createNode("graphShape", "", MObject::kNullObj, &status, &transform);
    ASSERT_TRUE(status);
    EXPECT_EQ(nameOf(transform), "transform1");
    MDagPath lonePath;
    ASSERT_TRUE(MDagPath::getAPathTo(lone, lonePath));
    EXPECT_EQ(lonePath.fullPathName(), "|transform1|graphShape1");
    EXPECT_TRUE(lonePath.transform() == transform);
    EXPECT_TRUE(lone.hasFn(MFn::kDagNode));
    EXPECT_TRUE(lone.hasFn(MFn::kDependencyNode));
    EXPECT_FALSE(lone.hasFn(MFn::kTransform));

    // Deleting the transform takes the shape with it.
    ASSERT_TRUE(zt::host::deleteNode(transform));
    EXPECT_TRUE(zt::host::findNode("graphShape1").isNull());
    // Dependency nodes have no DAG parent.
    MObject world = create("transform", "holder");
    zt::host::createNode("graphAdder", "", world, &status);
    EXPECT_FALSE(status);

    // World matrices follow the transform chain.
    MObject parent = create("transform", "parent");
    MObject child = zt::host::createNode("transform", "child", parent);
    MObject shape = zt::host::createNode("graphShape", "shape", child);
    plugNamed("parent.translate").child(0).setValue(10.0);
    plugNamed("parent.ty").setValue(20.0);
    plugNamed("child.rotateZ").setValue(90.0);
    plugNamed("child.tx").setValue(1.0);
    plugNamed("child.sx").setValue(2.0);

    // (1, 0, 0) in the child: scaled to (2, 0, 0), turned to (0, 2, 0),
    // moved by (1, 0, 0), then by the parent's (10, 20, 0).
    const MPoint p = MPoint(1, 0, 0) * worldOf(child);
    EXPECT_NEAR(p.x, 11.0, 1e-12);
    EXPECT_NEAR(p.y, 22.0, 1e-12);
    EXPECT_NEAR(p.z, 0.0, 1e-12);
    // Row-vector convention: the translation sits in row 3.
    EXPECT_NEAR(worldOf(child)(3, 0), 11.0, 1e-12);

    MDagPath shapePath, childPath;
    MDagPath::getAPathTo(shape, shapePath);
    MDagPath::getAPathTo(child, childPath);
    EXPECT_TRUE(shapePath.inclusiveMatrix().isEquivalent(childPath.inclusiveMatrix()));
    EXPECT_TRUE(shapePath.exclusiveMatrix().isEquivalent(childPath.inclusiveMatrix()));
    EXPECT_TRUE(childPath.exclusiveMatrix().isEquivalent(worldOf(parent)));
    EXPECT_EQ(shapePath.fullPathName(), "|parent|child|shape");

    // Moving the parent moves what is below it.
    plugNamed("parent.tx").setValue(-10.0);
    EXPECT_NEAR((MPoint(0, 0, 0) * worldOf(shape)).x, -9.0, 1e-12);
    // So does taking the child out from under it.
    ASSERT_TRUE(zt::host::parentNode(child, MObject()));
    EXPECT_NEAR((MPoint(0, 0, 0) * worldOf(shape)).x, 1.0, 1e-12);
    EXPECT_EQ(shapePath.fullPathName(), "|child|shape");
    // A node cannot go under its own descendant.
    EXPECT_FALSE(zt::host::parentNode(child, shape));
    EXPECT_FALSE(zt::host::parentNode(parent, zt::host::findNode("shape")));

    MObject data;
    ASSERT_TRUE(plugNamed("child.matrix").getValue(data));
    EXPECT_NEAR(MFnMatrixData(data).matrix()(0, 1), 2.0, 1e-12);
}

TEST_F(Nodes, PlugNamesFollowTheHostsFormAndSetValueClampsToHardLimitsOnly) {
    create("graphDoubler", "d");
    create("graphSummer", "s");
    MObject l = create("graphLister", "l");
    EXPECT_EQ(plugNamed("d.outPos").name(), "d.outPos");
    // A child of a plain compound is named alone...
    EXPECT_EQ(plugNamed("d.posX").name(), "d.posX");
    EXPECT_EQ(plugNamed("d.p.px").name(), "d.posX");
    // ...but under an array element with the element.
    EXPECT_EQ(plugNamed("l.items[2].itemValue").name(), "l.items[2].itemValue");
    EXPECT_EQ(plugNamed("s.v[3]").name(), "s.values[3]");
    EXPECT_EQ(plugNamed("s.values").name(), "s.values");
    EXPECT_EQ(plugNamed("s.values[3]").partialName(), "v[3]");
    EXPECT_EQ(plugNamed("l.items[2].iv").partialName(true, false, false, false, true, true),
              "l.items[2].itemValue");

    MPlug element = plugNamed("s.values").elementByLogicalIndex(6);
    EXPECT_EQ(element.logicalIndex(), 6u);
    EXPECT_TRUE(element.array() == plugNamed("s.values"));
    MPlug child = plugNamed("l.items").elementByLogicalIndex(1).child(0);
    EXPECT_EQ(child.name(), "l.items[1].itemValue");
    EXPECT_TRUE(child == Lister::itemValue);
    EXPECT_TRUE(child.parent() == plugNamed("l.items[1]"));

    MPlug unused;
    EXPECT_FALSE(zt::host::plugFromString("l.nothing", unused));
    EXPECT_FALSE(zt::host::plugFromString("l.limited[2]", unused));
    EXPECT_FALSE(zt::host::plugFromString("nobody.limited", unused));

    // setValue clamps to the hard limits only.
    MPlug limited = plug(l, "limited");
    EXPECT_DOUBLE_EQ(limited.asDouble(), 5.0);
    ASSERT_TRUE(limited.setValue(15.0));
    EXPECT_DOUBLE_EQ(limited.asDouble(), 10.0);
    ASSERT_TRUE(limited.setValue(-3.0));
    EXPECT_DOUBLE_EQ(limited.asDouble(), 0.0);
    // The soft maximum is only a hint.
    ASSERT_TRUE(limited.setValue(7.5));
    EXPECT_DOUBLE_EQ(limited.asDouble(), 7.5);

    MPlug count = plug(l, "count");
    ASSERT_TRUE(count.setValue(2.6));
    EXPECT_EQ(count.asInt(), 3);
    MPlug flag = plug(l, "flag");
    ASSERT_TRUE(flag.setValue(0.25));
    EXPECT_TRUE(flag.asBool());
    // Numbers do not go into strings, nor strings into numbers.
    EXPECT_FALSE(count.setValue(MString("4")));
}

TEST_F(Nodes, NewAttributesHaveTheHostsDefaultFlags) {
    MFnNumericAttribute fn;
    MObject attr = fn.create("fresh", "fr", MFnNumericData::kFloat, 1.0);
    EXPECT_TRUE(fn.isReadable());
    EXPECT_TRUE(fn.isWritable());
    EXPECT_TRUE(fn.isConnectable());
    EXPECT_TRUE(fn.isStorable());
    EXPECT_FALSE(fn.isKeyable());
    EXPECT_FALSE(fn.isHidden());
    EXPECT_FALSE(fn.isArray());
    EXPECT_EQ(MFnAttribute(attr).shortName(), "fr");

    MObject color = fn.createColor("tint", "ti");
    EXPECT_TRUE(fn.isUsedAsColor());
    EXPECT_EQ(fn.unitType(), MFnNumericData::k3Float);
    EXPECT_EQ(MFnAttribute(fn.child(1)).name(), "tintG");
    MObject point = fn.createPoint("aim", "am");
    EXPECT_EQ(MFnAttribute(fn.child(2)).name(), "aimZ");
    EXPECT_EQ(MFnAttribute(fn.child(2)).shortName(), "amz");
    MObject triple = fn.create("ids", "ids", MFnNumericData::k3Int, 0);
    EXPECT_EQ(MFnAttribute(fn.child(0)).name(), "ids0");
    EXPECT_TRUE(triple.hasFn(MFn::kCompoundAttribute));
    EXPECT_FALSE(color == point);

    // Transforms are found by long and short names of their children.
    create("transform", "xf");
    MFnDependencyNode xf(zt::host::findNode("xf"));
    EXPECT_TRUE(xf.attribute("tx") == xf.attribute("translateX"));
    EXPECT_FALSE(xf.attribute("translateX").isNull());
    EXPECT_TRUE(xf.findPlug("worldMatrix").isArray());
}

class Recorder : public MPxNode {
public:
    static void* creator() { return new Recorder; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        in = n.create("in", "i", MFnNumericData::kFloat, 0.0);
        hidden = n.create("secret", "sec", MFnNumericData::kFloat, 0.0);
        n.setReadable(false);
        MFnTypedAttribute t;
        text = t.create("text", "tx", MFnData::kString);
        for (MObject* a : {&in, &hidden, &text}) addAttribute(*a);
        return MS::kSuccess;
    }
    MStatus connectionMade(const MPlug& plug, const MPlug& other, bool asSrc) override {
        events.push_back(std::string(asSrc ? "source " : "destination ") + plug.name().asChar() +
                         " " + other.name().asChar());
        return MS::kUnknownParameter;
    }
    MStatus connectionBroken(const MPlug& plug, const MPlug&, bool) override {
        events.push_back(std::string("broken ") + plug.name().asChar());
        return MS::kUnknownParameter;
    }
    std::vector<std::string> events;
    static inline MObject in, hidden, text;
};

TEST_F(Nodes, ConnectionsFollowTypeAndSourceRulesAndSelectionListsFindThem) {
    ASSERT_TRUE(registerOnce("graphRecorder", 0x7e0010, Recorder::creator, Recorder::initialize));
    MObject a = create("graphAdder", "a");
    MObject b = create("graphAdder", "b");
    MObject r = create("graphRecorder", "r");
    create("graphTagger", "t");

    // Numbers convert (double into float), and both ends hear of it.
    ASSERT_TRUE(connect(plug(a, "output"), plug(r, "in")));
    const std::vector<std::string> made = {"destination r.in a.output"};
    EXPECT_EQ(user<Recorder>(r).events, made);

    // One source per destination unless forced.
    EXPECT_FALSE(connect(plug(b, "output"), plug(r, "in")));
    ASSERT_TRUE(zt::host::connectPlugs(plug(b, "output"), plug(r, "in"), true));
    MPlugArray sources;
    ASSERT_TRUE(plug(r, "in").connectedTo(sources, true, false));
    ASSERT_EQ(sources.length(), 1u);
    EXPECT_TRUE(sources[0] == plug(b, "output"));
    EXPECT_EQ(user<Recorder>(r).events.back(), "destination r.in b.output");
    EXPECT_EQ(user<Recorder>(r).events[1], "broken r.in");

    // Types must agree: data into numbers, strings into point sets fail.
    EXPECT_FALSE(connect(plugNamed("t.outPoints"), plug(a, "input")));
    EXPECT_FALSE(connect(plug(r, "text"), plugNamed("t.inPoints")));
    // Outputs cannot be destinations, unreadable plugs cannot be sources.
    EXPECT_FALSE(connect(plug(a, "output"), plug(b, "output")));
    EXPECT_FALSE(connect(plug(r, "secret"), plug(b, "input")));
    // A whole array only goes into a whole array.
    create("graphSummer", "s");
    EXPECT_FALSE(connect(plugNamed("s.doubled"), plug(a, "input")));
    EXPECT_TRUE(connect(plugNamed("s.doubled[1]"), plug(a, "input")));

    // Selection lists find nodes, paths and plugs.
    MObject parent = create("transform", "rig");
    MObject shape = zt::host::createNode("graphShape", "rigShape", parent);
    create("graphAdder", "adderOne");
    create("graphAdder", "adderTwo");

    MSelectionList list;
    ASSERT_TRUE(list.add("rigShape"));
    EXPECT_FALSE(list.add("|rig|rigShape.tx"));
    ASSERT_TRUE(list.add("rig.tx"));
    ASSERT_TRUE(list.add("adder*"));  // adderOne and adderTwo
    EXPECT_FALSE(list.add("nothing"));
    EXPECT_FALSE(list.add("|rigShape"));
    ASSERT_EQ(list.length(), 4u);

    MObject node;
    ASSERT_TRUE(list.getDependNode(0, node));
    EXPECT_TRUE(node == shape);
    MDagPath path;
    ASSERT_TRUE(list.getDagPath(0, path));
    EXPECT_EQ(path.partialPathName(), "rigShape");
    MPlug plugFound;
    EXPECT_FALSE(list.getPlug(0, plugFound));
    ASSERT_TRUE(list.getPlug(1, plugFound));
    EXPECT_EQ(plugFound.name(), "rig.translateX");
    ASSERT_TRUE(list.getDependNode(3, node));
    EXPECT_EQ(nameOf(node), "adderTwo");
    EXPECT_TRUE(zt::host::findNode("|rig|rigShape") == shape);
}

}  // namespace
}  // namespace graphtest
