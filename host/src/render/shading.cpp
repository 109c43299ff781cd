#include "render/shading.h"

#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "commands/coreCommands.h"
#include "graph/registry.h"
#include "hostInit.h"

namespace zt::host {

namespace {

// ---------------------------------------------------------------------------
// Node types. Attribute names are those of the host application's nodes, so
// scripts written for it connect and set the same plugs.

// A readable, writable, storable, keyable input.
MStatus addInput(MObject& attribute) {
    MFnAttribute fn(attribute);
    fn.setKeyable(true);
    fn.setStorable(true);
    fn.setReadable(true);
    fn.setWritable(true);
    return MPxNode::addAttribute(attribute);
}

// An output computed by the node: readable only.
MStatus addOutput(MObject& attribute) {
    MFnAttribute fn(attribute);
    fn.setKeyable(false);
    fn.setStorable(false);
    fn.setReadable(true);
    fn.setWritable(false);
    return MPxNode::addAttribute(attribute);
}

MObject createColor(const char* longName, const char* shortName, float r, float g, float b) {
    MFnNumericAttribute fn;
    MObject attribute = fn.createColor(longName, shortName);
    fn.setDefault(r, g, b);
    return attribute;
}

// Two floats as one compound: uvCoord (uCoord, vCoord) and its kind.
MObject createFloat2(const char* longName, const char* shortName, const char* first,
                     const char* firstShort, const char* second, const char* secondShort, double a,
                     double b) {
    MFnNumericAttribute fn;
    MObject x = fn.create(first, firstShort, MFnNumericData::kFloat, a);
    MObject y = fn.create(second, secondShort, MFnNumericData::kFloat, b);
    return fn.create(longName, shortName, x, y);
}

MStatus setOutputColor(MDataBlock& data, const MObject& attribute, const Rgb& colour) {
    MStatus status;
    MDataHandle handle = data.outputValue(attribute, &status);
    if (!status) return status;
    handle.set(colour.r, colour.g, colour.b);
    handle.setClean();
    return MS::kSuccess;
}

// The colour of a shading node's outColor at its own uvCoord (what reading
// the plug gives; renders shade through MRenderUtil instead).
MStatus computeOwnColor(const MObject& node, const MObject& outColor, const MObject& uvCoord,
                        MDataBlock& data) {
    std::string error;
    const ShaderPtr shader = buildShader(MPlug(node, outColor), error);
    if (!shader) {
        MGlobal::displayError(MString(error.c_str()));
        return MS::kFailure;
    }
    const float2& uv = data.inputValue(uvCoord).asFloat2();
    return setOutputColor(data, outColor, shader->shade(uv[0], uv[1]));
}

class FileNode : public MPxNode {
public:
    static void* creator() { return new FileNode(); }
    static MStatus initialize() {
        MFnTypedAttribute typed;
        MFnStringData text;
        fileTextureName = typed.create("fileTextureName", "ftn", MFnData::kString, text.create(""));
        uvCoord = createFloat2("uvCoord", "uv", "uCoord", "u", "vCoord", "v", 0.0, 0.0);
        MFnNumericAttribute numeric;
        wrapU = numeric.create("wrapU", "wu", MFnNumericData::kBoolean, 1);
        wrapV = numeric.create("wrapV", "wv", MFnNumericData::kBoolean, 1);
        MFnEnumAttribute enumeration;
        filterType = enumeration.create("filterType", "ft", 3);
        const char* filters[] = {"Off", "Mipmap", "Box", "Quadratic", "Quartic", "Gaussian"};
        for (short i = 0; i < 6; ++i) enumeration.addField(filters[i], i);
        defaultColor = createColor("defaultColor", "dc", 0.5f, 0.5f, 0.5f);
        colorGain = createColor("colorGain", "cg", 1.0f, 1.0f, 1.0f);
        colorOffset = createColor("colorOffset", "co", 0.0f, 0.0f, 0.0f);
        outColor = createColor("outColor", "oc", 0.0f, 0.0f, 0.0f);
        MStatus status = addOutput(outColor);
        for (MObject* input : {&fileTextureName, &uvCoord, &wrapU, &wrapV, &filterType,
                               &defaultColor, &colorGain, &colorOffset}) {
            if (status) status = addInput(*input);
            if (status) status = attributeAffects(*input, outColor);
        }
        return status;
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != outColor && plug.parent() != outColor) return MS::kUnknownParameter;
        return computeOwnColor(thisMObject(), outColor, uvCoord, data);
    }

