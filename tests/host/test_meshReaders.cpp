// Mesh file readers: vertex sharing and order, per-corner UVs, colours,
// binary PLY, and clear errors for bad files.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "host/src/mesh/meshReaders.h"
#include "meshFileTest.h"

using zt::host::MeshError;
using zt::host::MeshGeometry;
using zt::host::readMeshFile;

namespace {

using MeshReaders = MeshFileTest;

std::string binaryQuadPly(bool bigEndian) {
    const std::string header = std::string("ply\nformat ") +
                               (bigEndian ? "binary_big_endian" : "binary_little_endian") +
                               " 1.0\n"
                               "element vertex 4\n"
                               "property double x\nproperty float y\nproperty float z\n"
                               "property short nx\n"  // read past, not kept
                               "property float u\nproperty float v\n"
                               "element face 2\n"
                               "property list uchar uint vertex_indices\n"
                               "element edge 1\n"  // whole element read past
                               "property int vertex1\nproperty int vertex2\n"
                               "end_header\n";
    Bytes b(bigEndian);
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const double x[4] = {0, 1, 1, 0};
    const float y[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        b.put(x[i]).put(y[i]).put(2.5f).put<std::int16_t>(-7).put(uv[i][0]).put(uv[i][1]);
    b.put<std::uint8_t>(3).put<std::uint32_t>(0).put<std::uint32_t>(1).put<std::uint32_t>(2);
    b.put<std::uint8_t>(3).put<std::uint32_t>(0).put<std::uint32_t>(2).put<std::uint32_t>(3);
    b.put<std::int32_t>(0).put<std::int32_t>(2);
    return header + b.str();
}

void expectQuadTopology(const MeshGeometry& m) {
    EXPECT_EQ(m.numVertices(), 4);
    EXPECT_EQ(m.faceCounts(), (std::vector<int>{3, 3}));
    EXPECT_EQ(m.faceVertices(), (std::vector<int>{0, 1, 2, 0, 2, 3}));
    EXPECT_FLOAT_EQ(static_cast<float>(m.point(2).x), 1.f);
    EXPECT_FLOAT_EQ(static_cast<float>(m.point(2).y), 1.f);
    EXPECT_FLOAT_EQ(static_cast<float>(m.point(3).x), 0.f);
    EXPECT_FLOAT_EQ(static_cast<float>(m.point(3).y), 1.f);
}

}  // namespace

TEST_F(MeshReaders, SharedVerticesStaySharedInFileOrderInEveryFormat) {
    for (const char* name : {"quad.obj", "quad.ply", "quad.off"}) {
        SCOPED_TRACE(name);
        expectQuadTopology(readMeshFile(meshDataFile(name)));
    }
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "binary big endian" : "binary little endian");
        const MeshGeometry m = readMeshFile(write("quad.ply", binaryQuadPly(big)));
        expectQuadTopology(m);
        EXPECT_FLOAT_EQ(static_cast<float>(m.point(1).z), 2.5f);
        // Per-vertex texture coordinates: one UV per vertex, ids = vertex ids.
        EXPECT_EQ(m.uvSet().cornerUVs, m.faceVertices());
        EXPECT_FLOAT_EQ(m.uvSet().u[1], 1.f);
        EXPECT_FLOAT_EQ(m.uvSet().v[3], 1.f);
    }
    // The extension may be overridden, and is matched without case.
    expectQuadTopology(readMeshFile(write("quad.MESH",
                                          "OFF\n4 2 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n"
                                          "3 0 1 2\n3 0 2 3\n"),
                                    "off"));
}

