// Per-point surface attributes on the CPU backend at 10^6 points: UVs
// interpolated from the per-triangle UV table (ztPointsUV's kernel), face
// normals with the per-point lookup ztPointsNormal does, and texture
// sampling at 10^6 UVs (the texel lookup alone, and the whole
// MRenderUtil::sampleShadingNetwork call ztColorBuffer makes). Items are
// points or samples.
//
//   build/bin/surfaceAttributesBench --benchmark_min_time=0.5

#include <benchmark/benchmark.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MRenderUtil.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "hostInit.h"
#include "kernels/pointsSurface.h"
#include "mel/engine.h"
#include "render/textureImage.h"

namespace {

constexpr std::size_t kPoints = 1000000;

// A side x side vertex grid in XZ with a bump in Y, its UV table, and points
// spread over its triangles at random.
struct Grid {
    std::vector<float> points;
    std::vector<unsigned int> triangles;
    std::vector<float> uvTable;
    std::vector<unsigned int> pointTriangles;
    std::vector<float> pointUVs;

    explicit Grid(unsigned int side) {
        for (unsigned int y = 0; y < side; ++y) {
            for (unsigned int x = 0; x < side; ++x) {
                const float fx = float(x) / float(side - 1), fz = float(y) / float(side - 1);
                points.insert(points.end(), {fx, 0.1f * fx * fz, fz});
            }
        }
        for (unsigned int y = 0; y + 1 < side; ++y) {
            for (unsigned int x = 0; x + 1 < side; ++x) {
                const unsigned int v = y * side + x;
                for (unsigned int corner : {v, v + 1, v + side, v + 1, v + side + 1, v + side}) {
                    triangles.push_back(corner);
                    uvTable.push_back(points[3 * corner]);
                    uvTable.push_back(points[3 * corner + 2]);
                }
            }
        }
        std::mt19937 random(7);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        const auto triangleCount = static_cast<unsigned int>(triangles.size() / 3);
        pointTriangles.resize(kPoints);
        pointUVs.resize(2 * kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            pointTriangles[i] = static_cast<unsigned int>(random() % triangleCount);
            const float u = unit(random), v = unit(random) * (1.0f - u);
            pointUVs[2 * i] = u;
            pointUVs[2 * i + 1] = v;
        }
    }
};

const Grid& grid() {
    static const Grid g(200);  // 79 202 triangles
    return g;
}

void BM_InterpolateSampleUVs(benchmark::State& state) {
    const Grid& g = grid();
    std::vector<float> uv;
    for (auto _ : state) {
        uv = g.pointUVs;
        if (zt::interpolateSampleUVs(g.uvTable, g.pointTriangles, uv) != zt::KernelStatus::Ok)
            state.SkipWithError("interpolateSampleUVs failed");
        benchmark::DoNotOptimize(uv.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_InterpolateSampleUVs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Face normals of the mesh, then each point's normal looked up from its
// triangle, as ztPointsNormal does.
void BM_PointNormals(benchmark::State& state) {
    const Grid& g = grid();
    std::vector<float> faceNormals;
    std::vector<double> normals(3 * kPoints);
    for (auto _ : state) {
        if (zt::computeFaceNormals(g.points, g.triangles, faceNormals) != zt::KernelStatus::Ok)
            state.SkipWithError("computeFaceNormals failed");
        for (std::size_t i = 0; i < kPoints; ++i) {
            const float* n = faceNormals.data() + 3 * g.pointTriangles[i];
            normals[3 * i] = n[0];
            normals[3 * i + 1] = n[1];
            normals[3 * i + 2] = n[2];
        }
        benchmark::DoNotOptimize(normals.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_PointNormals)->Unit(benchmark::kMillisecond)->UseRealTime();

// Face normals alone on a mesh of about 10^6 triangles (items: triangles).
void BM_FaceNormals(benchmark::State& state) {
    static const Grid big(708);  // 1 000 000 triangles
    std::vector<float> faceNormals;
    for (auto _ : state) {
        if (zt::computeFaceNormals(big.points, big.triangles, faceNormals) != zt::KernelStatus::Ok)
            state.SkipWithError("computeFaceNormals failed");
        benchmark::DoNotOptimize(faceNormals.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * (big.triangles.size() / 3)));
}
BENCHMARK(BM_FaceNormals)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 512 x 512 noise texture and 10^6 random UVs over four repeats.
struct TextureScene {
    std::string path;
    MFloatArray u, v;
    TextureScene() : u(kPoints), v(kPoints) {
        zt::host::startHost();
        path = (std::filesystem::temp_directory_path() / "zt_bench_texture.ppm").string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fprintf(file, "P6\n512 512\n255\n");
        std::mt19937 random(3);
        for (int i = 0; i < 512 * 512 * 3; ++i) std::fputc(static_cast<int>(random() & 255), file);
        std::fclose(file);
        std::uniform_real_distribution<float> range(-2.0f, 2.0f);
        for (unsigned int i = 0; i < kPoints; ++i) {
            u[i] = range(random);
            v[i] = range(random);
        }
    }
};

const TextureScene& textureScene() {
    static const TextureScene scene;
    return scene;
}

void BM_TextureLookup(benchmark::State& state) {
    const TextureScene& scene = textureScene();
    zt::host::TextureImage image;
    std::string error;
    if (!image.load(scene.path, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    zt::host::TextureLookup lookup;
    lookup.bilinear = state.range(0) != 0;
    for (auto _ : state) {
        float sum = 0.0f;
        for (unsigned int i = 0; i < kPoints; ++i)
            sum += image.sample(scene.u[i], scene.v[i], lookup).g;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
    state.SetLabel(lookup.bilinear ? "bilinear" : "nearest");
}
BENCHMARK(BM_TextureLookup)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The renderer call of ztColorBuffer: a file node placed by place2dTexture,
// the network compiled and the texture read once per call.
void BM_SampleShadingNetwork(benchmark::State& state) {
    TextureScene& scene = const_cast<TextureScene&>(textureScene());
    zt::host::newScene();
    if (!zt::mel::executeText("createNode file -n tex; setAttr -type \"string\" "
                              "tex.fileTextureName \"" +
                              scene.path +
                              "\"; createNode place2dTexture -n place;"
                              "connectAttr place.outUV tex.uvCoord; setAttr place.repeatUV 2 2;")) {
        state.SkipWithError("scene set-up failed");
        return;
    }
    MFloatMatrix camera;
    MFloatVectorArray colors, transparencies;
    for (auto _ : state) {
        const MStatus status = MRenderUtil::sampleShadingNetwork(
            "tex.outColor", static_cast<int>(kPoints), false, false, camera, nullptr, &scene.u,
            &scene.v, nullptr, nullptr, nullptr, nullptr, nullptr, colors, transparencies);
        if (!status) state.SkipWithError("sampleShadingNetwork failed");
        benchmark::DoNotOptimize(&colors[0]);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_SampleShadingNetwork)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