    static const MTypeId id;
    static MObject fileTextureName, uvCoord, wrapU, wrapV, filterType, defaultColor, colorGain,
        colorOffset, outColor;
};
const MTypeId FileNode::id(0x52544654);  // 'RTFT'
MObject FileNode::fileTextureName, FileNode::uvCoord, FileNode::wrapU, FileNode::wrapV,
    FileNode::filterType, FileNode::defaultColor, FileNode::colorGain, FileNode::colorOffset,
    FileNode::outColor;

class RampNode : public MPxNode {
public:
    static void* creator() { return new RampNode(); }
    static MStatus initialize() {
        MFnEnumAttribute enumeration;
        type = enumeration.create("type", "t", 0);
        enumeration.addField("V Ramp", 0);
        enumeration.addField("U Ramp", 1);
        interpolation = enumeration.create("interpolation", "in", 1);
        const char* modes[] = {"None",   "Linear", "Exponential Up", "Exponential Down",
                               "Smooth", "Bump",   "Spike"};
        for (short i = 0; i < 7; ++i) enumeration.addField(modes[i], i);
        MFnNumericAttribute numeric;
        position = numeric.create("position", "ep", MFnNumericData::kFloat, 0.0);
        color = createColor("color", "ec", 0.0f, 0.0f, 0.0f);
        MFnCompoundAttribute compound;
        colorEntryList = compound.create("colorEntryList", "cel");
        compound.addChild(position);
        compound.addChild(color);
        compound.setArray(true);
        uvCoord = createFloat2("uvCoord", "uv", "uCoord", "u", "vCoord", "v", 0.0, 0.0);
        outColor = createColor("outColor", "oc", 0.0f, 0.0f, 0.0f);
        MStatus status = addOutput(outColor);
        for (MObject* input : {&type, &interpolation, &colorEntryList, &uvCoord}) {
            if (status) status = addInput(*input);
            if (status) status = attributeAffects(*input, outColor);
        }
        if (status) status = attributeAffects(position, outColor);
        if (status) status = attributeAffects(color, outColor);
        return status;
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != outColor && plug.parent() != outColor) return MS::kUnknownParameter;
        return computeOwnColor(thisMObject(), outColor, uvCoord, data);
    }

    static const MTypeId id;
    static MObject type, interpolation, colorEntryList, position, color, uvCoord, outColor;
};
const MTypeId RampNode::id(0x52545241);  // 'RTRA'
MObject RampNode::type, RampNode::interpolation, RampNode::colorEntryList, RampNode::position,
    RampNode::color, RampNode::uvCoord, RampNode::outColor;

class ColorConstantNode : public MPxNode {
public:
    static void* creator() { return new ColorConstantNode(); }
    static MStatus initialize() {
        inColor = createColor("inColor", "ic", 0.0f, 0.0f, 0.0f);
        outColor = createColor("outColor", "oc", 0.0f, 0.0f, 0.0f);
        MStatus status = addOutput(outColor);
        if (status) status = addInput(inColor);
        if (status) status = attributeAffects(inColor, outColor);
        return status;
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != outColor && plug.parent() != outColor) return MS::kUnknownParameter;
        const float3& c = data.inputValue(inColor).asFloat3();
        return setOutputColor(data, outColor, {c[0], c[1], c[2]});
    }

    static const MTypeId id;
    static MObject inColor, outColor;
};
const MTypeId ColorConstantNode::id(0x52434f4e);  // 'RCON'
MObject ColorConstantNode::inColor, ColorConstantNode::outColor;

class Place2dTextureNode : public MPxNode {
public:
    static void* creator() { return new Place2dTextureNode(); }
    static MStatus initialize() {
        uvCoord = createFloat2("uvCoord", "uv", "uCoord", "u", "vCoord", "v", 0.0, 0.0);
        repeatUV = createFloat2("repeatUV", "re", "repeatU", "reu", "repeatV", "rev", 1.0, 1.0);
        offset = createFloat2("offset", "of", "offsetU", "ofu", "offsetV", "ofv", 0.0, 0.0);
        outUV = createFloat2("outUV", "ouv", "outU", "ou", "outV", "ov", 0.0, 0.0);
        MStatus status = addOutput(outUV);
        for (MObject* input : {&uvCoord, &repeatUV, &offset}) {
            if (status) status = addInput(*input);
            if (status) status = attributeAffects(*input, outUV);
        }
        return status;
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (plug != outUV && plug.parent() != outUV) return MS::kUnknownParameter;
        const float2& uv = data.inputValue(uvCoord).asFloat2();
        const float2& repeat = data.inputValue(repeatUV).asFloat2();
        const float2& shift = data.inputValue(offset).asFloat2();
        MDataHandle out = data.outputValue(outUV);
        out.set(uv[0] * repeat[0] + shift[0], uv[1] * repeat[1] + shift[1]);
        out.setClean();
        return MS::kSuccess;
    }

