// Node kinds and graph editing: what emitter, deformer and transform types
// inherit, modifiers, dirty hooks, disconnect behaviour, string outputs of
// failing computes and deep chains.

#include <maya/MDGModifier.h>
#include <maya/MDagModifier.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPxDeformerNode.h>
#include <maya/MPxEmitterNode.h>

#include <cmath>

#include "test_graphNodes.h"

namespace graphtest {
namespace {

class Emitter : public MPxEmitterNode {
public:
    static void* creator() { return new Emitter; }
};

class Deformer : public MPxDeformerNode {
public:
    static void* creator() { return new Deformer; }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug.attribute() != outputGeom) return MS::kUnknownParameter;
        lastWeight = weightValue(block, 0, 3);
        return MS::kSuccess;
    }
    float lastWeight = -1.0f;
};

// Adds its "mirror" plug to whatever "source" dirties, without declaring it.
class Hooked : public MPxNode {
public:
    static void* creator() { return new Hooked; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        source = n.create("source", "src", MFnNumericData::kDouble, 0.0);
        mirror = n.create("mirror", "mir", MFnNumericData::kDouble, 0.0);
        n.setWritable(false);
        MFnEnumAttribute e;
        mode = e.create("mode", "md", 1);
        e.addField("off", 0);
        e.addField("on", 1);
        MFnUnitAttribute u;
        when = u.create("when", "wh", MTime(2.0, MTime::kSeconds));
        items = n.create("items", "its", MFnNumericData::kDouble, 0.0);
        n.setArray(true);
        n.setDisconnectBehavior(MFnAttribute::kDelete);
        for (MObject* a : {&source, &mirror, &mode, &when, &items}) addAttribute(*a);
        return MS::kSuccess;
    }
    MStatus setDependentsDirty(const MPlug& plug, MPlugArray& affected) override {
        if (plug == source) affected.append(MPlug(thisMObject(), mirror));
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != mirror) return MS::kUnknownParameter;
        ++computeCount;
        block.outputValue(mirror).set(-block.inputValue(source).asDouble());
        return MS::kSuccess;
    }
    int computeCount = 0;
    static inline MObject source, mirror, mode, when, items;
};

// outText = inText + "!", written through the output's string reference.
class Appender : public MPxNode {
public:
    static void* creator() { return new Appender; }
    static MStatus initialize() {
        MFnTypedAttribute t;
        inText = t.create("inText", "it", MFnData::kString);
        outText = t.create("outText", "ot", MFnData::kString);
        t.setWritable(false);
        MFnNumericAttribute n;
        fail = n.create("fail", "fl", MFnNumericData::kBoolean, 0);
        for (MObject* a : {&inText, &outText, &fail}) addAttribute(*a);
        attributeAffects(inText, outText);
        attributeAffects(fail, outText);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != outText) return MS::kUnknownParameter;
        MDataHandle out = block.outputValue(outText);
        out.copy(block.inputValue(inText));
        out.asString() += "!";
        return block.inputValue(fail).asBool() ? MS::kFailure : MS::kSuccess;
    }
    static inline MObject inText, outText, fail;
};

// total += step each time it is computed: compute reads its own output.
class Accumulator : public MPxNode {
public:
    static void* creator() { return new Accumulator; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        step = n.create("step", "st", MFnNumericData::kDouble, 0.0);
        total = n.create("total", "tt", MFnNumericData::kDouble, 0.0);
        n.setWritable(false);
        addAttribute(step);
        addAttribute(total);
        attributeAffects(step, total);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != total) return MS::kUnknownParameter;
        const double previous = block.inputValue(total).asDouble();
        block.outputValue(total).set(previous + block.inputValue(step).asDouble());
        return MS::kSuccess;
    }
    static inline MObject step, total;
};

class Kinds : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        ASSERT_TRUE(registerOnce("graphEmitter", 0x7e0040, Emitter::creator, nullptr,
                                 MPxNode::kEmitterNode, MFn::kInvalid));
        ASSERT_TRUE(registerOnce("graphDeformer", 0x7e0041, Deformer::creator, nullptr,
                                 MPxNode::kDeformerNode, MFn::kInvalid));
        ASSERT_TRUE(registerOnce("graphHooked", 0x7e0042, Hooked::creator, Hooked::initialize));
        ASSERT_TRUE(registerOnce("graphAccumulator", 0x7e0044, Accumulator::creator,
                                 Accumulator::initialize));
        ASSERT_TRUE(
            registerOnce("graphAppender", 0x7e0043, Appender::creator, Appender::initialize));
    }
};

