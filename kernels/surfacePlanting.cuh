// Launch function of the re-planting kernel (declared in
// kernels/surfacePlanting.h). It sorts after scatterPoints.cuh, whose smooth
// normal pass it reuses.
// Included by ztNodes.cu inside each backend's namespace.

KernelStatus computeSamplesOnMesh(const PlantInput& input, PlantResult& result) {
    result = PlantResult{};
    const std::string problem = validatePlantInput(input);
    if (!problem.empty()) {
        std::fprintf(stderr, "computeSamplesOnMesh: %s\n", problem.c_str());
        return KernelStatus::InvalidLaunch;
    }
    const std::size_t n = input.pointCount;
    const std::size_t vertices = input.meshPoints.size() / 3;
    const std::size_t triangles = input.triangleList.size() / 3;
    // No shape for an empty range: nothing to launch.
    if (n == 0 || triangles == 0) return KernelStatus::Ok;

    try {
        // Per point: triangle id, (u, v), R G B, intersections, distances,
        // normal, and the three outputs.
        if (!checkDeviceMemory(4 * n + 8 * n + 12 * n * 7)) return KernelStatus::NotEnoughMemory;
        const DeviceVector<unsigned int> triangleIds = toDevice(input.triangles);
        const DeviceVector<float> uvs = toDevice(input.uvs);
        const DeviceVector<float> rgb = toDevice(input.rgb);
        const DeviceVector<float> intersection = toDevice(input.intersection);
        const DeviceVector<float> distanceToEdge = toDevice(input.distanceToEdge);
        DeviceVector<float> position(3 * n), aim(3 * n), up(3 * n);

        if (!checkDeviceMemory(12 * vertices)) return KernelStatus::NotEnoughMemory;
        const DeviceVector<float> meshPoints = toDevice(input.meshPoints);
        if (!checkDeviceMemory(12 * triangles)) return KernelStatus::NotEnoughMemory;
        const DeviceVector<unsigned int> triangleList = toDevice(input.triangleList);

        DeviceVector<float> normals;
        ZT_RETURN_IF_FAILED(scatter::smoothNormalsAtSamples(
            meshPoints, triangleList, static_cast<unsigned int>(vertices),
            static_cast<unsigned int>(triangles), raw(triangleIds), raw(uvs),
            static_cast<unsigned int>(n), normals));

        PlantArgs args;
        args.samplesTriID = raw(triangleIds);
        args.uvs = raw(uvs);
        args.rgb = raw(rgb);
        args.intersection = raw(intersection);
        args.distanceToEdge = raw(distanceToEdge);
        args.normal = raw(normals);
        args.meshPoints = raw(meshPoints);
        args.triIds = raw(triangleList);
        args.position = raw(position);
        args.aim = raw(aim);
        args.up = raw(up);
        args.numSamples = static_cast<unsigned int>(n);
        ZT_RETURN_IF_FAILED(launch2D(
            "computeSamplesOnMesh", n, 64,
            ZT_LAMBDA(ElementIndex i) { computeSampleOnMesh(i, args); }));

        result.position = toHost(position);
        result.aim = toHost(aim);
        result.up = toHost(up);
        return KernelStatus::Ok;
    } catch (...) {
        result = PlantResult{};
        return reportDeviceFailure("computeSamplesOnMesh");
    }
}
