// Data values and handles: array-attrs channels, typed, matrix and numeric
// compound values through plugs, data handle references, array handles,
// command arguments and messages.

#include <maya/MArgList.h>
#include <maya/MComputation.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFnVectorArrayData.h>

#include "test_graphNodes.h"

namespace graphtest {
namespace {

TEST(ArrayAttrsData, ChannelsAliasTheirStorageAndOtherDataFunctionSets) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    EXPECT_EQ(data.apiType(), MFn::kDynArrayAttrsData);
    EXPECT_EQ(fn.count(), 0u);

    MVectorArray position = fn.vectorArray("position");
    position.append(MVector(1, 2, 3));
    position.append(MVector(4, 5, 6));
    fn.intArray("id").append(7);
    fn.doubleArray("weight").append(0.5);

    // The arrays handed out are the channels themselves.
    MStatus status;
    MVectorArray again = fn.getVectorData("position", &status);
    ASSERT_TRUE(status);
    ASSERT_EQ(again.length(), 2u);
    EXPECT_EQ(again[1], MVector(4, 5, 6));
    again[0] = MVector(9, 9, 9);
    EXPECT_EQ(fn.vectorArray("position")[0], MVector(9, 9, 9));
    MVectorArray replacement(1, MVector(0, 1, 0));
    position.copy(replacement);
    EXPECT_EQ(fn.getVectorData("position").length(), 1u);

    MStringArray names = fn.list();
    ASSERT_EQ(names.length(), 3u);
    EXPECT_EQ(names[0], "position");
    EXPECT_EQ(names[1], "id");
    EXPECT_EQ(names[2], "weight");

    // Reading a channel as another type fails and creates nothing.
    MIntArray wrong = fn.getIntData("position", &status);
    EXPECT_EQ(status.statusCode(), MStatus::kFailure);
    EXPECT_EQ(wrong.length(), 0u);
    fn.getDoubleData("missing", &status);
    EXPECT_EQ(status.statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.count(), 3u);