TEST_F(Kinds, EmittersAndDeformersHaveTheirStandardAttributes) {
    MObject holder = create("transform", "holder");
    MObject emitter = zt::host::createNode("graphEmitter", "emit", holder);
    ASSERT_FALSE(emitter.isNull());
    EXPECT_EQ(emitter.apiType(), MFn::kPluginEmitterNode);
    EXPECT_TRUE(emitter.hasFn(MFn::kTransform));
    EXPECT_TRUE(emitter.hasFn(MFn::kEmitter));
    EXPECT_DOUBLE_EQ(plug(emitter, "rate").asDouble(), 100.0);
    EXPECT_TRUE(plug(emitter, "output").isArray());
    EXPECT_TRUE(MFnDependencyNode(emitter).attribute("worldMatrix") ==
                MPxEmitterNode::mWorldMatrix);

    plugNamed("holder.ty").setValue(3.0);
    plugNamed("emit.tx").setValue(2.0);
    const MPoint where = user<Emitter>(emitter).getWorldPosition();
    EXPECT_DOUBLE_EQ(where.x, 2.0);
    EXPECT_DOUBLE_EQ(where.y, 3.0);
    // Emitters are created alone, not under a new transform.
    MObject alone = create("graphEmitter");
    EXPECT_EQ(MFnDagNode(alone).parentCount(), 0u);

    MObject deformer = create("graphDeformer", "def");
    EXPECT_TRUE(deformer.hasFn(MFn::kGeometryFilt));
    EXPECT_EQ(plugNamed("def.input[2].inputGeometry").name(), "def.input[2].inputGeometry");
    EXPECT_EQ(plugNamed("def.ip[0].gi").name(), "def.input[0].groupId");
    MPlug envelope = plug(deformer, "envelope");
    EXPECT_FLOAT_EQ(envelope.asFloat(), 1.0f);
    envelope.setValue(4.0);
    EXPECT_FLOAT_EQ(envelope.asFloat(), 1.0f);

    // Weights read 1 where nothing is set, the value where one is.
    plugNamed("def.outputGeometry[0]").asMObject();
    EXPECT_FLOAT_EQ(user<Deformer>(deformer).lastWeight, 1.0f);
    plugNamed("def.weightList[0].weights[3]").setValue(0.25);
    plugNamed("def.outputGeometry[0]").asMObject();
    EXPECT_FLOAT_EQ(user<Deformer>(deformer).lastWeight, 0.25f);
}

