#pragma once
// Small node types for the graph tests, registered as host types once per
// test program, and a fixture that starts each test in a new scene.

#include <gtest/gtest.h>
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>

#include <string>
#include <vector>

#include "host/src/graph/messages.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/scene.h"
#include "host/src/hostInit.h"

namespace graphtest {

// output = input + offset. With `fail` set, compute writes a bogus output
// and then fails, so a test can see that the write did not stick.
class Adder : public MPxNode {
public:
    static void* creator() { return new Adder; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        input = n.create("input", "in", MFnNumericData::kDouble, 0.0);
        offset = n.create("offset", "of", MFnNumericData::kDouble, 0.0);
        fail = n.create("fail", "fl", MFnNumericData::kBoolean, 0);
        output = n.create("output", "out", MFnNumericData::kDouble, 0.0);
        n.setWritable(false);
        n.setStorable(false);
        for (MObject* a : {&input, &offset, &fail, &output}) addAttribute(*a);
        for (MObject* a : {&input, &offset, &fail}) attributeAffects(*a, output);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != output) return MS::kUnknownParameter;
        ++computeCount;
        const double sum = block.inputValue(input).asDouble() + block.inputValue(offset).asDouble();
        const bool failing = block.inputValue(fail).asBool();
        MDataHandle out = block.outputValue(output);
        out.set(failing ? -999.0 : sum);
        block.setClean(plug);
        return failing ? MS::kFailure : MS::kSuccess;
    }
    int computeCount = 0;
    static inline MObject input, offset, fail, output;
};

// outPos = 2 * pos: pos is built from three named children (posX...),
// outPos is a k3Double (children outPos0...). Records every plug compute was
// asked for; children are left to the parent.
class Doubler : public MPxNode {
public:
    static void* creator() { return new Doubler; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        MObject x = n.create("posX", "px", MFnNumericData::kDouble, 0.0);
        MObject y = n.create("posY", "py", MFnNumericData::kDouble, 0.0);
        MObject z = n.create("posZ", "pz", MFnNumericData::kDouble, 0.0);
        pos = n.create("pos", "p", x, y, z);
        outPos = n.create("outPos", "op", MFnNumericData::k3Double, 0.0);
        n.setWritable(false);
        addAttribute(pos);
        addAttribute(outPos);
        attributeAffects(pos, outPos);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        asked.push_back(plug.name().asChar());
        if (plug != outPos) return MS::kUnknownParameter;
        const double3& in = block.inputValue(pos).asDouble3();
        block.outputValue(outPos).set(2 * in[0], 2 * in[1], 2 * in[2]);
        block.setClean(plug);
        return MS::kSuccess;
    }
    std::vector<std::string> asked;
    static inline MObject pos, outPos;
};

// sum = sum of values[]; doubled[i] = 2 * values[i] for every element.
class Summer : public MPxNode {
public:
    static void* creator() { return new Summer; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        values = n.create("values", "v", MFnNumericData::kDouble, 0.0);
        n.setArray(true);
        sum = n.create("sum", "s", MFnNumericData::kDouble, 0.0);
        n.setWritable(false);
        doubled = n.create("doubled", "d", MFnNumericData::kDouble, 0.0);
        n.setArray(true);
        n.setWritable(false);
        n.setUsesArrayDataBuilder(true);
        for (MObject* a : {&values, &sum, &doubled}) addAttribute(*a);
        attributeAffects(values, sum);
        attributeAffects(values, doubled);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        MArrayDataHandle in = block.inputArrayValue(values);
        if (plug == sum) {
            double total = 0;
            visited.clear();
            for (unsigned int i = 0; i < in.elementCount(); ++i, in.next()) {
                visited.push_back(in.elementIndex());
                total += in.inputValue().asDouble();
            }
            block.outputValue(sum).set(total);
            block.setClean(plug);
            return MS::kSuccess;
        }
        if (plug == doubled) {
            MArrayDataHandle out = block.outputArrayValue(doubled);
            MArrayDataBuilder builder = out.builder();
            for (unsigned int i = 0; i < in.elementCount(); ++i, in.next())
                builder.addElement(in.elementIndex()).set(2 * in.inputValue().asDouble());
            out.set(builder);
            block.setClean(plug);
            return MS::kSuccess;
        }
        return MS::kUnknownParameter;
    }
    std::vector<unsigned int> visited;
    static inline MObject values, sum, doubled;
};