    static const MTypeId id;
    static MObject uvCoord, repeatUV, offset, outUV;
};
const MTypeId Place2dTextureNode::id(0x52504c32);  // 'RPL2'
MObject Place2dTextureNode::uvCoord, Place2dTextureNode::repeatUV, Place2dTextureNode::offset,
    Place2dTextureNode::outUV;

// ---------------------------------------------------------------------------
// Shaders

// The placement of a place2dTexture node feeding a texture's uvCoord.
struct Placement {
    float repeatU = 1.0f, repeatV = 1.0f, offsetU = 0.0f, offsetV = 0.0f;
    void apply(float& u, float& v) const {
        u = u * repeatU + offsetU;
        v = v * repeatV + offsetV;
    }
};

class ConstantShader : public Shader {
public:
    explicit ConstantShader(Rgb colour) : colour_(colour) {}
    Rgb shade(float, float) const override { return colour_; }

private:
    Rgb colour_;
};

class FileShader : public Shader {
public:
    FileShader(TextureImage image, TextureLookup lookup, Placement placement, Rgb gain, Rgb offset)
        : image_(std::move(image)),
          lookup_(lookup),
          placement_(placement),
          gain_(gain),
          offset_(offset) {}
    Rgb shade(float u, float v) const override {
        if (image_.empty()) return lookup_.outside;
        placement_.apply(u, v);
        const Rgb c = image_.sample(u, v, lookup_);
        return {c.r * gain_.r + offset_.r, c.g * gain_.g + offset_.g, c.b * gain_.b + offset_.b};
    }

private:
    TextureImage image_;
    TextureLookup lookup_;
    Placement placement_;
    Rgb gain_, offset_;
};

class RampShader : public Shader {
public:
    struct Entry {
        float position;
        ShaderPtr colour;
    };
    RampShader(std::vector<Entry> entries, bool alongU, int interpolation, Placement placement)
        : entries_(std::move(entries)),
          alongU_(alongU),
          interpolation_(interpolation),
          placement_(placement) {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.position < b.position; });
    }
    Rgb shade(float u, float v) const override {
        if (entries_.empty()) return {};
        placement_.apply(u, v);
        const float t = alongU_ ? u : v;
        if (!(t > entries_.front().position)) return entries_.front().colour->shade(u, v);
        if (t >= entries_.back().position) return entries_.back().colour->shade(u, v);
        std::size_t k = 1;
        while (entries_[k].position <= t) ++k;
        const Entry& below = entries_[k - 1];
        const Entry& above = entries_[k];
        if (interpolation_ == 0) return below.colour->shade(u, v);
        float w = (t - below.position) / (above.position - below.position);
        if (interpolation_ == 4) w = w * w * (3.0f - 2.0f * w);  // smooth
        const Rgb a = below.colour->shade(u, v);
        const Rgb b = above.colour->shade(u, v);
        return {a.r + (b.r - a.r) * w, a.g + (b.g - a.g) * w, a.b + (b.b - a.b) * w};
    }

private:
    std::vector<Entry> entries_;
    bool alongU_;
    int interpolation_;
    Placement placement_;
};

constexpr int kMaxDepth = 32;

Rgb readColor(const MPlug& plug) {
    return {plug.child(0).asFloat(), plug.child(1).asFloat(), plug.child(2).asFloat()};
}

// The plug feeding `plug`, or a null plug.
MPlug sourceOf(const MPlug& plug) {
    MPlugArray sources;
    if (!plug.connectedTo(sources, true, false) || sources.length() == 0) return MPlug();
    return sources[0];
}

std::string typeOf(const MPlug& plug) {
    return MFnDependencyNode(plug.node()).typeName().asChar();
}

ShaderPtr build(const MPlug& output, std::string& error, int depth);

// A colour input: the network connected to it, or its own value.
ShaderPtr colorInput(const MPlug& plug, std::string& error, int depth) {
    const MPlug source = sourceOf(plug);
    if (!source.isNull() && isShadingNodeType(typeOf(source)))
        return build(source, error, depth + 1);
    return std::make_unique<ConstantShader>(readColor(plug));
}

// The placement of a place2dTexture node connected to `uvCoord`.
Placement placementOf(const MPlug& uvCoord) {
    Placement placement;
    const MPlug source = sourceOf(uvCoord);
    if (source.isNull() || typeOf(source) != "place2dTexture") return placement;
    const MFnDependencyNode place(source.node());
    placement.repeatU = place.findPlug("repeatU").asFloat();
    placement.repeatV = place.findPlug("repeatV").asFloat();
    placement.offsetU = place.findPlug("offsetU").asFloat();
    placement.offsetV = place.findPlug("offsetV").asFloat();
    return placement;
}

