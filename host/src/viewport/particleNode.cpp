#include "viewport/particleNode.h"

#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MGL.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxEmitterNode.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>

#include "commands/argHelpers.h"
#include "commands/commandRegistry.h"
#include "graph/registry.h"
#include "graph/scene.h"
#include "viewport/viewport.h"

namespace zt::host {

// 'DPRT', in the range of the host's own types.
const MTypeId ParticleNode::id(0x44505254);
MObject ParticleNode::currentTime;
MObject ParticleNode::startFrame;
MObject ParticleNode::newParticles;
MObject ParticleNode::maxCount;
MObject ParticleNode::inheritFactor;
MObject ParticleNode::isFull;
MObject ParticleNode::startTime;
MObject ParticleNode::timeStepSize;
MObject ParticleNode::outPoints;
MObject ParticleNode::count;

// ---- particle columns ------------------------------------------------------

void ParticleState::advance(double seconds) {
    for (std::size_t i = 0; i < position.size(); ++i) {
        position[i] += velocity[i] * seconds;
        age[i] += seconds;
    }
}

std::size_t ParticleState::append(const MObject& emitted, double stepSeconds, std::size_t room) {
    MStatus status;
    MFnArrayAttrsData fn(emitted, &status);
    if (!status) return 0;
    MFnArrayAttrsData::Type type;
    if (!fn.checkArrayExist("position", type) || type != MFnArrayAttrsData::kVectorArray) return 0;
    const MVectorArray p = fn.getVectorData("position");
    const unsigned int n = std::min<unsigned int>(p.length(), static_cast<unsigned int>(room));
    auto vectors = [&](const char* name) {
        return fn.checkArrayExist(name, type) && type == MFnArrayAttrsData::kVectorArray
                   ? fn.getVectorData(name)
                   : MVectorArray();
    };
    auto doubles = [&](const char* name) {
        return fn.checkArrayExist(name, type) && type == MFnArrayAttrsData::kDoubleArray
                   ? fn.getDoubleData(name)
                   : MDoubleArray();
    };
    const MVectorArray v = vectors("velocity");
    const MVectorArray c = vectors("rgbPP");
    const MDoubleArray s = doubles("timeInStep");
    const MDoubleArray o = doubles("opacityPP");
    for (unsigned int i = 0; i < n; ++i) {
        position.push_back(p[i]);
        velocity.push_back(i < v.length() ? v[i] : MVector());
        rgb.push_back(i < c.length() ? c[i] : MVector(1, 1, 1));
        opacity.push_back(i < o.length() ? o[i] : 1.0);
        age.push_back(i < s.length() ? (1.0 - s[i]) * stepSeconds : 0.0);
        id.push_back(nextId++);
    }
    return n;
}

MObject ParticleState::toPointSet() const {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray p = fn.vectorArray("position");
    MVectorArray v = fn.vectorArray("velocity");
    MVectorArray c = fn.vectorArray("rgbPP");
    MDoubleArray o = fn.doubleArray("opacityPP");
    MDoubleArray a = fn.doubleArray("age");
    MIntArray d = fn.intArray("particleId");
    const unsigned int n = static_cast<unsigned int>(size());
    p.setLength(n);
    v.setLength(n);
    c.setLength(n);
    o.setLength(n);
    a.setLength(n);
    d.setLength(n);
    for (unsigned int i = 0; i < n; ++i) {
        p[i] = position[i];
        v[i] = velocity[i];
        c[i] = rgb[i];
        o[i] = opacity[i];
        a[i] = age[i];
        d[i] = id[i];
    }
    return data;
}

// ---- the node --------------------------------------------------------------

void* ParticleNode::creator() {
    return new ParticleNode();
}

MStatus ParticleNode::initialize() {
    MStatus status;
    MFnUnitAttribute unit;
    currentTime = unit.create("currentTime", "ct", MFnUnitAttribute::kTime, 0.0, &status);
    if (!status) return status;
    startTime = unit.create("startTime", "stt", MFnUnitAttribute::kTime, 0.0, &status);
    unit.setWritable(false);
    unit.setStorable(false);
    timeStepSize = unit.create("timeStepSize", "tss", MFnUnitAttribute::kTime, 0.0, &status);
    unit.setWritable(false);
    unit.setStorable(false);

    MFnNumericAttribute numeric;
    startFrame = numeric.create("startFrame", "stf", MFnNumericData::kDouble, 1.0, &status);
    maxCount = numeric.create("maxCount", "mxc", MFnNumericData::kInt, -1, &status);
    inheritFactor = numeric.create("inheritFactor", "inh", MFnNumericData::kDouble, 0.0, &status);
    isFull = numeric.create("isFull", "ifl", MFnNumericData::kBoolean, 0, &status);
    numeric.setWritable(false);
    numeric.setStorable(false);
    count = numeric.create("count", "cnt", MFnNumericData::kInt, 0, &status);
    numeric.setWritable(false);
    numeric.setStorable(false);

    MFnTypedAttribute typed;
    newParticles =
        typed.create("newParticles", "npt", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    typed.setArray(true);
    typed.setStorable(false);
    outPoints =
        typed.create("outPoints", "opt", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    typed.setWritable(false);
    typed.setStorable(false);

    for (const MObject* attribute :
         {&currentTime, &startFrame, &newParticles, &maxCount, &inheritFactor, &isFull, &startTime,
          &timeStepSize, &outPoints, &count}) {
        status = addAttribute(*attribute);
        if (!status) return status;
    }
    for (const MObject* output : {&outPoints, &count, &isFull}) {
        for (const MObject* input : {&currentTime, &startFrame, &newParticles, &maxCount}) {
            status = attributeAffects(*input, *output);
            if (!status) return status;
        }
    }
    attributeAffects(startFrame, startTime);
    attributeAffects(currentTime, timeStepSize);
    return attributeAffects(startFrame, timeStepSize);
}

MStatus ParticleNode::compute(const MPlug& plug, MDataBlock& data) {
    const MObject attribute = plug.attribute();
    const MTime start(data.inputValue(startFrame).asDouble(), MTime::uiUnit());
    if (attribute == startTime) {
        data.outputValue(startTime).set(start);
        data.setClean(plug);
        return MS::kSuccess;
    }
    if (attribute == timeStepSize) {
        // The step the next evaluation takes: from the last stepped time (or
        // the start) to now; nothing at or before the start or going back.
        const MTime now = data.inputValue(currentTime).asTime();
        const MTime from = started_ && last_ > start ? last_ : start;
        data.outputValue(timeStepSize).set(now > from && now > start ? now - from : MTime());
        data.setClean(plug);
        return MS::kSuccess;
    }
    if (attribute == isFull) {
        // From the particles before this step: the emitters read it while
        // the step pulls their output.
        const int limit = data.inputValue(maxCount).asInt();
        data.outputValue(isFull).set(limit >= 0 &&
                                     state_.size() >= static_cast<std::size_t>(limit));
        data.setClean(plug);
        return MS::kSuccess;
    }
    if (attribute == outPoints || attribute == count) return step(plug, data);
    return MS::kUnknownParameter;
}

MStatus ParticleNode::step(const MPlug&, MDataBlock& data) {
    const MTime now = data.inputValue(currentTime).asTime();
    const MTime start(data.inputValue(startFrame).asDouble(), MTime::uiUnit());
    const int limit = data.inputValue(maxCount).asInt();
    const MString name = MFnDependencyNode(thisMObject()).name();

    // Every emitter output is read, also when nothing is added, so the
    // emitters see rewinds.
    std::vector<MObject> emitted;
    MArrayDataHandle inputs = data.inputArrayValue(newParticles);
    for (unsigned int k = 0; k < inputs.elementCount(); ++k) {
        inputs.jumpToArrayElement(k);
        emitted.push_back(inputs.inputValue().data());
    }
    if (consumed_.size() < emitted.size()) consumed_.resize(emitted.size());

    const auto frame = [](const MTime& t) { return MString() + t.as(MTime::uiUnit()); };
    if (now <= start) {
        state_.clear();
        started_ = true;
        last_ = now;
        std::fill(consumed_.begin(), consumed_.end(), MObject());
    } else {
        const MTime from = started_ && last_ > start ? last_ : start;
        if (now < from) {
            MGlobal::displayWarning(name + ": time went back from " + frame(from) + " to " +
                                    frame(now) + "; the particles stay as they were (go to the " +
                                    "start frame " + frame(start) + " to reset them)");
        } else if (now > from) {
            if ((now - from).as(MTime::uiUnit()) > 1.0 + 1e-9)
                MGlobal::displayWarning(name + ": time jumped from " + frame(from) + " to " +
                                        frame(now) + "; the particles take it as one step");
            const double seconds = (now - from).as(MTime::kSeconds);
            state_.advance(seconds);
            for (std::size_t k = 0; k < emitted.size(); ++k) {
                if (emitted[k].isNull() || emitted[k] == consumed_[k]) continue;
                const std::size_t room =
                    limit < 0 ? static_cast<std::size_t>(-1)
                              : static_cast<std::size_t>(limit) -
                                    std::min<std::size_t>(state_.size(), std::size_t(limit));
                state_.append(emitted[k], seconds, room);
                consumed_[k] = emitted[k];
            }
            started_ = true;
            last_ = now;
        }
    }

    MObject points = state_.toPointSet();
    data.outputValue(outPoints).set(points);
    data.outputValue(count).set(static_cast<int>(state_.size()));
    data.setClean(outPoints);
    data.setClean(count);
    return MS::kSuccess;
}

MStatus registerParticleNodeType() {
    return registerBuiltinNodeType(ParticleNode::kTypeName, ParticleNode::id, ParticleNode::creator,
                                   ParticleNode::initialize, MPxNode::kSurfaceShape,
                                   MFn::kParticle);
}

void stepParticleShapes() {
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kParticle)) continue;
        MPlug(node, ParticleNode::count).asInt();
    }
}

