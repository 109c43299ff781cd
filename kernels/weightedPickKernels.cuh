#pragma once
// Weighted picks from an inclusive prefix-sum table: the scatter picks the
// triangle (or edge) of each candidate by area (or length), the object id
// node picks an entry of its weighted list.

// Inclusive prefix sum of floats, added one after another in index order on
// the host. A parallel scan groups the additions differently on every backend
// and machine, and the sums pick the triangles and edges of the candidates,
// so the order is fixed here: both backends get the same table to the bit.
inline void inclusiveScanInOrder(DeviceVector<float>& values) {
    std::vector<float> host = toHost(values);
    float sum = 0.0f;
    for (float& v : host) v = sum = sum + v;
    thrust::copy(host.begin(), host.end(), values.begin());
}

// Index of the element whose interval of an inclusive prefix-sum table holds
// r * total: the first t with r * total < cumulative[t], or the last element
// when the target reaches the end of the table.
ZT_HD inline unsigned int getTriIndex(const float* cumulative, int count, float r, float total) {
    if (count == 1) return 0;
    if (r == 0.0f) return 0;
    if (r == 1.0f) return static_cast<unsigned int>(count - 1);
    const float target = total * r;
    int hi = count - 1;
    int lo = 0;
    int mid = hi / 2;
    for (;;) {
        const float c0 = cumulative[mid];
        const float c1 = cumulative[mid + 1];
        if (c0 <= target && target < c1) return static_cast<unsigned int>(mid + 1);
        if (target < c0) {
            if (mid == 0) return 0;
            hi = mid;
            mid = (mid + lo) / 2;
        } else {
            if (mid + 1 == hi) return static_cast<unsigned int>(hi);
            lo = mid;
            mid = (mid + hi) / 2;
        }
    }
}
