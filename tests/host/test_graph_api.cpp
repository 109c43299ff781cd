// Function sets and plugs around the graph: attribute construction rules,
// node and DAG function sets, plug navigation and connection queries,
// standalone array builders, numeric conversions through handles.

#include <maya/MArrayDataBuilder.h>
#include <maya/MCommandResult.h>
#include <maya/MSelectionList.h>

#include <algorithm>

#include "test_graphNodes.h"

namespace graphtest {
namespace {

TEST(AttributeConstruction, CompoundsAndTypesFollowTheirRules) {
    MFnNumericAttribute numeric;
    MObject x = numeric.create("x", "x", MFnNumericData::kFloat, 0.0);
    MObject y = numeric.create("y", "y", MFnNumericData::kFloat, 0.0);
    MObject z = numeric.create("z", "z", MFnNumericData::kDouble, 0.0);
    MStatus status;
    // Numeric compounds take children of one type.
    numeric.create("mixed", "mx", x, y, z, &status);
    EXPECT_FALSE(status);
    MObject pair = numeric.create("pair", "pr", x, y, MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(MFnNumericAttribute(pair).unitType(), MFnNumericData::k2Float);
    // A child belongs to one parent.
    MFnCompoundAttribute compound;
    compound.create("group", "grp");
    EXPECT_FALSE(compound.addChild(x));
    EXPECT_TRUE(compound.addChild(z));
    EXPECT_EQ(compound.numChildren(), 1u);
    EXPECT_FALSE(compound.addChild(compound.object()));
    EXPECT_TRUE(MFnAttribute(z).parent() == compound.object());

    // Typed defaults must be of the attribute's type.
    MFnTypedAttribute typed;
    typed.create("label", "lb", MFnData::kString);
    EXPECT_FALSE(typed.setDefault(MFnArrayAttrsData().create()));
    EXPECT_TRUE(typed.setDefault(MFnStringData().create("x")));
    EXPECT_EQ(typed.attrType(), MFnData::kString);
    typed.create("nothing", "no", MFnData::kInvalid, MObject::kNullObj, &status);
    EXPECT_FALSE(status);
    numeric.create("", "e", MFnNumericData::kInt, 0.0, &status);
    EXPECT_FALSE(status);

    // Function sets only attach to what they handle.
    MFnTypedAttribute wrong(x, &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(MObject(x).apiType(), MFn::kNumericAttribute);
    EXPECT_STREQ(pair.apiTypeStr(), "kNumericAttribute");
    EXPECT_TRUE(pair.hasFn(MFn::kAttribute));
}

using Api = GraphTest;

TEST_F(Api, NodeFunctionSetsListAttributesAndBuildAndWalkTheHierarchy) {
    MObject node = create("graphAdder", "a");
    MFnDependencyNode fn(node);
    EXPECT_EQ(fn.typeName(), "graphAdder");
    EXPECT_EQ(fn.typeId(), MTypeId(0x7e0001));
    EXPECT_TRUE(fn.hasAttribute("message"));
    EXPECT_TRUE(fn.hasAttribute("nds"));
    std::vector<std::string> names;
    for (unsigned int i = 0; i < fn.attributeCount(); ++i)
        names.push_back(MFnAttribute(fn.attribute(i)).name().asChar());
    EXPECT_NE(std::find(names.begin(), names.end(), "output"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "nodeState"), names.end());
    MStatus status;
    fn.attribute(fn.attributeCount(), &status);
    EXPECT_FALSE(status);
    fn.findPlug("absent", &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(static_cast<Adder*>(fn.userNode())->name(), MString("a"));
    EXPECT_STREQ(node.apiTypeStr(), "kPluginDependNode");

    MFnDependencyNode created;
    MObject made = created.create("graphAdder", &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(created.object() == made);
    created.create("noSuchType", &status);
    EXPECT_FALSE(status);

    // The DAG function set builds and walks the hierarchy.
    MFnDagNode dag;
    MObject transform = dag.create("graphShape", "body", MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(transform.hasFn(MFn::kTransform));
    MFnDagNode top(transform);
    ASSERT_EQ(top.childCount(), 1u);
    MObject shape = top.child(0);
    EXPECT_EQ(MFnDagNode(shape).fullPathName(), "|transform1|body");
    EXPECT_TRUE(MFnDagNode(shape).parent(0) == transform);
    EXPECT_EQ(top.parentCount(), 0u);

    MObject other = create("transform", "other");
    MFnDagNode otherFn(other);
    ASSERT_TRUE(otherFn.addChild(shape));
    EXPECT_EQ(top.childCount(), 0u);
    MDagPath path = MFnDagNode(shape).dagPath();
    EXPECT_EQ(path.length(), 2u);
    ASSERT_TRUE(path.pop());
    EXPECT_TRUE(path.node() == other);
    EXPECT_FALSE(path.pop(2));
    EXPECT_FALSE(top.removeChild(shape));
    EXPECT_TRUE(otherFn.removeChild(shape));
    EXPECT_EQ(MFnDagNode(shape).fullPathName(), "|body");
    // Dependency nodes have no DAG function set.
    MFnDagNode notDag(create("graphAdder"), &status);
    EXPECT_FALSE(status);
}

TEST_F(Api, PlugsNavigateAndReportTheirConnections) {
    MObject s = create("graphSummer", "s");
    MObject a = create("graphAdder", "a");
    MObject l = create("graphLister", "l");
    MPlug values = plug(s, "values");
    values.elementByLogicalIndex(8).setValue(1.0);
    values.elementByLogicalIndex(3).setValue(2.0);
    EXPECT_EQ(values.numElements(), 2u);
    EXPECT_EQ(values[0].logicalIndex(), 3u);
    EXPECT_EQ(values.elementByPhysicalIndex(1).logicalIndex(), 8u);
    MStatus status;
    values.elementByPhysicalIndex(2, &status);
    EXPECT_FALSE(status);
    EXPECT_TRUE(values.isArray());
    EXPECT_FALSE(values[0].isArray());
    EXPECT_TRUE(values[0].isElement());

    MPlug item = plug(l, "items").elementByLogicalIndex(5);
    EXPECT_TRUE(item.isCompound());
    EXPECT_EQ(item.numChildren(), 1u);
    item.child(3, &status);
    EXPECT_FALSE(status);
    // A child plug without its element chosen has no value until one is.
    MPlug loose(l, Lister::itemValue);
    EXPECT_FALSE(loose.setValue(1.0f));
    ASSERT_TRUE(loose.selectAncestorLogicalIndex(5));
    EXPECT_TRUE(loose.setValue(2.5f));
    EXPECT_FLOAT_EQ(item.child(0).asFloat(), 2.5f);

    ASSERT_TRUE(connect(plug(a, "output"), values.elementByLogicalIndex(3)));
    ASSERT_TRUE(connect(plug(a, "output"), plugNamed("l.limited")));
    MPlugArray destinations;
    EXPECT_TRUE(plug(a, "output").connectedTo(destinations, false, true));
    EXPECT_EQ(destinations.length(), 2u);
    EXPECT_TRUE(plug(a, "output").isSource());
    EXPECT_FALSE(plug(a, "output").isDestination());
    EXPECT_TRUE(values[0].isDestination());
    // Connections are on the element, not on the array.
    EXPECT_FALSE(values.isConnected());
    MPlugArray ofNode;
    MFnDependencyNode(s).getConnections(ofNode);
    ASSERT_EQ(ofNode.length(), 1u);
    EXPECT_EQ(ofNode[0].name(), "s.values[3]");
}

class Built : public MPxNode {
public:
    static void* creator() { return new Built; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        trigger = n.create("trigger", "tr", MFnNumericData::kInt, 0);
        out = n.create("out", "o", MFnNumericData::kShort, 0);
        n.setArray(true);
        n.setWritable(false);
        ratio = n.create("ratio", "ra", MFnNumericData::kFloat, 0.0);
        addAttribute(trigger);
        addAttribute(out);
        addAttribute(ratio);
        attributeAffects(trigger, out);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != out) return MS::kUnknownParameter;
        // A builder of its own, handed to the output afterwards.
        const int n = block.inputValue(trigger).asInt();
        MArrayDataBuilder builder(out, n);
        for (int i = 0; i < n; ++i) builder.addLast().set(static_cast<short>(10 * i));
        if (n > 1) builder.removeElement(0);
        MArrayDataHandle handle = block.outputArrayValue(out);
        MStatus status = handle.set(builder);
        // A float input read as an int: the value converts, the input stays.
        ratioAsInt = block.inputValue(ratio).asInt();
        return status;
    }
    int ratioAsInt = 0;
    static inline MObject trigger, out, ratio;
};

TEST_F(Api, StandaloneBuildersNumericConversionsSelectionStringsAndCommandResults) {
    ASSERT_TRUE(registerOnce("graphBuilt", 0x7e0050, Built::creator, Built::initialize,
                             MPxNode::kDependNode, MFn::kInvalid));
    MObject node = create("graphBuilt", "b");
    plug(node, "ratio").setValue(2.7f);
    plug(node, "trigger").setValue(4);
    std::vector<unsigned int> indices;
    plugNamed("b.out").evaluateNumElements();
    plug(node, "out").getExistingArrayAttributeIndices(indices);
    EXPECT_EQ(indices, (std::vector<unsigned int>{1, 2, 3}));
    EXPECT_EQ(plugNamed("b.out[3]").asShort(), 30);
    EXPECT_EQ(user<Built>(node).ratioAsInt, 3);
    EXPECT_FLOAT_EQ(plug(node, "ratio").asFloat(), 2.7f);

    // A builder for something that is not an array fails.
    MStatus status;
    MArrayDataBuilder bad(Built::trigger, 2, &status);
    EXPECT_FALSE(status);
    EXPECT_FALSE(bad.addLast(&status).isNumeric());
    EXPECT_FALSE(status);

    create("graphAdder", "first");
    MSelectionList list;
    ASSERT_TRUE(MGlobal::getSelectionListByName("first", list));
    ASSERT_TRUE(list.add("first.output"));
    MStringArray strings;
    list.getSelectionStrings(strings);
    ASSERT_EQ(strings.length(), 2u);
    EXPECT_EQ(strings[0], "first");
    EXPECT_EQ(strings[1], "first.output");

    MCommandResult empty;
    EXPECT_EQ(empty.resultType(), MCommandResult::kInvalid);
    int number = 0;
    EXPECT_FALSE(empty.getResult(number));

    // Commands run through the interpreter and hand their results back.
    MString made;
    ASSERT_TRUE(MGlobal::executeCommand("createNode graphAdder -n viaCommand", made));
    EXPECT_EQ(made, "viaCommand");
    EXPECT_FALSE(zt::host::findNode("viaCommand").isNull());
    MCommandResult listed;
    ASSERT_TRUE(MGlobal::executeCommand("ls -type graphAdder", listed));
    EXPECT_EQ(listed.resultType(), MCommandResult::kStringArray);
    MStringArray names;
    ASSERT_TRUE(listed.getResult(names));
    ASSERT_EQ(names.length(), 2u);
    EXPECT_EQ(names[1], "viaCommand");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(MGlobal::executeCommand("noSuchCommandAnywhere"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("noSuchCommandAnywhere"),
              std::string::npos);
}

}  // namespace
}  // namespace graphtest
