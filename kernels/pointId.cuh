// Launch of the object id computation: the weighted list becomes a prefix-sum
// table on the device, the pool is drawn when anything random is in use, and
// computePointId runs once per point.

KernelStatus computePointIds(const PointIdSettings& settings, std::size_t count,
                             std::vector<unsigned int>& ids) {
    ids.clear();
    if (count == 0) return KernelStatus::Ok;
    try {
        DeviceVector<unsigned int> listIds, layerIds;
        DeviceVector<float> probability, inColor;
        float total = 0.0f;
        if (settings.listCount > 0) {
            listIds = toDevice(settings.listIds, settings.listCount);
            probability = toDevice(settings.listWeights, settings.listCount);
            if (settings.listCount > 1) inclusiveScanInOrder(probability);
            total = probability[settings.listCount - 1];
        }
        const PaintedLayers& layers = settings.layers;
        const DeviceLayers deviceLayers = uploadLayers(layers, count);
        if (layers.count > 0) layerIds = toDevice(settings.layerIds, 3u * layers.count);
        if (settings.inColor) inColor = toDevice(settings.inColor, 3 * count);

        const bool needsPool = layers.count > 0 || settings.listCount > 0 || settings.inColor;
        std::optional<RandomBuffer> pool;
        if (needsPool) {
            pool.emplace(kPointIdPoolSize, settings.seed);
            ZT_RETURN_IF_FAILED(pool->status());
        }
        DeviceVector<unsigned int> result(count);

        PointIdKernelArgs args{};
        args.id = raw(result);
        args.baseId = settings.baseId;
        args.randomIndex = raw(listIds);
        args.probability = raw(probability);
        args.randomInputCount = settings.listCount;
        args.totalProbabilityFactor = total;
        args.layersCount = layers.count;
        args.colors = raw(deviceLayers.colors);
        args.rgbId = raw(layerIds);
        args.meshPointsCount = layers.vertexCount;
        args.triIds = raw(deviceLayers.triangles);
        args.uvs = raw(deviceLayers.uvs);
        args.samplesTriID = raw(deviceLayers.pointTriangles);
        args.hasColor = settings.inColor != nullptr;
        args.inColor = raw(inColor);
        args.idRed = settings.idRed;
        args.idGreen = settings.idGreen;
        args.idBlue = settings.idBlue;
        args.randomNumbers = needsPool ? pool->data() : nullptr;
        args.randomsNumber = needsPool ? kPointIdPoolSize : 0u;
        args.samplesCount = static_cast<unsigned int>(count);
        ZT_RETURN_IF_FAILED(launch1D(
            "computePointId", count, ZT_LAMBDA(ElementIndex i) { computePointId(i, args); }));
        ids = toHost(result);
        return KernelStatus::Ok;
    } catch (...) {
        ids.clear();
        return reportDeviceFailure("computePointIds");
    }
}
