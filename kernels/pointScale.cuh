// Launch of the scale computation: uploads what the settings use, draws the
// random pool, runs computeScale once per point and brings the scales back.

KernelStatus computeScales(const ScaleSettings& settings, std::size_t count,
                           std::vector<float>& scales) {
    scales.clear();
    if (count == 0) return KernelStatus::Ok;
    try {
        const unsigned short layerCount = settings.layers.count;
        const DeviceLayers layers = uploadLayers(settings.layers, count);
        DeviceVector<float> weights, factors, inColor;
        DeviceVector<short> types;
        if (layerCount > 0) {
            weights = toDevice(settings.layerWeights, layerCount);
            factors = toDevice(settings.layerFactors, layerCount);
            types = toDevice(settings.layerTypes, layerCount);
        }
        if (settings.inColor) inColor = toDevice(settings.inColor, 3 * count);

        const bool isRandom =
            settings.randomX != 0.0f || settings.randomY != 0.0f || settings.randomZ != 0.0f;
        std::optional<RandomBuffer> pool;
        if (isRandom) {
            pool.emplace(kScalePoolSize, settings.seed);
            ZT_RETURN_IF_FAILED(pool->status());
        }
        DeviceVector<float> result(3 * count);

        ScaleKernelArgs args{};
        args.scale = raw(result);
        args.uniform = settings.uniform;
        args.scaleX = settings.scaleX;
        args.scaleY = settings.scaleY;
        args.scaleZ = settings.scaleZ;
        args.hasColor = settings.inColor != nullptr;
        args.inColorFactor = settings.inColorFactor;
        args.inColor = raw(inColor);
        args.layersCount = layerCount;
        args.colors = raw(layers.colors);
        args.weights = raw(weights);
        args.layerTypes = raw(types);
        args.factors = raw(factors);
        args.meshPointsCount = settings.layers.vertexCount;
        args.triIds = raw(layers.triangles);
        args.uvs = raw(layers.uvs);
        args.samplesTriID = raw(layers.pointTriangles);
        args.isRandom = isRandom;
        args.randomNumbers = isRandom ? pool->data() : nullptr;
        args.randomsNumber = kScalePoolSize;
        args.scaleRandomX = settings.randomX;
        args.scaleRandomY = settings.randomY;
        args.scaleRandomZ = settings.randomZ;
        args.samplesCount = static_cast<unsigned int>(count);
        ZT_RETURN_IF_FAILED(launch1D(
            "computeScale", count, ZT_LAMBDA(ElementIndex i) { computeScale(i, args); }));
        scales = toHost(result);
        return KernelStatus::Ok;
    } catch (...) {
        scales.clear();
        return reportDeviceFailure("computeScales");
    }
}
