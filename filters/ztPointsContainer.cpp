// ztPointsContainer keeps the points inside a container volume. Placed like
// a ztDisplayContainer locator, the volume drawn is the one that selects:
//
//   createNode ztDisplayContainer;                 // transform1 / ztDisplayContainerShape1
//   createNode ztPointsContainer -n inside;
//   connectAttr scatter.outPoints inside.inPoints;
//   connectAttr transform1.worldMatrix[0] inside.inWorldMatrix;
//   connectAttr ztDisplayContainerShape1.type inside.type;
//   connectAttr ztDisplayContainerShape1.fallof inside.fallof;
//
// The output holds the kept points in input order with every input channel,
// and the double channel "fallof" with their weights (an input "fallof" is
// replaced).

#include "filters/ztPointsContainer.h"

#include <maya/MDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIOStream.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/channels.h"
#include "core/nodeAttributes.h"
#include "core/pointSet.h"
#include "core/pointSetNode.h"
#include "kernels/pointFilters.h"

const MTypeId ztPointsContainer::id(0xC0);

MObject ztPointsContainer::inPoints;
MObject ztPointsContainer::type;
MObject ztPointsContainer::inWorldMatrix;
MObject ztPointsContainer::fallof;
MObject ztPointsContainer::outPoints;

namespace {

// The container type as the kernel takes it: the value as an unsigned 16-bit
// number, anything above 1 meaning the box.
zt::ContainerShape shapeOf(int value) {
    const unsigned short code = static_cast<unsigned short>(value);
    return code == 0 ? zt::ContainerShape::kSphere : zt::ContainerShape::kBox;
}

}  // namespace

void* ztPointsContainer::creator() {
    return new ztPointsContainer();
}

MStatus ztPointsContainer::initialize() {
    MStatus status =
        zt::createPointSetAttribute(inPoints, "inPoints", "ip", zt::PointSetRole::kInput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(inPoints));

    type = zt::numericAttribute("type", "t", MFnNumericData::kInt, 0, zt::Range::between(0, 1),
                                &status);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(type));

    MFnMatrixAttribute matrixAttr;
    inWorldMatrix = matrixAttr.create("inWorldMatrix", "iwm", MFnMatrixAttribute::kDouble, &status);
    CHECK_MSTATUS(status);
    CHECK_MSTATUS(matrixAttr.setStorable(false));
    CHECK_MSTATUS(addAttribute(inWorldMatrix));

    fallof = zt::numericAttribute("fallof", "f", MFnNumericData::kFloat, 0,
                                  zt::Range::between(0, 1), &status);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(fallof));

    status = zt::createPointSetAttribute(outPoints, "outPoints", "op", zt::PointSetRole::kOutput);
    if (!status) return status;
    CHECK_MSTATUS(addAttribute(outPoints));

    return zt::declareAffects({inPoints, type, inWorldMatrix, fallof}, outPoints);
}

MStatus ztPointsContainer::compute(const MPlug& plug, MDataBlock& data) {
    if (plug != outPoints) return MS::kUnknownParameter;
    MStatus status;
    const MObject node = thisMObject();
    const MPlug inPlug(node, inPoints);

    // Inputs.
    MFnArrayAttrsData input;
    status = zt::readInputPointSet(data, node, inPoints, input);
    if (!status) return status;
    if (!zt::requireChannel(input, zt::channels::kPosition, MFnArrayAttrsData::kVectorArray, inPlug,
                            ": Input array does not contain position information")) {
        return MS::kFailure;
    }
    const std::vector<float> positions = zt::toFloat3(input.getVectorData(zt::channels::kPosition));
    const unsigned int n = static_cast<unsigned int>(positions.size() / 3);
    if (!zt::checkChannelLengths(input, n, inPlug)) return MS::kFailure;

    // The container: world to container space.
    std::array<float, 16> inverse{};
    if (!zt::readMatrixColumns(data, node, inWorldMatrix, zt::MatrixUse::kInverse,
                               "the container matrix cannot be inverted (a scale of zero or a "
                               "value that is not a finite number)",
                               inverse))
        return MS::kFailure;
    const zt::ContainerShape shape = shapeOf(data.inputValue(type).asInt());
    const float band = zt::clampFloat(data.inputValue(fallof).asFloat(), 0.0f, 1.0f);

    // Weights.
    std::vector<float> weights;
    const zt::KernelStatus result =
        zt::containerWeights(positions, inverse.data(), shape, band, weights);
    if (result == zt::KernelStatus::NotEnoughMemory) {
        zt::displayFailure("ztPointsContainer: Not enough memory on GPU for data");
        return MS::kFailure;
    }
    if (!zt::succeeded(result)) {
        zt::displayFailure("Failed to launch computePointInclusion kernel");
        return MS::kFailure;
    }

    // Output: the kept points with their weights.
    MFnArrayAttrsData output;
    MObject outData = zt::createOutputPointSet(output, status);
    if (!status) return status;
    std::vector<std::uint8_t> keep(n);
    for (unsigned int i = 0; i < n; ++i) keep[i] = weights[i] > 0.0f ? 1 : 0;
    MStringArray excluded;
    excluded.append(zt::channels::kFallof);
    zt::copyAttributesMasked(output, input, excluded, keep,
                             "copyAttributesFiltered: invalid array type");
    MDoubleArray fallofValues = output.doubleArray(zt::channels::kFallof, &status);
    if (!status) {
        zt::reportError("ERROR in fnArrayAttrsData.vectorArray(fallof)\n", status);
        return status;
    }
    for (unsigned int i = 0; i < n; ++i) {
        if (keep[i]) fallofValues.append(static_cast<double>(weights[i]));
    }
    return zt::setOutputPointSet(data, outPoints, outData, plug);
}
