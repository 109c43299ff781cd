#pragma once
// Dirty propagation and pull evaluation.
//
// Writing a plug marks what depends on it dirty: the attributes it affects
// inside its node (attributeAffects; a compound counts as changed when a
// child changes and the other way round, an array when an element
// changes), the destinations of its connections, and the DAG children of a
// node whose world matrix changes. Reading a dirty plug brings it up to
// date: a destination pulls its source, anything else asks its node's
// compute. A compute that fails keeps the old value and the plug stays
// dirty, so the next read tries again.

#include <maya/MStatus.h>

#include "graph/node.h"

namespace zt::host {

// Marks the dependents of `plug` dirty, and the plug itself with includeSelf.
void propagateDirty(const PlugRef& plug, bool includeSelf);

bool isDirty(const PlugRef& plug);
void markClean(const PlugRef& plug);

// Brings the plug's value up to date. kFailure when the plug cannot be
// evaluated at all (a deleted node, a cycle, a chain too deep); a compute
// that fails is reported by its node and leaves the last value, which the
// read then returns.
MStatus evaluate(const PlugRef& plug);

// The plug connected into `destination` itself (not into a parent or
// child); a null plug when there is none.
PlugRef sourceOf(const PlugRef& destination);
// Whether a connection drives the plug or one of its compound parents,
// leaving out connections from animation curves: a value set on a keyed
// plug holds until the curve is evaluated again.
bool drivenBeyondCurves(const PlugRef& destination);

// Whether a connection from a plug of `source` into one of `destination`
// can carry values (whole arrays only into whole arrays).
bool connectionCompatible(const AttributeImpl* source, bool sourceWholeArray,
                          const AttributeImpl* destination, bool destinationWholeArray);

// Copies the stored value of `source` into `destination`, converting
// between number types, times and matrix forms; data objects are shared.
void transferValue(const PlugRef& source, const PlugRef& destination);

// The cell holding a plug's value: for a child of a numeric compound the
// compound's cell (the child's number is one component of it).
Cell* valueCellOf(Cell& rootCell, const PlugRef& plug, bool create);
Cell* valueCellOf(const PlugRef& plug, bool create);
// Component of the compound's value for a numeric child; -1 otherwise.
int componentOf(const AttributeImpl* attr);

}  // namespace zt::host
