// Launch function of the orientation kernel (declared in kernels/rotation.h).
// Each group of device allocations is preceded by a memory check for its
// exact byte count; mesh data, layers and the random pool go to the device
// only when something reads them.
// Included by ztNodes.cu inside each backend's namespace.

KernelStatus computeRotations(const RotationInput& input, RotationResult& result) {
    result = RotationResult{};
    const std::string problem = validateRotationInput(input);
    if (!problem.empty()) {
        std::fprintf(stderr, "computeRotations: %s\n", problem.c_str());
        return KernelStatus::InvalidLaunch;
    }
    const std::size_t n = input.pointCount;
    const std::size_t meshPointCount = input.meshPointCount;
    const std::size_t layers = input.layerCount;
    const bool hasLayers = layers > 0;
    const bool meshUsed = hasLayers || input.computeLocalAim;
    const auto refuse = [&result](RotationMemoryGroup group) {
        result.refusedGroup = group;
        return KernelStatus::NotEnoughMemory;
    };

    try {
        if (!checkDeviceMemory(28 * n)) return refuse(RotationMemoryGroup::kPoints);
        const DeviceVector<unsigned int> triangles = toDevice(input.triangles);
        const DeviceVector<float> positions = toDevice(input.positions);
        const DeviceVector<float> normals = toDevice(input.normals);

        if (!checkDeviceMemory(12 * n)) return refuse(RotationMemoryGroup::kPoints);
        DeviceVector<float> rgb =
            input.startRgb.empty() ? DeviceVector<float>(3 * n, 0.0f) : toDevice(input.startRgb);

        if (!checkDeviceMemory(25 * n)) return refuse(RotationMemoryGroup::kPoints);
        DeviceVector<float> aim(3 * n);
        DeviceVector<float> up(3 * n);
        DeviceVector<unsigned char> visible(n, 0);

        DeviceVector<float> inColor;
        if (!input.inColor.empty()) {
            if (!checkDeviceMemory(12 * n)) return refuse(RotationMemoryGroup::kPoints);
            inColor = toDevice(input.inColor);
        }

        DeviceVector<float> meshPoints, intersection, distanceToEdge;
        if (input.computeLocalAim) {
            if (!checkDeviceMemory(12 * (meshPointCount + 2 * n)))
                return refuse(RotationMemoryGroup::kPoints);
            meshPoints = toDevice(input.meshPoints);
            intersection.resize(3 * n);
            distanceToEdge.resize(3 * n);
        }

        DeviceVector<unsigned int> triangleList;
        if (meshUsed) {
            if (!checkDeviceMemory(4 * input.triangleList.size()))
                return refuse(RotationMemoryGroup::kPoints);
            triangleList = toDevice(input.triangleList);
        }

        DeviceVector<float> uvs, layerColors, layerWeights;
        DeviceVector<short> layerTypes;
        if (hasLayers) {
            if (!checkDeviceMemory(8 * n)) return refuse(RotationMemoryGroup::kPoints);
            uvs = toDevice(input.uvs);
            if (!checkDeviceMemory(4 * (4 * meshPointCount * layers) + 6 * layers))
                return refuse(RotationMemoryGroup::kColorSets);
            layerColors = toDevice(input.layerColors);
            layerWeights = toDevice(input.layerWeights);
            layerTypes = toDevice(input.layerTypes);
        }

        DeviceVector<float> randomData;
        std::optional<RandomBuffer> pool;
        if (input.random) {
            if (!checkDeviceMemory(4 * (kRandomDataSize + kRotationRandomPoolSize)))
                return refuse(RotationMemoryGroup::kRandomData);
            randomData = toDevice(input.randomData, kRandomDataSize);
            pool.emplace(kRotationRandomPoolSize, input.seed);
            if (pool->status() == KernelStatus::NotEnoughMemory)
                return refuse(RotationMemoryGroup::kRandomData);
            ZT_RETURN_IF_FAILED(pool->status());
        }

        DirectionVectorArgs args;
        args.samples = raw(positions);
        args.samplesTriID = raw(triangles);
        args.normal = raw(normals);
        args.x0 = input.target[0];
        args.y0 = input.target[1];
        args.z0 = input.target[2];
        args.hasColor = !input.inColor.empty();
        args.addMode = input.addColorMode;
        args.inColorFactor = input.inColorFactor;
        args.inColor = raw(inColor);
        args.layersCount = input.layerCount;
        args.colors = raw(layerColors);
        args.weights = raw(layerWeights);
        args.layerTypes = raw(layerTypes);
        args.activeLayer = input.activeLayer;
        args.meshPointsCount = static_cast<unsigned int>(meshPointCount);
        args.triIds = raw(triangleList);
        args.uvs = raw(uvs);
        args.offsetR = input.offsetR;
        args.offsetG = input.offsetG;
        args.offsetB = input.offsetB;
        args.isRandom = input.random;
        args.randomData = raw(randomData);
        args.randomNumbers = pool ? pool->data() : nullptr;
        args.randomsNumber = kRotationRandomPoolSize;
        args.hasHistoryColors = !input.startRgb.empty();
        args.rgb = raw(rgb);
        args.directionVector = raw(aim);
        args.upVector = raw(up);
        args.visible = raw(visible);
        args.computeLocalAim = input.computeLocalAim;
        args.meshPoints = raw(meshPoints);
        args.intersection = raw(intersection);
        args.distanceToEdge = raw(distanceToEdge);
        args.numSamples = static_cast<unsigned int>(n);

        ZT_RETURN_IF_FAILED(launch1D(
            "computeDirectionVector", n,
            ZT_LAMBDA(ElementIndex i) { computeDirectionVector(i, args); }));

        result.rgb = toHost(rgb);
        result.aim = toHost(aim);
        result.up = toHost(up);
        result.visible = toHost(visible);
        if (input.computeLocalAim) {
            result.intersection = toHost(intersection);
            result.distanceToEdge = toHost(distanceToEdge);
        }
        return KernelStatus::Ok;
    } catch (...) {
        result = RotationResult{};
        return reportDeviceFailure("computeRotations");
    }
}