// ---- drawing ---------------------------------------------------------------

namespace {

ParticleNode* particleNodeOf(const MObject& node) {
    return dynamic_cast<ParticleNode*>(MFnDependencyNode(node).userNode());
}

}  // namespace

void drawParticleShapes(const Matrix4& worldToCamera) {
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kParticle)) continue;
        MDagPath path;
        if (MDagPath::getAPathTo(node, path) != MS::kSuccess || !isVisiblePath(path)) continue;
        MPlug(node, ParticleNode::count).asInt();  // brings the particles up to date
        const ParticleNode* shape = particleNodeOf(node);
        if (!shape) continue;
        const ParticleState& p = shape->particles();
        const Matrix4 modelView = multiply(toMatrix4(path.inclusiveMatrix()), worldToCamera);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(modelView.data());
        glPushAttrib(GL_CURRENT_BIT | GL_POINT_BIT);
        glPointSize(3.0f);
        glBegin(GL_POINTS);
        for (std::size_t i = 0; i < p.size(); ++i) {
            glColor3d(p.rgb[i].x, p.rgb[i].y, p.rgb[i].z);
            glVertex3d(p.position[i].x, p.position[i].y, p.position[i].z);
        }
        glEnd();
        glPopAttrib();
    }
}

void drawEmitters(const Matrix4& worldToCamera) {
    M3dView view = M3dView::active3dView();
    for (const MObject& node : listNodes()) {
        if (!node.hasFn(MFn::kPluginEmitterNode)) continue;
        auto* emitter = dynamic_cast<MPxEmitterNode*>(MFnDependencyNode(node).userNode());
        MDagPath path;
        if (!emitter || MDagPath::getAPathTo(node, path) != MS::kSuccess || !isVisiblePath(path))
            continue;
        const Matrix4 modelView = multiply(toMatrix4(path.inclusiveMatrix()), worldToCamera);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(modelView.data());
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        emitter->draw(view, path, M3dView::kWireFrame, M3dView::kDormant);
        glPopAttrib();
    }
}