TEST_F(MeshReaders, ObjKeepsPerCornerUVsNegativeIndicesAndColours) {
    const std::string path = write("seam.obj",
                                   "o seam\n"
                                   "v 0 0 0 1 0 0\n"
                                   "v 1 0 0 0 1 0\n"
                                   "v 1 1 0\n"  // no colour
                                   "v 0 1 0 0 0 1\n"
                                   "vt 0 0\nvt 1 0\nvt 1 1\nvt 0.5 0.5\nvt 0 1\n"
                                   "f 1/1 2/2 3/3\n"
                                   "f -4/-2 -2/-3 -1/-1\n"  // 1/4 3/3 4/5
                                   "f 2 3 4\n");            // no UVs
    const MeshGeometry m = readMeshFile(path);
    EXPECT_EQ(m.faceVertices(), (std::vector<int>{0, 1, 2, 0, 2, 3, 1, 2, 3}));
    EXPECT_EQ(m.uvSet().cornerUVs, (std::vector<int>{0, 1, 2, 3, 2, 4, -1, -1, -1}));
    // Vertex 0 has UV 0 in the first face and UV 3 in the second.
    EXPECT_FLOAT_EQ(m.uvSet().u[3], 0.5f);
    ASSERT_EQ(m.colorSets().size(), 1u);
    EXPECT_EQ(m.currentColorSetName(), "colorSet1");
    const auto& colors = m.colorSets()[0];
    EXPECT_EQ(colors.isSet, (std::vector<std::uint8_t>{1, 1, 0, 1}));
    EXPECT_FLOAT_EQ(colors.colors[1][1], 1.f);
    EXPECT_FLOAT_EQ(colors.colors[3][2], 1.f);
    EXPECT_FLOAT_EQ(colors.colors[3][0], 0.f);

    // Without "v ... r g b" lines there is no colour set and no UVs.
    const MeshGeometry plain = readMeshFile(write("plain.obj",
                                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                                  "f 1 2 3\n"));
    EXPECT_TRUE(plain.colorSets().empty());
    EXPECT_EQ(plain.uvSet().cornerUVs, std::vector<int>(3, -1));
}

TEST_F(MeshReaders, PlyAndOffColoursTexcoordsAndPolygons) {
    const MeshGeometry bytes = readMeshFile(meshDataFile("quad.ply"));
    ASSERT_EQ(bytes.colorSets().size(), 1u);
    const auto& c = bytes.colorSets()[0];
    EXPECT_EQ(c.name, "colorSet1");
    EXPECT_EQ(bytes.currentColorSetName(), "colorSet1");
    EXPECT_FLOAT_EQ(c.colors[0][0], 1.f);
    EXPECT_FLOAT_EQ(c.colors[1][1], 1.f);
    EXPECT_FLOAT_EQ(c.colors[1][0], 0.f);
    EXPECT_FLOAT_EQ(c.colors[2][3], 1.f);  // no alpha property: opaque
    EXPECT_EQ(c.isSet, std::vector<std::uint8_t>(4, 1));

    const MeshGeometry floats =
        readMeshFile(write("float.ply",
                           "ply\nformat ascii 1.0\nelement vertex 3\n"
                           "property float x\nproperty float y\nproperty float z\n"
                           "property float red\nproperty float green\nproperty float blue\n"
                           "property float alpha\n"
                           "element face 1\nproperty list uchar int vertex_indices\n"
                           "property list uchar float texcoord\nend_header\n"
                           "0 0 0 0.25 0.5 0.75 0.5\n1 0 0 1 1 1 1\n0 1 0 0 0 0 0\n"
                           "3 2 0 1 6 0.1 0.2 0.3 0.4 0.5 0.6\n"));
    const auto& fc = floats.colorSets()[0];
    EXPECT_FLOAT_EQ(fc.colors[0][0], 0.25f);
    EXPECT_FLOAT_EQ(fc.colors[0][2], 0.75f);
    EXPECT_FLOAT_EQ(fc.colors[0][3], 0.5f);
    // One UV per corner, in corner order: corner 1 (vertex 0) has (0.3, 0.4).
    EXPECT_EQ(floats.uvSet().cornerUVs, (std::vector<int>{0, 1, 2}));
    EXPECT_FLOAT_EQ(floats.uvSet().u[1], 0.3f);
    EXPECT_FLOAT_EQ(floats.uvSet().v[2], 0.6f);

    // OFF variants with colours, texture coordinates and polygons.
    const MeshGeometry coff = readMeshFile(write("c.off",
                                                 "COFF 3 1 3 # counts on the keyword line\n"
                                                 "0 0 0 255 0 0 255\n"
                                                 "1 0 0 0 255 0 128\n"
                                                 "0 1 0 0 0 255 255\n"
                                                 "3 0 1 2 0.5 0.5 0.5\n"));  // face colour
    ASSERT_EQ(coff.colorSets().size(), 1u);
    EXPECT_FLOAT_EQ(coff.colorSets()[0].colors[0][0], 1.f);
    EXPECT_NEAR(coff.colorSets()[0].colors[1][3], 128.f / 255.f, 1e-6);

    const MeshGeometry stc = readMeshFile(write("stc.off",
                                                "STCOFF\n5 2 0\n"
                                                "0 0 0 0.1 0.2 0.3 0 0\n"
                                                "1 0 0 1 1 1 1 0\n"
                                                "1 1 0 0 0 0 1 1\n"
                                                "0 1 0 .5 .5 .5 0 1\n"
                                                "2 2 0 1 1 1 0.5 0.5\n"
                                                "4 0 1 2 3\n3 1 4 2\n"));
    EXPECT_EQ(stc.faceCounts(), (std::vector<int>{4, 3}));
    EXPECT_FLOAT_EQ(stc.colorSets()[0].colors[0][2], 0.3f);  // floats taken as they are
    EXPECT_FLOAT_EQ(stc.colorSets()[0].colors[0][3], 1.f);
    EXPECT_EQ(stc.uvSet().cornerUVs, stc.faceVertices());
    EXPECT_FLOAT_EQ(stc.uvSet().u[4], 0.5f);
}