    MFnArrayAttrsData::Type type = MFnArrayAttrsData::kInvalid;
    EXPECT_TRUE(fn.checkArrayExist("id", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kIntArray);
    EXPECT_FALSE(fn.checkArrayExist("triId", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kInvalid);

    // Asking for a name with another type replaces that channel in place.
    MDoubleArray asDoubles = fn.doubleArray("position");
    EXPECT_EQ(asDoubles.length(), 0u);
    EXPECT_TRUE(fn.checkArrayExist("position", type));
    EXPECT_EQ(type, MFnArrayAttrsData::kDoubleArray);
    EXPECT_EQ(fn.list()[0], "position");
    EXPECT_EQ(fn.count(), 3u);

    ASSERT_TRUE(fn.clear());
    EXPECT_EQ(fn.count(), 0u);
    // A function set on something else refuses.
    MFnArrayAttrsData wrongObject(MFnStringData().create("text"), &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(wrongObject.list().length(), 0u);

    MFnVectorArrayData vectors;
    MObject object = vectors.create(MVectorArray(2, MVector(1, 1, 1)));
    MVectorArray alias = vectors.array();
    alias.append(MVector(2, 2, 2));
    EXPECT_EQ(vectors.length(), 3u);
    EXPECT_EQ(MFnVectorArrayData(object)[2], MVector(2, 2, 2));
    // Past the end, or with nothing attached, indexing touches no storage.
    vectors[7] = MVector(5, 5, 5);
    EXPECT_EQ(vectors.length(), 3u);
    EXPECT_EQ(vectors[7], MVector::zero);
    MFnVectorArrayData unattached;
    EXPECT_EQ(unattached[0], MVector::zero);
    EXPECT_EQ(unattached.length(), 0u);

    MMatrix m;
    m[3][1] = 4.0;
    MFnMatrixData matrices;
    MObject matrix = matrices.create(m);
    EXPECT_DOUBLE_EQ(MFnMatrixData(matrix).matrix()(3, 1), 4.0);

    MFnNumericData numbers;
    MObject triple = numbers.create(MFnNumericData::k3Float);
    ASSERT_TRUE(numbers.setData(1.0f, 2.0f, 3.0f));
    float x = 0, y = 0, z = 0;
    ASSERT_TRUE(MFnNumericData(triple).getData(x, y, z));
    EXPECT_FLOAT_EQ(y, 2.0f);
    double a = 0, b = 0;
    EXPECT_FALSE(MFnNumericData(triple).getData(a, b));
}

using Values = GraphTest;

class Typed : public MPxNode {
public:
    static void* creator() { return new Typed; }
    static MStatus initialize() {
        MFnTypedAttribute t;
        label = t.create("label", "lb", MFnData::kString, MFnStringData().create("none"));
        MFnMatrixAttribute m;
        frame = m.create("frame", "fr");
        MFnNumericAttribute n;
        point = n.createPoint("point", "pt");
        n.setDefault(1.0f, 2.0f, 3.0f);
        for (MObject* attr : {&label, &frame, &point}) addAttribute(*attr);
        return MS::kSuccess;
    }
    static inline MObject label, frame, point;
};

// Checks data handle references from inside a compute.
class Probe : public MPxNode {
public:
    static void* creator() { return new Probe; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        vec = n.create("vec", "vc", MFnNumericData::k3Double, 0.0);
        fvec = n.createPoint("fvec", "fv");
        items = n.create("items", "it", MFnNumericData::kInt, 0);
        n.setArray(true);
        out = n.create("out", "o", MFnNumericData::kDouble, 0.0);
        n.setWritable(false);
        for (MObject* a : {&vec, &fvec, &items, &out}) addAttribute(*a);
        attributeAffects(vec, out);
        attributeAffects(items, out);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != out) return MS::kUnknownParameter;
        MDataHandle v = block.outputValue(vec);
        // asVector and asDouble3 are the same three numbers.
        v.asVector().y = 5.0;
        sharedTriple = v.asDouble3()[1] == 5.0;
        v.asDouble3()[2] = 6.0;
        sharedVector = v.asVector().z == 6.0;
        MDataHandle child = v.child(MFnNumericAttribute(vec).child(2));
        childSeesParent = child.asDouble() == 6.0;
        MDataHandle f = block.outputValue(fvec);
        f.asFloat3()[0] = 1.5f;
        floatShared = f.asFloatVector().x == 1.5f;

        MArrayDataHandle array = block.inputArrayValue(items);
        order.clear();
        do {
            order.push_back(static_cast<int>(array.elementIndex()));
        } while (array.next());
        jumpToMissingFails = !array.jumpToElement(1);
        jumpedValue = array.jumpToElement(4) ? array.inputValue().asInt() : -1;
        block.outputValue(out).set(v.asVector().y + v.asVector().z);
        block.setClean(plug);
        return MS::kSuccess;
    }
    bool sharedTriple = false, sharedVector = false, childSeesParent = false;
    bool floatShared = false, jumpToMissingFails = false;
    int jumpedValue = 0;
    std::vector<int> order;
    static inline MObject vec, fvec, items, out;
};

TEST_F(Values, TypedMatrixAndCompoundValuesGoThroughPlugsAndHandlesReferToThem) {
    ASSERT_TRUE(registerOnce("graphTyped", 0x7e0030, Typed::creator, Typed::initialize));
    MObject node = create("graphTyped", "n");
    EXPECT_EQ(plug(node, "label").asString(), "none");
    ASSERT_TRUE(plug(node, "label").setValue("changed"));
    EXPECT_EQ(plug(node, "label").asString(), "changed");
    // A string plug takes string data and nothing else.
    EXPECT_TRUE(plug(node, "label").setValue(MFnStringData().create("again")));
    EXPECT_FALSE(plug(node, "label").setValue(MFnArrayAttrsData().create()));
    EXPECT_FALSE(plug(node, "label").setValue(3.0));

    MObject identity;
    ASSERT_TRUE(plug(node, "frame").getValue(identity));
    EXPECT_TRUE(MFnMatrixData(identity).matrix().isEquivalent(MMatrix::identity));
    MMatrix moved;
    moved[3][2] = -5.0;
    ASSERT_TRUE(plug(node, "frame").setValue(MFnMatrixData().create(moved)));
    MObject back;
    plug(node, "frame").getValue(back);
    EXPECT_DOUBLE_EQ(MFnMatrixData(back).matrix()(3, 2), -5.0);

    EXPECT_FLOAT_EQ(plugNamed("n.pointY").asFloat(), 2.0f);
    MObject numbers;
    ASSERT_TRUE(plug(node, "point").getValue(numbers));
    float x = 0, y = 0, z = 0;
    MFnNumericData(numbers).getData(x, y, z);
    EXPECT_FLOAT_EQ(z, 3.0f);
    MFnNumericData replacement;
    MObject replaced = replacement.create(MFnNumericData::k3Float);
    replacement.setData(7.0f, 8.0f, 9.0f);
    ASSERT_TRUE(plug(node, "point").setValue(replaced));
    EXPECT_FLOAT_EQ(plugNamed("n.pointX").asFloat(), 7.0f);

    // Data handles refer to the stored values.
    ASSERT_TRUE(registerOnce("graphProbe", 0x7e0031, Probe::creator, Probe::initialize));
    MObject p = create("graphProbe", "p");
    plugNamed("p.items[8]").setValue(80);
    plugNamed("p.items[4]").setValue(40);
    plugNamed("p.items[6]").setValue(60);
    EXPECT_DOUBLE_EQ(plug(p, "out").asDouble(), 11.0);
    const Probe& probe = user<Probe>(p);
    EXPECT_TRUE(probe.sharedTriple);
    EXPECT_TRUE(probe.sharedVector);
    EXPECT_TRUE(probe.childSeesParent);
    EXPECT_TRUE(probe.floatShared);
    EXPECT_TRUE(probe.jumpToMissingFails);
    EXPECT_EQ(probe.jumpedValue, 40);
    EXPECT_EQ(probe.order, (std::vector<int>{4, 6, 8}));
    // The outputs written through references were kept.
    EXPECT_DOUBLE_EQ(plugNamed("p.vec1").asDouble(), 5.0);
    EXPECT_FLOAT_EQ(plugNamed("p.fvecX").asFloat(), 1.5f);
}

TEST(ArgList, TypedAccessConvertsOnlyWhereExact) {
    MArgList args;
    args.addArg(MString("42"));
    args.addArg(MString("4.5"));
    args.addArg(3);
    args.addArg(2.5);
    args.addArg(MString("-name"));
    MStatus status;
    EXPECT_EQ(args.asInt(0, &status), 42);
    EXPECT_TRUE(status);
    EXPECT_EQ(args.asInt(1, &status), 0);
    EXPECT_FALSE(status);
    EXPECT_DOUBLE_EQ(args.asDouble(1, &status), 4.5);
    EXPECT_TRUE(status);
    EXPECT_DOUBLE_EQ(args.asDouble(2), 3.0);
    EXPECT_EQ(args.asInt(3, &status), 0);
    EXPECT_FALSE(status);
    EXPECT_EQ(args.asString(3), "2.5");
    // Past the end: failure and zero.
    EXPECT_EQ(args.asInt(5, &status), 0);
    EXPECT_FALSE(status);
    EXPECT_EQ(args.flagIndex("n", "name"), 4u);
    EXPECT_EQ(args.flagIndex("x"), MArgList::kInvalidArgIndex);
}

TEST(Messages, GoToTheirStreamsWithTheHostsPrefixes) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    MGlobal::displayError("broken thing");
    MGlobal::displayWarning("odd thing");
    MGlobal::displayInfo("plain thing");
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "// Error: broken thing\n// Warning: odd thing\n");
    EXPECT_EQ(out, "plain thing\n");

    zt::host::MessageCapture capture;
    MGlobal::displayError("captured");
    MGlobal::displayWarning("too");
    EXPECT_EQ(capture.texts(zt::host::MessageKind::kError), std::vector<std::string>{"captured"});
    EXPECT_EQ(capture.messages().size(), 2u);
}

TEST(Computation, InterruptsAreSeenUntilTheOutermostComputationEnds) {
    MComputation command;
    command.beginComputation();
    EXPECT_FALSE(command.isInterruptRequested());
    zt::host::requestInterrupt();
    {
        // A node computing for the command still sees the request.
        MComputation node;
        node.beginComputation();
        EXPECT_TRUE(node.isInterruptRequested());
        node.endComputation();
        node.endComputation();  // a second end changes nothing
        MComputation left;      // begun and left to its destructor
        left.beginComputation();
        EXPECT_TRUE(left.isInterruptRequested());
    }
    EXPECT_TRUE(command.isInterruptRequested());
    command.endComputation();
    // Nothing runs now: the next computation is the outermost again.
    MComputation next;
    next.beginComputation();
    EXPECT_FALSE(next.isInterruptRequested());
    next.endComputation();
}

}  // namespace
}  // namespace graphtest
