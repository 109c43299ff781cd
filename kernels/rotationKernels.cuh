// Per-point body of the orientation kernel, computeDirectionVector: the R, G,
// B numbers of a point from its start values, colour inputs, offsets and
// random terms, the tangent direction towards the projected target, the
// optional edge intersections, and the aim and up vectors from two Rodrigues
// rotations.
//
// Arithmetic is single precision, evaluated in a fixed order without
// contraction; the few products marked below are formed in double precision
// and rounded back. Apart from sin and cos (one per rotation and one cosine
// per random channel) both backends give the same bits.
// Included by ztNodes.cu inside each backend's namespace.

#include "kernels/orientationKernels.cuh"
#include "kernels/paintedLayersKernels.cuh"
#include "kernels/vectorKernels.cuh"

// Everything one launch of computeDirectionVector reads and writes, as raw
// pointers into the backend's memory. Pointers of unused inputs are null.
struct DirectionVectorArgs {
    const float* samples = nullptr;              // 3n positions
    const unsigned int* samplesTriID = nullptr;  // n triangle ids
    const float* normal = nullptr;               // 3n
    float x0 = 0.0f, y0 = 0.0f, z0 = 0.0f;       // target
    bool hasColor = false;
    bool addMode = false;
    float inColorFactor = 1.0f;
    const float* inColor = nullptr;  // 3n
    unsigned short layersCount = 0;
    const float* colors = nullptr;      // 4 * V * layersCount, layer-major RGBA
    const float* weights = nullptr;     // per layer
    const short* layerTypes = nullptr;  // per layer
    short activeLayer = -1;
    unsigned int meshPointsCount = 0;      // V
    const unsigned int* triIds = nullptr;  // 3 corner vertices per triangle
    const float* uvs = nullptr;            // 2n
    float offsetR = 0.0f, offsetG = 0.0f, offsetB = 0.0f;
    bool isRandom = false;
    const float* randomData = nullptr;     // 15 floats
    const float* randomNumbers = nullptr;  // pool
    unsigned int randomsNumber = 0;        // pool size
    bool hasHistoryColors = false;
    float* rgb = nullptr;              // 3n, in (start values) and out
    float* directionVector = nullptr;  // 3n out
    float* upVector = nullptr;         // 3n out
    unsigned char* visible = nullptr;  // n out, written while layers are processed
    bool computeLocalAim = false;
    const float* meshPoints = nullptr;  // 3V
    float* intersection = nullptr;      // 3n out
    float* distanceToEdge = nullptr;    // 3n out
    unsigned int numSamples = 0;        // n
};

// Pool value k positions after the point's own index, wrapping at the pool size.
ZT_HD inline float poolValue(const DirectionVectorArgs& args, ElementIndex i, unsigned int k) {
    const std::size_t index = (static_cast<std::size_t>(i) + k) % args.randomsNumber;
    return args.randomNumbers[index];
}

// Moves R, G, B towards (replace) or by (add) a colour with weight k. R stays in [-1, 1].
ZT_HD inline void applyColor(float& r, float& g, float& b, bool add, float k, float cr, float cg,
                             float cb) {
    if (add) {
        r = clampRotation(r + k * (2.0f * cr - 1.0f), -1.0f, 1.0f);
        g = g + k * (2.0f * cg - 1.0f);
        b = b + k * (2.0f * cb - 1.0f);
    } else {
        r = clampRotation(r * (1.0f - k) + cr * k, -1.0f, 1.0f);
        g = g * (1.0f - k) + cg * k;
        b = b * (1.0f - k) + cb * k;
    }
}

// The painted layers, in order (only the active one when activeLayer > -1).
// The visibility of the point is decided by the last layer processed: an add
// layer with zero alpha at the point hides it.
ZT_HD inline void applyLayers(const DirectionVectorArgs& args, ElementIndex i, float& r, float& g,
                              float& b) {
    const std::size_t t = args.samplesTriID[i];
    const unsigned int corners[3] = {args.triIds[3 * t], args.triIds[3 * t + 1],
                                     args.triIds[3 * t + 2]};
    const float u = args.uvs[2 * static_cast<std::size_t>(i)];
    const float v = args.uvs[2 * static_cast<std::size_t>(i) + 1];
    for (unsigned short layer = 0; layer < args.layersCount; ++layer) {
        if (args.activeLayer > -1 && layer != args.activeLayer) continue;
        const float weight = args.weights[layer];
        const short type = args.layerTypes[layer];
        const LayerColor color = layerColorAt(args.colors, args.meshPointsCount, layer, corners[0],
                                              corners[1], corners[2], u, v);
        if (type == 1 && color.a == 0.0f) {
            args.visible[i] = 0;
            continue;
        }
        args.visible[i] = 1;
        if (weight == 0.0f || color.a == 0.0f) continue;
        // Red is clamped to [-1, 1] per corner before interpolation; green
        // and blue are used as painted.
        const float* layerColors =
            args.colors + 4 * (static_cast<std::size_t>(layer) * args.meshPointsCount);
        const float red =
            barycentric(clampRotation(layerColors[4 * corners[0]], -1.0f, 1.0f),
                        clampRotation(layerColors[4 * corners[1]], -1.0f, 1.0f),
                        clampRotation(layerColors[4 * corners[2]], -1.0f, 1.0f), u, v);
        applyColor(r, g, b, type == 1, color.a * weight, red, color.g, color.b);
    }
}

