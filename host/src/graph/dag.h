#pragma once
// The attributes every DAG node has (and, for transforms, translate, rotate
// and scale). Shape base classes of other host areas (MPxLocatorNode) give
// their static MObjects these same objects.

#include <maya/MMatrix.h>
#include <maya/MObject.h>

namespace zt::host {

struct DagAttributes {
    MObject visibility, intermediateObject;
    MObject matrix, inverseMatrix;
    MObject worldMatrix, worldInverseMatrix;                // arrays, element 0
    MObject parentMatrix, parentInverseMatrix;              // arrays, element 0
    MObject translate, translateX, translateY, translateZ;  // transforms only
    MObject rotate, rotateX, rotateY, rotateZ;              // degrees, XYZ order
    MObject scale, scaleX, scaleY, scaleZ;
};

// Created on first use; the same objects for every DAG type.
const DagAttributes& dagAttributes();

// The local matrix of a transform: scale, then rotation about X, Y and Z
// (degrees), then translation, for row vectors (p' = p * M).
MMatrix composeTransform(const double translate[3], const double rotateDegrees[3],
                         const double scale[3]);

// The inverse of composeTransform for a matrix without shear: translate,
// rotation about X, Y and Z in degrees (Y within -90..90) and scale (a
// mirroring matrix gets a negative X scale).
void decomposeTransform(const MMatrix& m, double translate[3], double rotateDegrees[3],
                        double scale[3]);

}  // namespace zt::host
