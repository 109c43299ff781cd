// Mesh readers at the edges of their input: faces with hundreds of corners,
// indices and counts that do not fit, numbers that are not numbers, and
// files that are not regular files.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <string>
#include <vector>

#include "host/src/mesh/meshReaders.h"
#include "meshFileTest.h"

namespace fs = std::filesystem;
using zt::host::MeshError;
using zt::host::MeshGeometry;
using zt::host::readMeshFile;

namespace {

using MeshReaderLimits = MeshFileTest;

std::vector<int> iota(int n, int first = 0) {
    std::vector<int> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = first + i;
    return v;
}

}  // namespace

TEST_F(MeshReaderLimits, FacesKeepEveryCornerPast255) {
    for (int n : {255, 256, 300, 1000}) {
        SCOPED_TRACE(n);
        // The big face, then a triangle: the corner walk must stay aligned.
        const std::string obj =
            polygonFile("obj", n) + "v 0 1 0\nf 1 2 " + std::to_string(n + 1) + "\n";
        const MeshGeometry m = readMeshFile(write("big.obj", obj));
        EXPECT_EQ(m.faceCounts(), (std::vector<int>{n, 3}));
        std::vector<int> expected = iota(n);
        expected.insert(expected.end(), {0, 1, n});
        EXPECT_EQ(m.faceVertices(), expected);

        // The same face through a PLY list with a ushort count and OFF.
        EXPECT_EQ(readMeshFile(write("big.ply", polygonFile("ply", n))).faceCounts(),
                  std::vector<int>{n});
        EXPECT_EQ(readMeshFile(write("big.off", polygonFile("off", n))).faceVertices(), iota(n));
    }
}

TEST_F(MeshReaderLimits, ObjReadsItsCommonFormsWithoutALibrary) {
    // Normals, groups, smoothing, materials, lines, comments and CRLF line
    // ends are skipped; v//vn and v/vt/vn corners keep vertex and UV.
    const std::string text =
        "# exported\r\nmtllib m.mtl\r\no thing\r\ng part\r\ns 1\r\nusemtl red\r\n"
        "v 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 0 1 0 # trailing comment\r\n"
        "vn 0 0 1\r\nvt 0.25\r\nvt 0.5 0.75\r\nvt 1 1 0\r\n"
        "f 1//1 2//1 3//1\r\nf 1/1/1 3/2/1 4/3/1\r\nl 1 2\r\np 3\r\n";
    const MeshGeometry m = readMeshFile(write("forms.obj", text));
    EXPECT_EQ(m.faceCounts(), (std::vector<int>{3, 3}));
    EXPECT_EQ(m.faceVertices(), (std::vector<int>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(m.uvSet().cornerUVs, (std::vector<int>{-1, -1, -1, 0, 1, 2}));
    ASSERT_EQ(m.uvSet().u.size(), 3u);
    EXPECT_FLOAT_EQ(m.uvSet().u[0], 0.25f);
    EXPECT_FLOAT_EQ(m.uvSet().v[0], 0.f);  // v defaults to 0
    EXPECT_FLOAT_EQ(m.uvSet().v[1], 0.75f);
    EXPECT_TRUE(m.colorSets().empty());

    // Forward references are allowed: the range is checked at the end.
    const MeshGeometry forward =
        readMeshFile(write("forward.obj", "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"));
    EXPECT_EQ(forward.faceVertices(), (std::vector<int>{0, 1, 2}));
}

TEST_F(MeshReaderLimits, BadNumbersAndIndicesAreRefusedNamingTheLine) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const std::string plyFloatIndex =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nelement face 2\nproperty list uchar float vertex_indices\n"
        "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2.0\n3 0 1 2.5\n";
    const BadFile cases[] = {
        {"wrap.obj", tri + "f 1 2 4294967297\n", "line 4: vertex index 4294967297 is out of range"},
        {"wrapneg.obj", tri + "f 1 2 -4294967297\n", "line 4: vertex index -4294967297 is out"},
        {"huge.obj", tri + "f 1 2 99999999999999999999999\n", "line 4: vertex index 9999"},
        {"intmax.obj", tri + "f 1 2 2147483648\n", "line 4: vertex index 2147483648 is out"},
        {"zero.obj", tri + "f 1 2 0\n", "line 4: vertex index 0 is not valid"},
        {"before.obj", tri + "f 1 2 -4\n", "line 4: vertex index -4 reaches before the first"},
        {"word.obj", tri + "f 1 2 3x\n", "line 4: vertex index \"3x\" is not an integer"},
        {"uvwrap.obj", tri + "vt 0 0\nf 1/4294967297 2/1 3/1\n",
         "line 5: texture coordinate index 4294967297 is out of range"},
        {"uvword.obj", tri + "vt 0 0\nf 1/1.5 2/1 3/1\n", "line 5: texture coordinate index"},
        {"normal.obj", tri + "f 1//x 2 3\n", "line 4: normal index \"x\" is not an integer"},
        {"empty.obj", tri + "f 1/ 2 3\nf 1 / 3\n", "line 5: a face corner has an empty vertex"},
        {"vtnan.obj", tri + "vt nan 0\nf 1 2 3\n", "line 4: texture coordinate 0 has a non-finite"},
        {"vtinf.obj", tri + "vt 0 -inf\n", "line 4: texture coordinate 0 has a non-finite"},
        {"vtbig.obj", tri + "vt 0 1e39\n", "line 4: texture coordinate 0 has a non-finite"},
        {"vtabc.obj", tri + "vt 0 0\nvt abc 0\n", "line 5: \"abc\" is not a number"},
        {"vtnone.obj", tri + "vt\n", "line 4: a texture coordinate needs u"},
        {"vtfour.obj", tri + "vt 1 2 3 4\n", "line 4: a texture coordinate needs u"},
        {"vbig.obj", "v 0 0 0\nv 1e39 0 0\n", "line 2: vertex 1 has a non-finite value \"1e39\""},
        {"range.obj", tri + "f 1 2 3\nf 3 2 7\n", "face 1 refers to vertex 7 (counting from 1)"},
        {"float.ply", plyFloatIndex, "line 14, face 1 of 2: vertex index 2.5 is not a whole"},
        {"neg.ply", plyFloatIndex.substr(0, plyFloatIndex.size() - 10) + "3 0 -1 2\n",
         "line 14, face 1 of 2: refers to vertex -1"},
    };
    expectRefused(cases);

    // The same float index in a binary body is named by its face.
    std::string binary =
        "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
        "property float y\nproperty float z\nelement face 1\n"
        "property list uchar float vertex_indices\nend_header\n";
    for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) binary += le(f);
    binary += '\3' + le(0.f) + le(1.f) + le(2.5f);
    const std::string path = write("float_le.ply", binary);
    const std::string message = errorOf(path);
    EXPECT_EQ(message, path + ": face 0 of 1: vertex index 2.5 is not a whole number");
}

