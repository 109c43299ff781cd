// DAG nodes: the attributes they inherit and the matrices the host computes
// for them (local from translate/rotate/scale, parent and world along the
// DAG, and inverses).

#include "graph/dag.h"

#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnNumericAttribute.h>

#include <algorithm>
#include <cmath>

#include "graph/evaluation.h"
#include "graph/sceneImpl.h"

namespace zt::host {

namespace {

MObject matrixAttribute(const char* longName, const char* shortName, bool array) {
    MFnMatrixAttribute fn;
    MObject attr = fn.create(longName, shortName, MFnMatrixAttribute::kDouble);
    fn.setWritable(false);
    fn.setStorable(false);
    fn.setArray(array);
    fn.setUsesArrayDataBuilder(array);
    return attr;
}

MObject doubleTriple(const char* longName, const char* shortName, double value, MObject& x,
                     MObject& y, MObject& z) {
    MFnNumericAttribute fn;
    const std::string l = longName;
    const std::string s = shortName;
    x = fn.create((l + "X").c_str(), (s + "x").c_str(), MFnNumericData::kDouble, value);
    fn.setKeyable(true);
    y = fn.create((l + "Y").c_str(), (s + "y").c_str(), MFnNumericData::kDouble, value);
    fn.setKeyable(true);
    z = fn.create((l + "Z").c_str(), (s + "z").c_str(), MFnNumericData::kDouble, value);
    fn.setKeyable(true);
    MObject parent = fn.create(longName, shortName, x, y, z);
    fn.setKeyable(true);
    return parent;
}

DagAttributes makeDagAttributes() {
    DagAttributes a;
    MFnNumericAttribute numeric;
    a.visibility = numeric.create("visibility", "v", MFnNumericData::kBoolean, 1);
    numeric.setKeyable(true);
    a.intermediateObject = numeric.create("intermediateObject", "io", MFnNumericData::kBoolean, 0);
    a.matrix = matrixAttribute("matrix", "m", false);
    a.inverseMatrix = matrixAttribute("inverseMatrix", "im", false);
    a.worldMatrix = matrixAttribute("worldMatrix", "wm", true);
    a.worldInverseMatrix = matrixAttribute("worldInverseMatrix", "wim", true);
    a.parentMatrix = matrixAttribute("parentMatrix", "pm", true);
    a.parentInverseMatrix = matrixAttribute("parentInverseMatrix", "pim", true);
    a.translate = doubleTriple("translate", "t", 0.0, a.translateX, a.translateY, a.translateZ);
    a.rotate = doubleTriple("rotate", "r", 0.0, a.rotateX, a.rotateY, a.rotateZ);
    a.scale = doubleTriple("scale", "s", 1.0, a.scaleX, a.scaleY, a.scaleZ);
    return a;
}

MMatrix readMatrix(const PlugRef& plug) {
    evaluate(plug);
    const Cell* cell = valueCellOf(plug, false);
    if (!cell) return MMatrix();
    const Value& v = cell->value;
    if (v.kind == Value::Kind::kMatrix) return v.matrix;
    if (v.kind == Value::Kind::kFloatMatrix) {
        double m[4][4];
        v.floatMatrix.get(m);
        return MMatrix(m);
    }
    return MMatrix();
}

void readTriple(NodeImpl& node, const MObject& attribute, double out[3]) {
    const PlugRef plug = wholePlug(&node, attributeOf(attribute));
    evaluate(plug);
    const Cell* cell = valueCellOf(plug, false);
    for (unsigned int k = 0; k < 3; ++k) out[k] = cell ? numberOf(cell->value, k) : 0.0;
}

PlugRef firstElement(NodeImpl& node, const MObject& attribute) {
    PlugRef plug = wholePlug(&node, attributeOf(attribute));
    plug.indices.back() = 0;
    return plug;
}

void store(NodeImpl& node, const PlugRef& plug, const MMatrix& m) {
    if (Cell* cell = valueCellOf(plug, true)) {
        cell->value.kind = Value::Kind::kMatrix;
        cell->value.matrix = m;
    }
    markClean(plug);
}

}  // namespace

const DagAttributes& dagAttributes() {
    static const DagAttributes attributes = makeDagAttributes();
    return attributes;
}

MMatrix composeTransform(const double t[3], const double r[3], const double s[3]) {
    const double toRadians = M_PI / 180.0;
    const double cx = std::cos(r[0] * toRadians), sx = std::sin(r[0] * toRadians);
    const double cy = std::cos(r[1] * toRadians), sy = std::sin(r[1] * toRadians);
    const double cz = std::cos(r[2] * toRadians), sz = std::sin(r[2] * toRadians);
    // Row-vector rotations; X is applied first: R = Rx * Ry * Rz.
    const double rx[4][4] = {{1, 0, 0, 0}, {0, cx, sx, 0}, {0, -sx, cx, 0}, {0, 0, 0, 1}};
    const double ry[4][4] = {{cy, 0, -sy, 0}, {0, 1, 0, 0}, {sy, 0, cy, 0}, {0, 0, 0, 1}};
    const double rz[4][4] = {{cz, sz, 0, 0}, {-sz, cz, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const double sm[4][4] = {{s[0], 0, 0, 0}, {0, s[1], 0, 0}, {0, 0, s[2], 0}, {0, 0, 0, 1}};
    MMatrix m = MMatrix(sm) * MMatrix(rx) * MMatrix(ry) * MMatrix(rz);
    m[3][0] = t[0];
    m[3][1] = t[1];
    m[3][2] = t[2];
    return m;
}

void decomposeTransform(const MMatrix& m, double t[3], double r[3], double s[3]) {
    double rows[3][3];
    for (int i = 0; i < 3; ++i) {
        t[i] = m[3][i];
        s[i] = std::sqrt(m[i][0] * m[i][0] + m[i][1] * m[i][1] + m[i][2] * m[i][2]);
        for (int k = 0; k < 3; ++k) rows[i][k] = s[i] > 0.0 ? m[i][k] / s[i] : 0.0;
    }
    const double det = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
                       rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
                       rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
    if (det < 0.0) {
        s[0] = -s[0];
        for (int k = 0; k < 3; ++k) rows[0][k] = -rows[0][k];
    }
    // rows = Rx * Ry * Rz: row 0 is (cy cz, cy sz, -sy), row 1 ends in
    // sx cy and row 2 in cx cy.
    const double toDegrees = 180.0 / M_PI;
    const double sy = std::clamp(-rows[0][2], -1.0, 1.0);
    const double cy = std::sqrt(rows[0][0] * rows[0][0] + rows[0][1] * rows[0][1]);
    if (cy > 1e-9) {
        r[0] = std::atan2(rows[1][2], rows[2][2]);
        r[1] = std::atan2(sy, cy);
        r[2] = std::atan2(rows[0][1], rows[0][0]);
    } else {
        // Y at +-90 degrees: only X - Z (or X + Z) is defined; Z is taken as 0,
        // which leaves row 1 as (sx sy, cx, 0).
        r[0] = std::atan2(rows[1][0] * sy, rows[1][1]);
        r[1] = sy > 0 ? M_PI / 2 : -M_PI / 2;
        r[2] = 0.0;
    }
    for (int i = 0; i < 3; ++i) r[i] *= toDegrees;
}

bool isDagMatrixAttribute(const AttributeImpl* attr) {
    const DagAttributes& a = dagAttributes();
    for (const MObject* m : {&a.matrix, &a.inverseMatrix, &a.worldMatrix, &a.worldInverseMatrix,
                             &a.parentMatrix, &a.parentInverseMatrix}) {
        if (attributeOf(*m) == attr) return true;
    }
    return false;
}

PlugRef parentMatrixPlug(NodeImpl& node) {
    return wholePlug(&node, attributeOf(dagAttributes().parentMatrix));
}

PlugRef worldMatrixPlug(NodeImpl& node) {
    return wholePlug(&node, attributeOf(dagAttributes().worldMatrix));
}

MStatus computeDagMatrices(NodeImpl& node) {
    const DagAttributes& a = dagAttributes();
    MMatrix local;
    if (node.isTransform() && node.type->has(attributeOf(a.translate))) {
        double t[3], r[3], s[3];
        readTriple(node, a.translate, t);
        readTriple(node, a.rotate, r);
        readTriple(node, a.scale, s);
        local = composeTransform(t, r, s);
    }
    const MMatrix parentWorld =
        node.parent ? readMatrix(firstElement(*node.parent, a.worldMatrix)) : MMatrix();
    const MMatrix world = local * parentWorld;
    store(node, wholePlug(&node, attributeOf(a.matrix)), local);
    store(node, wholePlug(&node, attributeOf(a.inverseMatrix)), local.inverse());
    store(node, firstElement(node, a.parentMatrix), parentWorld);
    store(node, firstElement(node, a.parentInverseMatrix), parentWorld.inverse());
    store(node, firstElement(node, a.worldMatrix), world);
    store(node, firstElement(node, a.worldInverseMatrix), world.inverse());
    for (const MObject* m :
         {&a.parentMatrix, &a.parentInverseMatrix, &a.worldMatrix, &a.worldInverseMatrix}) {
        markClean(wholePlug(&node, attributeOf(*m)));
    }
    return MS::kSuccess;
}

}  // namespace zt::host
