#pragma once
// Helpers every point-set node shares: building an output point set from an
// input one, creating the inPoints/outPoints attributes, and moving channels
// between Maya arrays and the flat 32-bit arrays the compute kernels take.

#include <maya/MDataBlock.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt {

// Copies every vector, double and int channel of `in` into `out` except the
// excluded name(s); a channel of any other type is dropped with a line on the
// error stream. Used to pass through the channels a node does not write.
void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MString& excluded);
void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& excluded);

// Creates a point-set attribute (typed, kDynArrayAttrs) with the flags of an
// input (readable, writable, not storable, not keyable) or an output
// (readable, not writable, not storable, not keyable) into `attribute`.
enum class PointSetRole { kInput, kOutput };
MStatus createPointSetAttribute(MObject& attribute, const char* longName, const char* shortName,
                                PointSetRole role);

// Flat layouts of the compute kernels: vectors as x, y, z floats; the "uv"
// channel as u, v floats; doubles as floats; ints as unsigned 32-bit values.
std::vector<float> toFloat3(const MVectorArray& values);
std::vector<float> toFloat2(const MVectorArray& values);
std::vector<float> toFloat(const MDoubleArray& values);
std::vector<unsigned int> toUnsigned(const MIntArray& values);

// The elements of a flat array (`width` values each) whose keep flag is set,
// in order. Elements without a flag are dropped.
std::vector<float> keepElements(const std::vector<float>& values, std::size_t width,
                                const std::vector<std::uint8_t>& keep);

// Appends `count` elements of a flat array to a Maya array, widening to double.
void appendFloat3(MVectorArray& out, const float* xyz, std::size_t count);
void appendFloat(MDoubleArray& out, const float* values, std::size_t count);
void appendUnsigned(MIntArray& out, const unsigned int* values, std::size_t count);

// A matrix as the 16 floats the kernels take, column by column
// (columns[4c + r] = m[r][c]), so a kernel computes the row-vector product
// p * m as x' = c0*x + c1*y + c2*z + c3 and so on.
std::array<float, 16> toFloatColumns(const MMatrix& m);

// True when all 16 elements of the matrix are finite.
bool isFinite(const MMatrix& m);

// True when the matrix is finite and its determinant finite and not zero.
bool isInvertible(const MMatrix& m);

// Reads the matrix on `attribute` of `node` as toFloatColumns gives it, of
// the matrix itself or of its inverse. A matrix that is not finite, or one to
// invert that is not invertible, displays "<plug>: <refusal>" and returns
// false with `columns` untouched.
enum class MatrixUse { kAsIs, kInverse };
bool readMatrixColumns(MDataBlock& block, const MObject& node, const MObject& attribute,
                       MatrixUse use, const char* refusal, std::array<float, 16>& columns);

}  // namespace zt
