#pragma once
// Creating the attributes of the plug-in's nodes, so each node's initialize
// declares its attributes in one readable block:
//
//     scaleX = zt::numericAttribute("scaleX", "sx", MFnNumericData::kFloat, 1.0);
//     seed = zt::numericAttribute("seed", "s", MFnNumericData::kInt, 0, zt::Range::atLeast(0));
//
// Numeric settings are keyable, storable, readable and writable. A failure
// is written to the error stream as "ERROR in <longName>.\n" followed by the
// status text, and returned through `status` when given.

#include <maya/MFnNumericData.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include <initializer_list>
#include <optional>

namespace zt {

struct Range {
    std::optional<double> min, max;
    static Range none() { return {}; }
    static Range atLeast(double low) { return {low, std::nullopt}; }
    static Range between(double low, double high) { return {low, high}; }
};

MObject numericAttribute(const char* longName, const char* shortName, MFnNumericData::Type type,
                         double defaultValue, Range range = Range::none(),
                         MStatus* status = nullptr);

// A point of three floats (children <longName>X, Y, Z, short names with
// x, y, z), default (0, 0, 0), with the flags of a numeric setting.
MObject pointAttribute(const char* longName, const char* shortName, MStatus* status = nullptr);

// A typed input holding a mesh (default null): keyable, storable, readable,
// writable, hidden when asked.
MObject meshAttribute(const char* longName, const char* shortName, bool hidden = false,
                      MStatus* status = nullptr);

// A typed input holding one vector per point (for example a colour array
// from a ztColorBuffer).
MObject vectorArrayAttribute(const char* longName, const char* shortName,
                             MStatus* status = nullptr);

// A multi compound of the given children (readable, writable, storable).
MObject compoundArrayAttribute(const char* longName, const char* shortName,
                               std::initializer_list<MObject> children, MStatus* status = nullptr);

// Adds the attributes, in this order, to the node type being initialized;
// stops at the first failure and returns it.
MStatus addAttributes(std::initializer_list<MObject> attributes);

// Declares that each input affects `output`, in this order.
MStatus declareAffects(std::initializer_list<MObject> inputs, const MObject& output);

}  // namespace zt