// A texture path as written, else relative to the project's root.
std::string resolveTexturePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty() || fs::path(path).is_absolute() || fs::exists(path, ec)) return path;
    const fs::path inProject = fs::path(commands::workspaceRoot()) / path;
    return fs::exists(inProject, ec) ? inProject.string() : path;
}

ShaderPtr buildFile(const MFnDependencyNode& node, std::string&) {
    TextureLookup lookup;
    lookup.wrapU = node.findPlug("wrapU").asBool();
    lookup.wrapV = node.findPlug("wrapV").asBool();
    lookup.bilinear = node.findPlug("filterType").asInt() != 0;
    lookup.outside = readColor(node.findPlug("defaultColor"));
    const std::string path = node.findPlug("fileTextureName").asString().asChar();
    TextureImage image;
    std::string loadError;
    if (path.empty()) {
        MGlobal::displayError(node.name() + ": no texture file given (fileTextureName is empty)");
    } else if (!image.load(resolveTexturePath(path), loadError)) {
        MGlobal::displayError(node.name() + ": " + loadError.c_str());
    }
    return std::make_unique<FileShader>(
        std::move(image), lookup, placementOf(node.findPlug("uvCoord")),
        readColor(node.findPlug("colorGain")), readColor(node.findPlug("colorOffset")));
}

ShaderPtr buildRamp(const MFnDependencyNode& node, std::string& error, int depth) {
    const MPlug list = node.findPlug("colorEntryList");
    std::vector<unsigned int> indices;
    list.getExistingArrayAttributeIndices(indices);
    std::vector<RampShader::Entry> entries;
    for (unsigned int index : indices) {
        const MPlug entry = list.elementByLogicalIndex(index);
        ShaderPtr colour = colorInput(entry.child(1), error, depth);
        if (!colour) return nullptr;
        entries.push_back({entry.child(0).asFloat(), std::move(colour)});
    }
    return std::make_unique<RampShader>(std::move(entries), node.findPlug("type").asInt() == 1,
                                        node.findPlug("interpolation").asInt(),
                                        placementOf(node.findPlug("uvCoord")));
}

ShaderPtr build(const MPlug& output, std::string& error, int depth) {
    if (depth > kMaxDepth) {
        error = "the shading network behind " + std::string(output.name().asChar()) +
                " loops back on itself or is too deep";
        return nullptr;
    }
    const std::string type = typeOf(output);
    const std::string attribute = MFnAttribute(output.attribute()).name().asChar();
    if (!isShadingNodeType(type) || attribute != "outColor") {
        error = std::string(output.name().asChar()) +
                " is not the colour output of a shading node (file, ramp, colorConstant)";
        return nullptr;
    }
    const MFnDependencyNode node(output.node());
    if (type == "file") return buildFile(node, error);
    if (type == "ramp") return buildRamp(node, error, depth);
    return colorInput(node.findPlug("inColor"), error, depth);
}

long pendingTruncation = -1;

}  // namespace

ShaderPtr buildShader(const MPlug& output, std::string& error) {
    if (output.isNull()) {
        error = "no plug to sample";
        return nullptr;
    }
    return build(output, error, 0);
}

bool isShadingNodeType(const std::string& typeName) {
    return typeName == "file" || typeName == "ramp" || typeName == "colorConstant";
}

void registerRenderNodeTypes() {
    registerBuiltinNodeType("file", FileNode::id, FileNode::creator, FileNode::initialize,
                            MPxNode::kDependNode, MFn::kDependencyNode);
    registerBuiltinNodeType("ramp", RampNode::id, RampNode::creator, RampNode::initialize,
                            MPxNode::kDependNode, MFn::kDependencyNode);
    registerBuiltinNodeType("colorConstant", ColorConstantNode::id, ColorConstantNode::creator,
                            ColorConstantNode::initialize, MPxNode::kDependNode,
                            MFn::kDependencyNode);
    registerBuiltinNodeType("place2dTexture", Place2dTextureNode::id, Place2dTextureNode::creator,
                            Place2dTextureNode::initialize, MPxNode::kDependNode,
                            MFn::kDependencyNode);
}

namespace testing {
void truncateNextSampleResults(unsigned int count) {
    pendingTruncation = static_cast<long>(count);
}
long takeSampleTruncation() {
    const long value = pendingTruncation;
    pendingTruncation = -1;
    return value;
}
}  // namespace testing

}  // namespace zt::host
