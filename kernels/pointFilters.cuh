// Launch functions of the point-set filter kernels (kernels/pointFilters.h).
// Every buffer is a DeviceVector owned by the call, released on every path.

namespace filters {

// Counts neighbours with equal values in an ascending table; when there are
// any, `repeated` receives one such value (looked up on the host: only the
// failure path pays for the copy).
inline bool findRepeatedId(const DeviceVector<unsigned int>& sorted, unsigned int& repeated) {
    const std::size_t n = sorted.size();
    if (n < 2) return false;
    const unsigned int* ids = raw(sorted);
    const std::size_t pairs = thrust::count_if(
        policy(), thrust::counting_iterator<std::size_t>(0),
        thrust::counting_iterator<std::size_t>(n - 1),
        ZT_LAMBDA(std::size_t k) { return ids[k] == ids[k + 1]; });
    if (pairs == 0) return false;
    const std::vector<unsigned int> host = toHost(sorted);
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (host[k] == host[k + 1]) {
            repeated = host[k];
            break;
        }
    }
    return true;
}

}  // namespace filters

KernelStatus blendPointChannels(const BlendInput& input, std::vector<BlendChannel>& channels,
                                BlendIdCheck& idCheck) {
    idCheck = BlendIdCheck{};
    const std::size_t n1 = input.firstCount;
    const std::size_t n2 = input.secondCount;
    if (n1 == 0 || n2 == 0) return KernelStatus::Ok;
    if (channels.size() > 0xFFFFu) return KernelStatus::InvalidLaunch;

    std::size_t bytes = (2 * n2 + 2 * n1) * sizeof(unsigned int);
    if (input.secondWeights != nullptr) bytes += n2 * sizeof(float);
    for (const BlendChannel& channel : channels) {
        bytes += (channel.first.size() + channel.second.size()) * sizeof(float);
    }
    bytes += channels.size() * (2 * sizeof(float*) + sizeof(unsigned short));
    if (!checkDeviceMemory(bytes)) return KernelStatus::NotEnoughMemory;

    try {
        // The id table of the first set, sorted, with each id's input index.
        DeviceVector<unsigned int> points1ID = toDevice(input.firstIds, n1);
        DeviceVector<unsigned int> map(n1);
        thrust::sequence(policy(), map.begin(), map.end());
        thrust::sort_by_key(policy(), points1ID.begin(), points1ID.end(), map.begin());
        if (filters::findRepeatedId(points1ID, idCheck.repeatedId)) {
            idCheck.repeatedInFirst = true;
            return KernelStatus::Ok;
        }
        DeviceVector<unsigned int> points2ID = toDevice(input.secondIds, n2);
        {
            // Two points of the second set with one id would blend into the
            // same partner at once.
            DeviceVector<unsigned int> sorted2 = points2ID;
            thrust::sort(policy(), sorted2.begin(), sorted2.end());
            if (filters::findRepeatedId(sorted2, idCheck.repeatedId)) {
                idCheck.repeatedInSecond = true;
                return KernelStatus::Ok;
            }
        }

        DeviceVector<float> fallofValues;
        if (input.secondWeights != nullptr) fallofValues = toDevice(input.secondWeights, n2);

        std::vector<DeviceVector<float>> columns;
        columns.reserve(2 * channels.size());
        std::vector<float*> addresses;
        std::vector<unsigned short> types;
        for (const BlendChannel& channel : channels) {
            const std::size_t width = channel.type == BlendChannelType::kVector ? 3 : 1;
            if (channel.first.size() != width * n1 || channel.second.size() != width * n2) {
                return KernelStatus::InvalidLaunch;
            }
            columns.push_back(toDevice(channel.first));
            columns.push_back(toDevice(channel.second));
            addresses.push_back(raw(columns[columns.size() - 2]));
            addresses.push_back(raw(columns.back()));
            types.push_back(static_cast<unsigned short>(channel.type));
        }
        DeviceVector<float*> data = toDevice(addresses);
        DeviceVector<unsigned short> typeArray = toDevice(types);

        const unsigned int* ids1 = raw(points1ID);
        const unsigned int* ids2 = raw(points2ID);
        const unsigned int* rankToIndex = raw(map);
        const unsigned short* typeCodes = raw(typeArray);
        float* const* columnTable = raw(data);
        const float factor = input.factor;
        const unsigned short attrCount = static_cast<unsigned short>(channels.size());
        const bool hasFallof = input.secondWeights != nullptr;
        const float* fallof = hasFallof ? raw(fallofValues) : nullptr;
        const unsigned int count1 = static_cast<unsigned int>(n1);
        const unsigned int count2 = static_cast<unsigned int>(n2);
        ZT_RETURN_IF_FAILED(launch1D(
            "blendValues", n2, ZT_LAMBDA(ElementIndex i) {
                blendValues(i, ids1, ids2, rankToIndex, typeCodes, columnTable, factor, attrCount,
                            hasFallof, fallof, count1, count2);
            }));
        for (std::size_t k = 0; k < channels.size(); ++k) {
            toHost(columns[2 * k], channels[k].first.data());
        }
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("blendPointChannels");
    }
}

KernelStatus containerWeights(const std::vector<float>& positions, const float* inverseMatrix,
                              ContainerShape shape, float fallof, std::vector<float>& weights) {
    const std::size_t n = positions.size() / 3;
    weights.assign(n, 0.0f);
    if (n == 0) return KernelStatus::Ok;
    if (!checkDeviceMemory((3 * n + n) * sizeof(float))) return KernelStatus::NotEnoughMemory;
    try {
        DeviceVector<float> points = toDevice(positions.data(), 3 * n);
        DeviceVector<float> contained(n, 0.0f);
        DeviceVector<float> matrixValues = toDevice(inverseMatrix, 16);
        const float* p = raw(points);
        float* w = raw(contained);
        const float* m = raw(matrixValues);
        const unsigned short type = static_cast<unsigned short>(shape);
        const unsigned int count = static_cast<unsigned int>(n);
        ZT_RETURN_IF_FAILED(launch1D(
            "computePointInclusion", n,
            ZT_LAMBDA(ElementIndex i) { computePointInclusion(i, p, w, m, type, fallof, count); }));
        toHost(contained, weights.data());
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("containerWeights");
    }
}

KernelStatus transformPointArray(std::vector<float>& xyz, const float* matrix, bool translate) {
    const std::size_t n = xyz.size() / 3;
    if (n == 0) return KernelStatus::Ok;
    try {
        DeviceVector<float> points = toDevice(xyz.data(), 3 * n);
        DeviceVector<float> matrixValues = toDevice(matrix, 16);
        float* p = raw(points);
        const float* m = raw(matrixValues);
        const unsigned int count = static_cast<unsigned int>(n);
        ZT_RETURN_IF_FAILED(launch1D(
            "transformPoints", n,
            ZT_LAMBDA(ElementIndex i) { transformPoints(i, p, m, translate, count); }));
        toHost(points, xyz.data());
        return KernelStatus::Ok;
    } catch (...) {
        return reportDeviceFailure("transformPointArray");
    }
}
