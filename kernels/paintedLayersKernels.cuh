#pragma once
// Per-point reads of painted vertex-colour layers, shared by the attribute
// kernels (rotation, scale, object id).

// The value at parametric (u, v) of a triangle with corner values A, B, C,
// written as the kernels have always evaluated it (A - uA - vA + uB + vC),
// so every backend rounds the same way.
ZT_HD inline float barycentric(float a, float b, float c, float u, float v) {
    return a - u * a - v * a + u * b + v * c;
}

struct LayerColor {
    float r, g, b, a;
};

ZT_HD inline float clampUnit(float value) {
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

// Colour of `layer` at a point of triangle corners (ca, cb, cc) and
// parametric (u, v): red, green and blue interpolated as painted, alpha
// interpolated from the corner alphas clamped to [0, 1].
ZT_HD inline LayerColor layerColorAt(const float* colors, unsigned int vertexCount,
                                     unsigned int layer, unsigned int ca, unsigned int cb,
                                     unsigned int cc, float u, float v) {
    const std::size_t base = static_cast<std::size_t>(layer) * vertexCount;
    const float* pa = colors + 4 * (base + ca);
    const float* pb = colors + 4 * (base + cb);
    const float* pc = colors + 4 * (base + cc);
    LayerColor color;
    color.r = barycentric(pa[0], pb[0], pc[0], u, v);
    color.g = barycentric(pa[1], pb[1], pc[1], u, v);
    color.b = barycentric(pa[2], pb[2], pc[2], u, v);
    color.a = barycentric(clampUnit(pa[3]), clampUnit(pb[3]), clampUnit(pc[3]), u, v);
    return color;
}

// The layer data of `count` points on the device (empty without layers).
struct DeviceLayers {
    DeviceVector<float> colors, uvs;
    DeviceVector<unsigned int> triangles, pointTriangles;
};

inline DeviceLayers uploadLayers(const PaintedLayers& layers, std::size_t count) {
    DeviceLayers device;
    if (layers.count == 0) return device;
    device.colors = toDevice(layers.colors, 4u * layers.vertexCount * layers.count);
    device.triangles = toDevice(layers.triangles, 3u * layers.triangleCount);
    device.pointTriangles = toDevice(layers.pointTriangles, count);
    device.uvs = toDevice(layers.pointUvs, 2u * count);
    return device;
}
