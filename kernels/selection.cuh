// Launch function of the selection tests (kernels/selection.h): one flag
// array in the backend's memory, the given stages run over it in order, the
// flags copied back. Included by ztNodes.cu inside each backend's namespace.

inline KernelStatus runColorThinning(const SelectionColorStage& stage, unsigned int n,
                                     std::uint8_t* visible) {
    RandomBuffer randoms(stage.randomCount, stage.seed);
    if (!randoms.ok()) return randoms.status();
    DeviceVector<float> inColor, colors, uvs;
    DeviceVector<unsigned int> corners, triangleIds;
    if (stage.hasColor) inColor = toDevice(stage.inColor, n);
    if (stage.hasVertexColor) {
        colors = toDevice(stage.vertexColors, stage.vertexCount);
        corners = toDevice(stage.triangleVertices, stage.triangleVertexCount);
        triangleIds = toDevice(stage.triangleIds, n);
        uvs = toDevice(stage.uvs, 2u * static_cast<std::size_t>(n));
    }
    const bool hasColor = stage.hasColor;
    const bool hasVertexColor = stage.hasVertexColor;
    const float* inColorPtr = raw(inColor);
    const float* colorsPtr = raw(colors);
    const unsigned int* cornersPtr = raw(corners);
    const float* uvsPtr = raw(uvs);
    const unsigned int* triPtr = raw(triangleIds);
    const float* randomPtr = randoms.data();
    const unsigned int randomCount = static_cast<unsigned int>(randoms.size());
    return launch1D(
        "computeSelection", n, ZT_LAMBDA(ElementIndex i) {
            computeSelection(i, visible, hasColor, inColorPtr, hasVertexColor, colorsPtr,
                             cornersPtr, uvsPtr, triPtr, randomPtr, randomCount, n);
        });
}

inline KernelStatus runConditions(const SelectionConditionStage& stage, unsigned int n,
                                  std::uint8_t* visible) {
    const unsigned int numOp = static_cast<unsigned int>(stage.firstOperand->size());
    const unsigned int numIds = static_cast<unsigned int>(stage.ids->size());
    if (numOp == 0 && numIds == 0) return KernelStatus::Ok;

    std::vector<DeviceVector<float>> columns;
    columns.reserve(stage.columns->size());
    std::vector<const float*> addresses;
    for (const std::vector<float>& column : *stage.columns) {
        columns.push_back(toDevice(column));
        addresses.push_back(raw(columns.back()));
    }
    const DeviceVector<const float*> table = toDevice(addresses);
    DeviceVector<unsigned int> ids = toDevice(*stage.ids);
    thrust::sort(policy(), ids.begin(), ids.end());
    const DeviceVector<unsigned int> first = toDevice(*stage.firstOperand);
    const DeviceVector<unsigned short> operation = toDevice(*stage.operation);
    const DeviceVector<unsigned short> secondType = toDevice(*stage.secondOperandType);
    const DeviceVector<int> secondInt = toDevice(*stage.secondOperandInt);
    const DeviceVector<float> secondFloat = toDevice(*stage.secondOperandFloat);

    const float* const* tablePtr = raw(table);
    const unsigned int* firstPtr = raw(first);
    const unsigned short* opPtr = raw(operation);
    const unsigned short* typePtr = raw(secondType);
    const int* intPtr = raw(secondInt);
    const float* floatPtr = raw(secondFloat);
    const unsigned int* idsPtr = raw(ids);
    const unsigned int pointIdPosition = stage.pointIdColumn;
    return launch1D(
        "checkConditions", n, ZT_LAMBDA(ElementIndex i) {
            checkConditions(i, tablePtr, firstPtr, opPtr, typePtr, intPtr, floatPtr, visible, numOp,
                            numIds, pointIdPosition, idsPtr, n);
        });
}

inline KernelStatus runFacing(const SelectionFacingStage& stage, unsigned int n,
                              std::uint8_t* visible) {
    const DeviceVector<float> normals = toDevice(stage.normals, 3u * static_cast<std::size_t>(n));
    const float* normalPtr = raw(normals);
    const float range = stage.range;
    const float x = stage.x, y = stage.y, z = stage.z;
    return launch1D(
        "checkDotProduct", n,
        ZT_LAMBDA(ElementIndex i) { checkDotProduct(i, normalPtr, visible, range, x, y, z, n); });
}

KernelStatus selectPoints(std::size_t count, const SelectionColorStage* color,
                          const SelectionConditionStage* conditions,
                          const SelectionFacingStage* facing, std::vector<std::uint8_t>& flags) {
    if (count > 0xFFFFFFFFull) {
        std::fprintf(stderr, "selectPoints: %zu points exceed the 32-bit index space\n", count);
        return KernelStatus::InvalidLaunch;
    }
    if (count == 0) {
        flags.clear();
        return KernelStatus::Ok;
    }
    const unsigned int n = static_cast<unsigned int>(count);
    try {
        DeviceVector<std::uint8_t> visible(count);
        thrust::fill(policy(), visible.begin(), visible.end(), std::uint8_t{1});
        std::uint8_t* visiblePtr = raw(visible);
        if (color) ZT_RETURN_IF_FAILED(runColorThinning(*color, n, visiblePtr));
        if (conditions) ZT_RETURN_IF_FAILED(runConditions(*conditions, n, visiblePtr));
        if (facing) ZT_RETURN_IF_FAILED(runFacing(*facing, n, visiblePtr));
        flags.resize(count);
        toHost(visible, flags.data());
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("selectPoints");
    }
}