TEST_F(MeshReaderLimits, PlyCountsBeyondTheFileAreRefusedAtOnce) {
    const std::string vertexHead =
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n";
    const std::string faceHead = "element face 1\nproperty list uchar int vertex_indices\n";
    const std::string asciiBody = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2";  // no final line end

    // Exactly enough bytes (no separator after the last value) reads.
    const MeshGeometry exact =
        readMeshFile(write("exact.ply", "ply\nformat ascii 1.0\n" + vertexHead + faceHead +
                                            "end_header\n" + asciiBody));
    EXPECT_EQ(exact.numFaces(), 1);

    // An element without properties takes no room, whatever its count.
    const MeshGeometry empty = readMeshFile(
        write("noprops.ply", "ply\nformat ascii 1.0\nelement junk 1000000000000\n" + vertexHead +
                                 faceHead + "end_header\n" + asciiBody + "\n"));
    EXPECT_EQ(empty.numFaces(), 1);

    const std::string binaryVertices = [] {
        std::string b;
        for (float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) b += le(f);
        return b + '\3' + le(0) + le(1) + le(2);
    }();
    const BadFile cases[] = {
        {"hugevertex.ply",
         "ply\nformat ascii 1.0\nelement vertex 1000000000000\nproperty float x\n"
         "property float y\nproperty float z\n" +
             faceHead + "end_header\n" + asciiBody,
         "element \"vertex\" declares 1000000000000 items, but the 25 bytes after the header "
         "cannot hold them"},
        {"hugeextra.ply",
         "ply\nformat ascii 1.0\n" + vertexHead + faceHead +
             "element extra 1000000000000\nproperty uchar k\nend_header\n" + asciiBody,
         "element \"extra\" declares 1000000000000"},
        {"onemore.ply",
         "ply\nformat ascii 1.0\n" + vertexHead +
             "element face 5\nproperty list uchar int vertex_indices\nend_header\n" + asciiBody,
         "element \"face\" declares 5 items"},
        {"hugebinary.ply",
         "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
         "property float y\nproperty float z\nelement face 18446744073709551\n"
         "property list uchar int vertex_indices\nend_header\n" +
             binaryVertices,
         "element \"face\" declares 18446744073709551 items"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = errorOf(write(c.name, c.content));
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        EXPECT_NE(message.find("truncated"), std::string::npos) << message;
    }
    // The binary file with the right count reads.
    const std::string good =
        "ply\nformat binary_little_endian 1.0\n" + vertexHead +
        "element face 1\nproperty list uchar int vertex_indices\nend_header\n" + binaryVertices;
    EXPECT_EQ(readMeshFile(write("good.ply", good)).faceVertices(), (std::vector<int>{0, 1, 2}));
}

TEST_F(MeshReaderLimits, OnlyRegularFilesAreOpened) {
    const std::string fifo = dir_.file("pipe.obj");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Without a writer, opening the FIFO to read would block forever.
    std::string message = errorOf(fifo);
    EXPECT_NE(message.find("is not a regular file"), std::string::npos) << message;
    EXPECT_EQ(message.rfind(fifo + ": ", 0), 0u) << message;

    fs::create_directories(dir_.path() / "folder.ply");
    message = errorOf(dir_.file("folder.ply"));
    EXPECT_NE(message.find("is a directory"), std::string::npos) << message;

    message = errorOf("/dev/null");
    EXPECT_NE(message.find("unsupported mesh file type"), std::string::npos) << message;
    try {
        zt::host::readObjFile("/dev/null");
        ADD_FAILURE() << "a character device was read as a mesh";
    } catch (const MeshError& e) {
        EXPECT_NE(std::string(e.what()).find("is not a regular file"), std::string::npos)
            << e.what();
    }
    // A link to a regular file is followed.
    const std::string target = write("real.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    fs::create_symlink(target, dir_.path() / "link.obj");
    EXPECT_EQ(readMeshFile(dir_.file("link.obj")).numFaces(), 1);
}