TEST_F(Kinds, ModifiersQueueEditsUntilDoItAndUndoThem) {
    MObject a = create("graphAdder", "a");
    MDagModifier modifier;
    MStatus status;
    MObject b = modifier.createNode("graphAdder", MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    // Created at once, so it can take part in queued edits.
    EXPECT_FALSE(zt::host::listNodes("graphAdder").size() < 2);
    ASSERT_TRUE(modifier.connect(plug(a, "output"), plug(b, "input")));
    ASSERT_TRUE(modifier.renameNode(b, "renamed"));
    ASSERT_TRUE(modifier.newPlugValueDouble(plug(a, "input"), 6.0));
    EXPECT_FALSE(plug(b, "input").isConnected());
    ASSERT_TRUE(modifier.doIt());
    EXPECT_TRUE(plug(b, "input").isConnected());
    EXPECT_EQ(MFnDependencyNode(b).name(), "renamed");
    EXPECT_DOUBLE_EQ(plug(b, "output").asDouble(), 6.0);

    // A shape made through the modifier comes with its transform.
    MObject transform = modifier.createNode("graphShape", MObject::kNullObj, &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(transform.hasFn(MFn::kTransform));
    MObject holder = create("transform", "holder");
    ASSERT_TRUE(modifier.reparentNode(transform, holder));
    ASSERT_TRUE(modifier.doIt());
    EXPECT_EQ(MFnDagNode(holder).childCount(), 1u);

    ASSERT_TRUE(modifier.undoIt());
    EXPECT_TRUE(zt::host::findNode("renamed").isNull());
    EXPECT_TRUE(zt::host::listNodes("graphShape").empty());
    EXPECT_DOUBLE_EQ(plug(a, "input").asDouble(), 0.0);
    EXPECT_EQ(MFnDagNode(holder).childCount(), 0u);

    // doIt stops at the first failing edit.
    MDGModifier failing;
    MObject c = failing.createNode("graphAdder");
    ASSERT_TRUE(failing.connect(plug(a, "output"), plug(c, "output")));
    ASSERT_TRUE(failing.renameNode(c, "neverApplied"));
    EXPECT_FALSE(failing.doIt());
    EXPECT_TRUE(zt::host::findNode("neverApplied").isNull());
}

TEST_F(Kinds, SetDependentsDirtyEnumTimeAndDisconnectBehaviour) {
    MObject node = create("graphHooked", "h");
    // setDependentsDirty adds plugs to what is dirtied.
    plug(node, "source").setValue(2.0);
    EXPECT_DOUBLE_EQ(plug(node, "mirror").asDouble(), -2.0);
    plug(node, "source").setValue(5.0);
    EXPECT_DOUBLE_EQ(plug(node, "mirror").asDouble(), -5.0);
    EXPECT_EQ(user<Hooked>(node).computeCount, 2);

    EXPECT_EQ(plug(node, "mode").asShort(), 1);
    MFnEnumAttribute modes(Hooked::mode);
    EXPECT_EQ(modes.fieldName(0), "off");
    EXPECT_EQ(modes.fieldIndex("on"), 1);
    EXPECT_FALSE(modes.addField("on", 2));

    // Time values read in the current time unit.
    EXPECT_DOUBLE_EQ(plug(node, "when").asMTime().as(MTime::kSeconds), 2.0);
    EXPECT_DOUBLE_EQ(plug(node, "when").asDouble(),
                     MTime(2.0, MTime::kSeconds).as(MTime::uiUnit()));

    // kDelete: the element goes away with its connection.
    MObject a = create("graphAdder", "a");
    ASSERT_TRUE(connect(plug(a, "output"), plugNamed("h.items[4]")));
    EXPECT_EQ(plug(node, "items").numElements(), 1u);
    ASSERT_TRUE(zt::host::disconnectPlugs(plug(a, "output"), plugNamed("h.items[4]")));
    EXPECT_EQ(plug(node, "items").numElements(), 0u);
}

TEST_F(Kinds, StringOutputsOfFailingComputesStayAndAComputeMayReadItsOwnOutput) {
    MObject node = create("graphAppender", "app");
    ASSERT_TRUE(plug(node, "inText").setValue("go"));
    EXPECT_EQ(plug(node, "outText").asString(), "go!");

    plug(node, "fail").setValue(true);
    ASSERT_TRUE(plug(node, "inText").setValue("stop"));
    EXPECT_EQ(plug(node, "outText").asString(), "go!");
    // The copy the node wrote into was its own: the input is untouched.
    EXPECT_EQ(plug(node, "inText").asString(), "stop");

    plug(node, "fail").setValue(false);
    EXPECT_EQ(plug(node, "outText").asString(), "stop!");
    EXPECT_EQ(plug(node, "inText").asString(), "stop");

    // A compute may read its own output without a cycle.
    MObject acc = create("graphAccumulator", "acc");
    zt::host::MessageCapture capture;
    plug(acc, "step").setValue(1.0);
    EXPECT_DOUBLE_EQ(plug(acc, "total").asDouble(), 1.0);
    plug(acc, "step").setValue(2.0);
    EXPECT_DOUBLE_EQ(plug(acc, "total").asDouble(), 3.0);
    EXPECT_DOUBLE_EQ(plug(acc, "total").asDouble(), 3.0);
    EXPECT_TRUE(capture.messages().empty());
}

TEST_F(Kinds, LongChainsEvaluateAndOverlongOnesAreRefused) {
    auto chain = [](int length) {
        MObject first = zt::host::createNode("graphAdder");
        MObject previous = first;
        for (int i = 1; i < length; ++i) {
            MObject next = zt::host::createNode("graphAdder");
            MFnDependencyNode(next).findPlug("offset").setValue(1.0);
            zt::host::connectPlugs(MFnDependencyNode(previous).findPlug("output"),
                                   MFnDependencyNode(next).findPlug("input"));
            previous = next;
        }
        return std::make_pair(first, previous);
    };
    auto [first, last] = chain(300);
    plug(first, "input").setValue(0.5);
    EXPECT_DOUBLE_EQ(plug(last, "output").asDouble(), 299.5);

    zt::host::newScene();
    auto [start, end] = chain(3000);
    zt::host::MessageCapture capture;
    // The nodes nearest the read still compute, from the values they have.
    EXPECT_TRUE(std::isfinite(plug(end, "output").asDouble()));
    EXPECT_TRUE(capture.contains(zt::host::MessageKind::kError, "nested too deeply"));
    EXPECT_FALSE(start.isNull());
}

}  // namespace
}  // namespace graphtest
