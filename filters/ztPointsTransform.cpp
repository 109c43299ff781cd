// ztPointsTransform places points scattered in one object's space into
// another, typically by a transform's world matrix:
//
//   createNode ztPointsTransform -n toWorld;
//   connectAttr scatter.outPoints toWorld.inPoints;
//   connectAttr pPlane1.worldMatrix[0] toWorld.inWorldMatrix;
//
// The matrix is applied as an affine transform (row vectors, p * M). The
// aiming channels are transformed as they are, not normalised, so a scale
// scales them too.

#include "filters/ztPointsTransform.h"

#include <maya/MDataHandle.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <array>
#include <string>
#include <vector>

#include "core/channels.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointFilters.h"

const MTypeId ztPointsTransform::id(0xC8);

MObject ztPointsTransform::inPoints;
MObject ztPointsTransform::inWorldMatrix;
MObject ztPointsTransform::outPoints;

namespace {

// Direction channels, in the order they are processed.
const char* const kAimingChannels[] = {"aimDirection", "aimPosition", "aimAxis", "aimUpAxis",
                                       "aimWorldUp"};

// Transforms a flat channel; on a failed launch reports it and returns false.
bool transformChannel(std::vector<float>& xyz, const std::array<float, 16>& matrix,
                      bool translate) {
    if (zt::succeeded(zt::transformPointArray(xyz, matrix.data(), translate))) return true;
    zt::displayFailure("Failed to launch transformPoints kernel");
    return false;
}

}  // namespace

void* ztPointsTransform::creator() {
    return new ztPointsTransform();
}

MStatus ztPointsTransform::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(inPoints));

    MFnMatrixAttribute matrixAttr;
    inWorldMatrix = matrixAttr.create("inWorldMatrix", "iwm", MFnMatrixAttribute::kDouble, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(matrixAttr.setStorable(false));
    CHECK_MSTATUS(addAttribute(inWorldMatrix));

    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(outPoints));

    return zt::declareAffects({inPoints, inWorldMatrix}, outPoints);
}

MStatus ztPointsTransform::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;
    const MObject node = thisMObject();
    const MPlug inPlug(node, inPoints);

    // Inputs.
    MFnArrayAttrsData input;
    status = zt::readInputPointSet(data, node, inPoints, input);
    if (!status) return status;
    MFnArrayAttrsData::Type positionType = MFnArrayAttrsData::kInvalid;
    if (!input.checkArrayExist(zt::channels::kPosition, positionType)) {
        MGlobal::displayError(inPlug.name() + ": Points position missing");
        return MS::kFailure;
    }
    if (positionType != MFnArrayAttrsData::kVectorArray) {
        MGlobal::displayError(inPlug.name() + ": wrong 'position' attribute type");
        return MS::kFailure;
    }
    std::vector<float> positions = zt::toFloat3(input.getVectorData(zt::channels::kPosition));
    const unsigned int n = static_cast<unsigned int>(positions.size() / 3);

    // Every aiming channel present must be a vector channel of n elements;
    // all are checked before any work, so a bad one leaves nothing half done.
    MStringArray aiming;
    for (const char* name : kAimingChannels) {
        MFnArrayAttrsData::Type aimType = MFnArrayAttrsData::kInvalid;
        if (!input.checkArrayExist(name, aimType)) continue;
        if (aimType != MFnArrayAttrsData::kVectorArray) {
            MGlobal::displayError(inPlug.name() + ": wrong '" + name + "' attribute type");
            return MS::kFailure;
        }
        if (input.getVectorData(name).length() != n) {
            MGlobal::displayError(inPlug.name() + ": wrong '" + name + "' attribute array length");
            return MS::kFailure;
        }
        aiming.append(name);
    }

    std::array<float, 16> columns{};
    if (!zt::readMatrixColumns(data, node, inWorldMatrix, zt::MatrixUse::kAsIs,
                               "the matrix holds a value that is not a finite number", columns))
        return MS::kFailure;

    // Positions with the translation, directions without it.
    if (!transformChannel(positions, columns, true)) return MS::kFailure;
    std::vector<std::vector<float>> directions;
    for (unsigned int k = 0; k < aiming.length(); ++k) {
        directions.push_back(zt::toFloat3(input.getVectorData(aiming[k])));
        if (!transformChannel(directions.back(), columns, false)) return MS::kFailure;
    }

    // Output.
    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    MVectorArray outPositions = output.vectorArray(zt::channels::kPosition, &status);
    if (!status) {
        zt::reportError("ERROR in fnOutput.vectorArray(position)", status);
        return status;
    }
    zt::appendFloat3(outPositions, positions.data(), n);
    for (unsigned int k = 0; k < aiming.length(); ++k) {
        MVectorArray values = output.vectorArray(aiming[k], &status);
        if (!status) {
            const std::string line =
                "ERROR in fnOutput.vectorArray(" + std::string(aiming[k].asChar()) + ")";
            zt::reportError(line.c_str(), status);
            return status;
        }
        zt::appendFloat3(values, directions[k].data(), n);
    }
    MStringArray excluded;
    excluded.append(zt::channels::kPosition);
    for (const char* name : kAimingChannels) excluded.append(name);
    zt::copyAttributes(output, input, excluded);
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