// outPoints = inPoints plus a "tag" int channel holding `tag`.
class Tagger : public MPxNode {
public:
    static void* creator() { return new Tagger; }
    static MStatus initialize() {
        MFnTypedAttribute t;
        inPoints = t.create("inPoints", "ip", MFnData::kDynArrayAttrs);
        outPoints = t.create("outPoints", "op", MFnData::kDynArrayAttrs);
        t.setWritable(false);
        MFnNumericAttribute n;
        tag = n.create("tag", "tg", MFnNumericData::kInt, 0);
        for (MObject* a : {&inPoints, &outPoints, &tag}) addAttribute(*a);
        attributeAffects(inPoints, outPoints);
        attributeAffects(tag, outPoints);
        return MS::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& block) override {
        if (plug != outPoints) return MS::kUnknownParameter;
        MFnArrayAttrsData out;
        MObject data = out.create();
        MFnArrayAttrsData in(block.inputValue(inPoints).data());
        MStringArray names = in.list();
        for (unsigned int i = 0; i < names.length(); ++i)
            out.intArray(names[i]).copy(in.getIntData(names[i]));
        out.intArray("tag").append(block.inputValue(tag).asInt());
        block.outputValue(outPoints).set(data);
        block.setClean(plug);
        return MS::kSuccess;
    }
    static inline MObject inPoints, outPoints, tag;
};

// Renames itself as it is created.
class SelfNaming : public MPxNode {
public:
    static void* creator() { return new SelfNaming; }
    void postConstructor() override { MFnDependencyNode(thisMObject()).setName("renamedNode#"); }
};

// A shape: created under a new transform when no parent is given.
class Shape : public MPxNode {
public:
    static void* creator() { return new Shape; }
};

// A compound array whose elements hold a child value, for plug names.
class Lister : public MPxNode {
public:
    static void* creator() { return new Lister; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        itemValue = n.create("itemValue", "iv", MFnNumericData::kFloat, 0.0);
        MFnCompoundAttribute c;
        items = c.create("items", "it");
        c.addChild(itemValue);
        c.setArray(true);
        limited = n.create("limited", "lim", MFnNumericData::kDouble, 5.0);
        n.setMin(0.0);
        n.setMax(10.0);
        n.setSoftMax(3.0);
        count = n.create("count", "cnt", MFnNumericData::kInt, 0);
        flag = n.create("flag", "fg", MFnNumericData::kBoolean, 0);
        for (MObject* a : {&items, &limited, &count, &flag}) addAttribute(*a);
        return MS::kSuccess;
    }
    static inline MObject items, itemValue, limited, count, flag;
};

// Registers a test node type unless it exists already (types outlive scenes).
inline bool registerOnce(const char* name, unsigned int id, MCreatorFunction creator,
                         MInitializeFunction initialize = nullptr,
                         MPxNode::Type kind = MPxNode::kDependNode,
                         MFn::Type apiType = MFn::kPluginDependNode) {
    return zt::host::nodeTypeExists(name) ||
           zt::host::registerBuiltinNodeType(name, MTypeId(id), creator, initialize, kind, apiType);
}

inline void registerTestTypes() {
    registerOnce("graphAdder", 0x7e0001, Adder::creator, Adder::initialize);
    registerOnce("graphDoubler", 0x7e0002, Doubler::creator, Doubler::initialize);
    registerOnce("graphSummer", 0x7e0003, Summer::creator, Summer::initialize);
    registerOnce("graphTagger", 0x7e0004, Tagger::creator, Tagger::initialize);
    registerOnce("graphSelfNaming", 0x7e0005, SelfNaming::creator);
    registerOnce("graphShape", 0x7e0006, Shape::creator, nullptr, MPxNode::kSurfaceShape,
                 MFn::kPluginShape);
    registerOnce("graphLister", 0x7e0007, Lister::creator, Lister::initialize);
}

// The node object behind a node of a test type.
template <class T>
T& user(const MObject& node) {
    return *dynamic_cast<T*>(MFnDependencyNode(node).userNode());
}

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        zt::host::startHost();
        registerTestTypes();
        zt::host::newScene();
    }

    static MObject create(const std::string& type, const std::string& name = "") {
        MStatus status;
        MObject node = zt::host::createNode(type, name, MObject::kNullObj, &status);
        EXPECT_TRUE(status) << "creating a " << type;
        return node;
    }
    static MPlug plug(const MObject& node, const char* attr) {
        return MFnDependencyNode(node).findPlug(attr);
    }
    static MPlug plugNamed(const std::string& text) {
        MPlug result;
        EXPECT_TRUE(zt::host::plugFromString(text, result)) << text;
        return result;
    }
    static MStatus connect(const MPlug& from, const MPlug& to) {
        return zt::host::connectPlugs(from, to);
    }
};

}  // namespace graphtest