// ---- commands --------------------------------------------------------------

namespace {

using commands::CommandError;

// The particle shape named by `name`: the shape itself or its transform.
MObject requireParticleShape(const std::string& command, const std::string& name) {
    MObject node = commands::requireNode(command, name);
    if (node.hasFn(MFn::kParticle)) return node;
    if (node.hasFn(MFn::kDagNode)) {
        MFnDagNode dag(node);
        for (unsigned int i = 0; i < dag.childCount(); ++i)
            if (dag.child(i).hasFn(MFn::kParticle)) return dag.child(i);
    }
    throw CommandError(command + ": '" + name + "' is not a particle shape");
}

unsigned int nextFreeIndex(const MPlug& array) {
    std::vector<unsigned int> used;
    array.getExistingArrayAttributeIndices(used);
    unsigned int next = 0;
    for (unsigned int index : used) {
        MPlugArray other;
        if (array.elementByLogicalIndex(index).connectedTo(other, true, true) && other.length() > 0)
            next = std::max(next, index + 1);
    }
    return next;
}

void connectTime(const std::string& command, const MPlug& destination) {
    if (destination.isConnected()) return;
    MPlug outTime = MFnDependencyNode(timeNode()).findPlug("outTime");
    if (!connectPlugs(outTime, destination))
        throw CommandError(command + ": cannot connect time1.outTime to " +
                           commands::plugName(destination));
}

void connect(const MPlug& source, const MPlug& destination) {
    if (!connectPlugs(source, destination))
        throw CommandError("connectDynamic: cannot connect " + commands::plugName(source) + " to " +
                           commands::plugName(destination));
}

void particleCommand(const commands::ParsedArgs& args, commands::CommandResult& result) {
    MStatus status;
    const std::string name = args.flagString("name", 0, "particle#");
    MObject transform = createNode("transform", name, MObject::kNullObj, &status);
    if (!status) throw CommandError("particle: cannot create the transform");
    const std::string transformName = commands::nodeName(transform);
    MObject shape =
        createNode(ParticleNode::kTypeName, transformName + "Shape", transform, &status);
    if (!status) throw CommandError("particle: cannot create the particle shape");
    connectTime("particle", MPlug(shape, ParticleNode::currentTime));
    result = commands::Value(std::vector<std::string>{transformName, commands::nodeName(shape)});
}

void connectDynamicCommand(const commands::ParsedArgs& args, commands::CommandResult& result) {
    if (!args.isFlagSet("emitters"))
        throw CommandError(
            "connectDynamic: name the emitters with -em (fields and collisions "
            "are not supported)");
    if (args.positionalCount() != 1) throw CommandError("connectDynamic: name one particle object");
    MObject shape = requireParticleShape("connectDynamic", args.positionalString(0));
    connectTime("connectDynamic", MPlug(shape, ParticleNode::currentTime));
    for (std::size_t use = 0; use < args.flagUseCount("emitters"); ++use) {
        const std::string emitterName = args.flagValues("emitters", use)[0].asString();
        MObject emitter = commands::requireNode("connectDynamic", emitterName);
        if (!emitter.hasFn(MFn::kPluginEmitterNode))
            throw CommandError("connectDynamic: '" + emitterName + "' is not an emitter");
        const unsigned int k = nextFreeIndex(MPlug(emitter, MPxEmitterNode::mOutput));
        const unsigned int j = nextFreeIndex(MPlug(shape, ParticleNode::newParticles));
        connect(MPlug(emitter, MPxEmitterNode::mOutput).elementByLogicalIndex(k),
                MPlug(shape, ParticleNode::newParticles).elementByLogicalIndex(j));
        connect(MPlug(shape, ParticleNode::isFull),
                MPlug(emitter, MPxEmitterNode::mIsFull).elementByLogicalIndex(k));
        connect(MPlug(shape, ParticleNode::startTime),
                MPlug(emitter, MPxEmitterNode::mStartTime).elementByLogicalIndex(k));
        connect(MPlug(shape, ParticleNode::timeStepSize),
                MPlug(emitter, MPxEmitterNode::mDeltaTime).elementByLogicalIndex(k));
        connect(MPlug(shape, ParticleNode::inheritFactor),
                MPlug(emitter, MPxEmitterNode::mInheritFactor).elementByLogicalIndex(k));
        connectTime("connectDynamic", MPlug(emitter, MPxEmitterNode::mCurrentTime));
    }
    result = commands::Value(commands::nodeName(shape));
}

}  // namespace

void registerParticleCommands() {
    using commands::ArgType;
    commands::CommandSpec particle;
    particle.name = "particle";
    particle.flags = {{"n", "name", {ArgType::kString}}};
    particle.handler = particleCommand;
    commands::registerCommand(std::move(particle));

    commands::CommandSpec dynamic;
    dynamic.name = "connectDynamic";
    dynamic.flags = {{"em", "emitters", {ArgType::kString}, true}};
    dynamic.minPositional = dynamic.maxPositional = 1;
    dynamic.handler = connectDynamicCommand;
    commands::registerCommand(std::move(dynamic));
}

}  // namespace zt::host
