#pragma once
// The steps every point-set node's compute shares, so a node's compute reads
// top to bottom as its own work:
//
//     MFnArrayAttrsData input;
//     MStatus status = zt::readInputPointSet(data, thisMObject(), inPoints, input);
//     if (!status) return status;
//     const MPlug inPlug(thisMObject(), inPoints);
//     if (!zt::requireChannel(input, channels::kPosition, MFnArrayAttrsData::kVectorArray,
//                             inPlug, ": Points position missing"))
//         return MS::kFailure;
//     ... read channels, call the kernels ...
//     MFnArrayAttrsData output;
//     MObject outData = output.create(&status);
//     zt::copyAttributes(output, input, writtenNames);
//     ... fill the written channels ...
//     return zt::setOutputPointSet(data, outPoints, outData, plug);
//
// Every failure path returns before the output handle is touched, so a failed
// compute leaves the previous point set in place.

#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cstdint>
#include <vector>

namespace zt {

// Writes a diagnostic line, a line end and the status's text to the error
// stream (the form of every "ERROR ..." diagnostic of the nodes).
void reportError(const char* line, const MStatus& status);

// Shows `text` as an error in the script editor and writes it, with the
// failure status, to the error stream.
void displayFailure(const MString& text);

// Creates the node's output point set in `output`; on failure writes
// "ERROR in fnOutput.create." with the status, which `status` receives.
MObject createOutputPointSet(MFnArrayAttrsData& output, MStatus& status);

// Reads the point set on `attribute` of `node` into `pointSet`.
// A failing handle writes "ERROR getting <attribute> handle" and returns its
// status; no point set connected displays the plug name followed by
// `missingMessage` and returns kFailure.
MStatus readInputPointSet(MDataBlock& block, const MObject& node, const MObject& attribute,
                          MFnArrayAttrsData& pointSet,
                          const char* missingMessage = ": please supply inPoints");

// True when `pointSet` holds channel `name` with array type `type`.
bool hasChannel(MFnArrayAttrsData& pointSet, const char* name, MFnArrayAttrsData::Type type);

// Like hasChannel; when the channel is missing or of another type, displays
// the plug name followed by `message` and returns false.
bool requireChannel(MFnArrayAttrsData& pointSet, const char* name, MFnArrayAttrsData::Type type,
                    const MPlug& plug, const char* message);

// The number of points: the length of "position" when present, otherwise of
// the first channel listed; 0 for an empty point set.
unsigned int pointCount(MFnArrayAttrsData& pointSet);

// True when every channel of the three point-set types has `count` elements.
// Otherwise displays "<plug>: channel '<name>' has <k> elements, expected
// <count>" for the first channel that differs and returns false.
bool checkChannelLengths(MFnArrayAttrsData& pointSet, unsigned int count, const MPlug& plug);

// True when channel `name` (of any point-set type) has `count` elements.
// Otherwise displays "<plug>: channel '<name>' has <k> elements, expected
// <count>" and returns false.
bool requireChannelLength(MFnArrayAttrsData& pointSet, const char* name, unsigned int count,
                          const MPlug& plug);

// True when every value of a flat array is a finite number. Otherwise
// displays "<plug>: <what> holds a value that is not a finite number
// (element <i>)", i counted in elements of `width` values, and returns false.
bool requireFinite(const std::vector<float>& values, unsigned int width, const MPlug& plug,
                   const char* what);

// Copies the vector, double and int channels of `in` whose names are not in
// `excluded` into `out`, keeping only the elements whose keep flag is set,
// in input order (one flag per point). Channels of any other type are
// skipped with `skipMessage` on the error stream (no line end).
void copyAttributesMasked(MFnArrayAttrsData& out, MFnArrayAttrsData& in,
                          const MStringArray& excluded, const std::vector<std::uint8_t>& keep,
                          const char* skipMessage = "copyAttributesMasked: invalid array type");

// Sets `pointSetData` on the output `attribute` and marks `plug` clean.
// Failures write "ERROR in handle = block.outputValue(<attribute>).\n" or
// "ERROR handle.set(<attribute>Array)\n" with the status and return it.
MStatus setOutputPointSet(MDataBlock& block, const MObject& attribute, MObject& pointSetData,
                          const MPlug& plug);

// Clamps an attribute value read in a compute into [low, high]; a NaN that
// arrives through a connection becomes `low`.
inline float clampFloat(float value, float low, float high) {
    if (!(value >= low)) return low;
    return value > high ? high : value;
}

}  // namespace zt
