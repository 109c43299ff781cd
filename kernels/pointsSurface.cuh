// Launch functions of kernels/pointsSurface.h.

KernelStatus computeFaceNormals(const std::vector<float>& points,
                                const std::vector<unsigned int>& triangles,
                                std::vector<float>& normals) {
    normals.clear();
    const std::size_t triangleCount = triangles.size() / 3;
    if (!checkDeviceMemory(points.size() * sizeof(float))) return KernelStatus::NotEnoughMemory;
    if (!checkDeviceMemory(3 * triangleCount * sizeof(unsigned int)))
        return KernelStatus::NotEnoughMemory;
    if (!checkDeviceMemory(3 * triangleCount * sizeof(float))) return KernelStatus::NotEnoughMemory;
    // No shape for an empty two-dimensional range: nothing to launch.
    if (triangleCount == 0) return KernelStatus::Ok;
    try {
        const DeviceVector<float> devicePoints = toDevice(points);
        const DeviceVector<unsigned int> deviceTriangles =
            toDevice(triangles.data(), 3 * triangleCount);
        DeviceVector<float> deviceNormals(3 * triangleCount);
        const float* p = raw(devicePoints);
        const unsigned int* tris = raw(deviceTriangles);
        float* out = raw(deviceNormals);
        const auto count = static_cast<unsigned int>(triangleCount);
        ZT_RETURN_IF_FAILED(launch2D(
            "calculateNormalVector", triangleCount, 64,
            ZT_LAMBDA(ElementIndex i) { calculateNormalVector(i, p, tris, out, count); }));
        normals = toHost(deviceNormals);
        return KernelStatus::Ok;
    } catch (...) {
        normals.clear();
        return reportDeviceFailure("computeFaceNormals");
    }
}

KernelStatus interpolateSampleUVs(const std::vector<float>& meshUV,
                                  const std::vector<unsigned int>& samplesTriID,
                                  std::vector<float>& sampleUV) {
    const std::size_t samplesCount = samplesTriID.size();
    if (sampleUV.size() < 2 * samplesCount) return KernelStatus::InvalidLaunch;
    if (!checkDeviceMemory(meshUV.size() * sizeof(float))) return KernelStatus::NotEnoughMemory;
    if (!checkDeviceMemory(samplesCount * (sizeof(unsigned int) + 2 * sizeof(float))))
        return KernelStatus::NotEnoughMemory;
    // Nothing to interpolate (and no empty host array to copy into).
    if (samplesCount == 0) return KernelStatus::Ok;
    try {
        const DeviceVector<float> deviceTable = toDevice(meshUV);
        const DeviceVector<unsigned int> deviceTriangles = toDevice(samplesTriID);
        DeviceVector<float> deviceUV = toDevice(sampleUV.data(), 2 * samplesCount);
        const float* table = raw(deviceTable);
        const unsigned int* tri = raw(deviceTriangles);
        float* uv = raw(deviceUV);
        const auto count = static_cast<unsigned int>(samplesCount);
        ZT_RETURN_IF_FAILED(launch1D(
            "computeSampleUV", samplesCount,
            ZT_LAMBDA(ElementIndex i) { computeSampleUV(i, table, tri, uv, count); }));
        toHost(deviceUV, sampleUV.data());
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("interpolateSampleUVs");
    }
}