// Adds the random terms of one channel (0, 1, 2 = R, G, B) to `value`: a
// static term from pool value `channel` and an oscillation whose speed and
// phase come from pool values 3 + channel and 6 + channel.
ZT_HD inline float addRandomTerms(const DirectionVectorArgs& args, ElementIndex i,
                                  unsigned int channel, float value) {
    const float* d = args.randomData;
    const float minSpeed = d[3 + channel];
    const float maxSpeed = d[6 + channel];
    const float speed = minSpeed + poolValue(args, i, 3 + channel) * (maxSpeed - minSpeed);
    const float timeTerm = d[9 + channel] * speed;
    // The phase product and the sum in double precision, rounded once.
    const float angle =
        static_cast<float>(static_cast<double>(timeTerm) +
                           static_cast<double>(poolValue(args, i, 6 + channel)) * 3.14159265359);
    return value + d[channel] * (2.0f * poolValue(args, i, channel) - 1.0f) +
           d[12 + channel] * cosf(angle);
}

// The unit tangent direction from p towards the target moved onto the plane
// through p with normal n (n as stored, not normalised).
ZT_HD inline Vec3f tangentTowardsTarget(const Vec3f& n, const Vec3f& p, const Vec3f& target) {
    const float distance = fabsf(dotVec3f(n, p) - dotVec3f(n, target)) / lengthVec3f(n);
    const Vec3f projected = dotVec3f(n, subVec3f(target, p)) >= 0.0f
                                ? subVec3f(target, scaleVec3f(distance, n))
                                : addVec3f(target, scaleVec3f(distance, n));
    Vec3f dir = subVec3f(projected, p);
    float length = lengthVec3f(dir);
    if (length == 0.0f) {
        // The target projects onto the point: any tangent will do; this one is
        // n x (-1, 0, 0) = (0, -n.z, n.y).
        const Vec3f shifted = {static_cast<float>(static_cast<double>(dir.x) - 1.0), dir.y, dir.z};
        dir = crossVec3f(n, shifted);
        length = lengthVec3f(dir);
        if (length == 0.0f) {
            // n lies along x: n x (0, -1, 0) instead.
            dir = crossVec3f(n, Vec3f{0.0f, -1.0f, 0.0f});
            length = lengthVec3f(dir);
        }
        // A zero normal leaves no direction at all; keep the zero vector
        // rather than dividing by zero.
        if (length == 0.0f) return dir;
    }
    return {dir.x / length, dir.y / length, dir.z / length};
}

ZT_HD inline void computeDirectionVector(ElementIndex i, const DirectionVectorArgs& args) {
    if (i >= args.numSamples) return;

    // R, G, B: start values, point colour, layers, offsets, random terms.
    float r = 0.0f, g = 0.0f, b = 0.0f;
    if (args.hasHistoryColors) {
        const Vec3f start = loadVec3f(args.rgb, i);
        r = start.x;
        g = start.y;
        b = start.z;
    }
    if (args.hasColor) {
        const Vec3f c = loadVec3f(args.inColor, i);
        applyColor(r, g, b, args.addMode, args.inColorFactor, c.x, c.y, c.z);
    }
    if (args.layersCount > 0) applyLayers(args, i, r, g, b);
    r = clampRotation(r + args.offsetR, -1.0f, 1.0f);
    g = g + args.offsetG;
    b = b + args.offsetB;
    if (args.isRandom) {
        r = clampRotation(addRandomTerms(args, i, 0, r), -1.0f, 1.0f);
        g = addRandomTerms(args, i, 1, g);
        b = addRandomTerms(args, i, 2, b);
    }

    const Vec3f n = loadVec3f(args.normal, i);
    const Vec3f p = loadVec3f(args.samples, i);
    const Vec3f dir = tangentTowardsTarget(n, p, Vec3f{args.x0, args.y0, args.z0});

    if (args.computeLocalAim) {
        const std::size_t t = args.samplesTriID[i];
        for (unsigned int k = 0; k < 3; ++k) {
            const Vec3f start = loadVec3f(args.meshPoints, args.triIds[3 * t + k]);
            const Vec3f end = loadVec3f(args.meshPoints, args.triIds[3 * t + (k + 1) % 3]);
            float s = 0.0f, lambda = 0.0f;
            intersectEdge(p, dir, start, subVec3f(end, start), s, lambda);
            args.intersection[3 * static_cast<std::size_t>(i) + k] = s;
            args.distanceToEdge[3 * static_cast<std::size_t>(i) + k] = lambda;
        }
    }

    // Aim and up from R, G, B, the normal and the tangent direction.
    const AimAndUp frame = orientFromRotation(n, dir, r, g, b);

    storeVec3f(args.directionVector, i, frame.aim);
    storeVec3f(args.upVector, i, frame.up);
    storeVec3f(args.rgb, i, Vec3f{r, g, b});
}