TEST_F(MeshReaders, BadFilesGiveErrorsThatNameFileAndFault) {
    const std::string plyHead =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
    std::string truncatedBinary = binaryQuadPly(false);
    truncatedBinary.resize(truncatedBinary.size() - 14);  // inside the last face
    std::string overlongList = binaryQuadPly(false);
    overlongList.resize(overlongList.find("end_header\n") + 11 + 4 * 26);
    overlongList += std::string(1, '\xff');  // first face claims 255 indices

    const BadFile cases[] = {
        {"empty.obj", "", "empty"},
        {"empty.ply", "", "empty"},
        {"garbage.ply", std::string("\x01\x02garbage\n", 10), "not a PLY file"},
        {"garbage.off", "hello world\n", "not an OFF file"},
        {"onlyverts.obj", "v 0 0 0\nv 1 0 0\n", "no faces"},
        {"text.obj", "this is not a mesh\n", "no faces"},
        {"range.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n", "vertex 9 (counting from 1)"},
        {"range.ply", plyHead + "0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n", "vertex 7"},
        {"range.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n", "vertex 7"},
        {"uvrange.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/2 3/1\n", "UV 1"},
        {"nan.obj", "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "non-finite"},
        {"nan.ply", plyHead + "0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n", "non-finite y"},
        {"inf.off", "OFF\n3 1 0\n0 0 inf\n1 0 0\n0 1 0\n3 0 1 2\n", "non-finite z"},
        {"huge.off", "OFF\n3 1 0\n0 0 0\n1e300 0 0\n0 1 0\n3 0 1 2\n", "non-finite x"},
        {"word.obj", "v 0 zero 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "not a number"},
        {"word.ply", plyHead + "0 0 0\n1 0 0\n0 1 0\n3 0 one 2\n", "not a number"},
        {"twoverts.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", "at least 3"},
        {"twoverts.ply", plyHead + "0 0 0\n1 0 0\n0 1 0\n2 0 1\n", "at least 3"},
        {"twoverts.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n2 0 1\n", "at least 3"},
        {"short.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1\n", "lists 2 of its 3"},
        {"trunc.ply", plyHead + "0 0 0\n1 0 0\n", "truncated"},
        {"trunc.off", "OFF\n4 2 0\n0 0 0\n1 0 0\n", "truncated"},
        {"truncbin.ply", truncatedBinary, "truncated"},
        {"overlong.ply", overlongList, "truncated"},
        {"noheaderend.ply", "ply\nformat ascii 1.0\nelement vertex 3\n", "end_header"},
        {"badtype.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty real x\n",
         "unknown property type"},
        {"nox.ply",
         "ply\nformat ascii 1.0\nelement vertex 1\nproperty float y\nproperty float z\n"
         "end_header\n0 0\n",
         "x, y, z"},
        {"tclen.ply",
         "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
         "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
         "property list uchar float texcoord\nend_header\n0 0 0\n1 0 0\n0 1 0\n"
         "3 0 1 2 4 0 0 1 0\n",
         "texcoord list has 4 values for 3 corners"},
        {"four.off", "4OFF\n1 0 0\n0 0 0 0\n", "three-dimensional"},
        {"mesh.stl", "solid x\nendsolid x\n", "unsupported mesh file type"},
    };
    expectRefused(cases);
    EXPECT_NE(errorOf(dir_.file("missing.obj")).find("cannot open"), std::string::npos);
}

TEST_F(MeshReaders, DamagedFilesGiveAnErrorOrAValidMesh) {
    std::vector<std::pair<std::string, std::string>> sources;
    for (const char* name : {"quad.obj", "quad.ply", "quad.off"}) {
        std::ifstream in(meshDataFile(name), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        sources.emplace_back(name, bytes.str());
    }
    sources.emplace_back("le.ply", binaryQuadPly(false));
    sources.emplace_back("be.ply", binaryQuadPly(true));
    // A face of 260 corners, beyond what one byte counts.
    sources.emplace_back("polygon.obj", polygonFile("obj", 260));
    sources.emplace_back("polygon.off", polygonFile("off", 260));

    std::mt19937 random(20240607);
    int errors = 0, meshes = 0;
    int serial = 0;
    auto check = [&](const std::string& name, const std::string& bytes) {
        // A new file each time: rewriting one file makes the file system
        // flush it on every truncation, which is slow.
        const std::string path = write(std::to_string(serial++) + name, bytes);
        try {
            const MeshGeometry m = readMeshFile(path);
            EXPECT_GT(m.numFaces(), 0) << name;
            EXPECT_NO_THROW(zt::host::validateMesh(m)) << name;
            ++meshes;
        } catch (const MeshError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path, 0), 0u) << e.what();
            ++errors;
        }
    };
    for (const auto& [name, bytes] : sources) {
        for (std::size_t length = 0; length < bytes.size(); ++length)
            check(name, bytes.substr(0, length));
        for (int flip = 0; flip < 300; ++flip) {
            std::string damaged = bytes;
            const std::size_t at = random() % damaged.size();
            damaged[at] = static_cast<char>(random() % 256);
            check(name, damaged);
        }
    }
    // Element counts far beyond the file, in the header of every PLY source,
    // and an element without properties that claims a huge count.
    for (const auto& [name, bytes] : sources) {
        if (name.find(".ply") == std::string::npos) continue;
        for (const char* huge :
             {"4294967296", "1000000000000", "18446744073709551615", "99999999999999999999"}) {
            for (const char* element : {"element vertex ", "element face "}) {
                std::string damaged = bytes;
                const std::size_t at = damaged.find(element);
                ASSERT_NE(at, std::string::npos) << name;
                const std::size_t digits = at + std::strlen(element);
                damaged.replace(digits, damaged.find('\n', digits) - digits, huge);
                check(name, damaged);
            }
        }
        std::string extra = bytes;
        extra.insert(extra.find("end_header"), "element junk 1000000000000\n");
        check(name, extra);
    }
    // Most damage is caught; some (a changed digit) still reads as a mesh.
    EXPECT_GT(errors, meshes);
    EXPECT_GT(meshes, 0);
}
