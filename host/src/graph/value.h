#pragma once
// Stored values and the storage tree of a node.
//
// A node keeps one Cell per top-level attribute. A cell of an array
// attribute holds its elements by logical index; a cell of a compound holds
// one child cell per child attribute. A numeric compound (translate, a
// colour, k3Float) keeps all its numbers in its own value, so that
// asFloat3/asVector can hand out contiguous storage; its child cells carry
// only the dirty flag.

#include <maya/MFloatMatrix.h>
#include <maya/MFnNumericData.h>
#include <maya/MMatrix.h>
#include <maya/MTime.h>

#include <map>
#include <memory>
#include <vector>

#include "data/data.h"

namespace zt::host {

class AttributeImpl;

struct Value {
    enum class Kind : unsigned char { kNone, kNumeric, kTime, kMatrix, kFloatMatrix, kData };

    Kind kind = Kind::kNone;
    // Numbers: stored in `rep`, which starts as the attribute's own type and
    // changes when a data handle asks for another type.
    MFnNumericData::Type rep = MFnNumericData::kInvalid;
    union Numbers {
        bool b;
        char c;
        unsigned char uc;
        short s[4];
        int i[4];
        float f[4];
        double d[4];
    } num{};
    MTime time;
    MMatrix matrix;
    MFloatMatrix floatMatrix;
    // Data values are shared between plugs. `dataOwned` says this value may
    // change its data object in place (it made or cloned it itself).
    std::shared_ptr<DataImpl> data;
    bool dataOwned = false;
};

// Component k of a numeric value as a double (0 for non-numbers; a time in
// the current UI unit).
double numberOf(const Value& value, unsigned int k = 0);
// Writes component k, converting to the value's representation (integers
// are rounded to nearest, booleans are "not zero").
void setNumber(Value& value, unsigned int k, double number);
// Re-stores the numbers in another representation with as many components.
void convertRepresentation(Value& value, MFnNumericData::Type rep);
// Makes the data object private to this value (cloning a shared one).
void ownData(Value& value);

struct Cell {
    Cell() = default;
    Cell(const Cell& other);
    Cell(Cell&&) noexcept = default;
    Cell& operator=(const Cell& other);
    Cell& operator=(Cell&&) noexcept = default;

    Value value;
    std::vector<Cell> children;
    std::map<unsigned int, std::unique_ptr<Cell>> elements;
    bool dirty = false;
};

// A fresh cell holding the attribute's defaults. `wholeArray` builds the cell
// of an array attribute (no elements); otherwise the cell of one element
// (or of a non-array attribute).
Cell makeCell(const AttributeImpl& attr, bool wholeArray);

// The value an attribute starts with (a numeric compound's holds all its
// components).
Value defaultValue(const AttributeImpl& attr);

// Marks every data object in the tree as shared, so writers clone first.
void disownData(Cell& cell);

}  // namespace zt::host
