#pragma once
// Shared by the mesh reader tests: a scratch folder per test for the files a
// test writes, the message of the error that reading one raises, a table
// check of bad files, a writer of binary bodies in either byte order and
// files of one many-cornered polygon.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/scratchDir.h"
#include "host/src/mesh/meshReaders.h"

class MeshFileTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = dir_.path() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // The message of the MeshError that reading raises ("" when none).
    static std::string errorOf(const std::string& path) {
        try {
            zt::host::readMeshFile(path);
        } catch (const zt::host::MeshError& e) {
            return e.what();
        }
        return "";
    }

    // A file that must be refused: its name, its bytes and a part of the
    // message.
    struct BadFile {
        const char* name;
        std::string content;
        const char* expected;
    };
    // Writes each file and expects an error that starts with the file's path
    // and holds the expected part.
    template <std::size_t N>
    void expectRefused(const BadFile (&files)[N]) {
        for (const BadFile& file : files) {
            SCOPED_TRACE(file.name);
            const std::string path = write(file.name, file.content);
            const std::string message = errorOf(path);
            ASSERT_FALSE(message.empty()) << "no error raised";
            EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(file.expected), std::string::npos) << message;
        }
    }

    zt::testing::ScratchDir dir_{"mesh_file"};
};

// Binary body writer for either byte order.
class Bytes {
public:
    explicit Bytes(bool bigEndian) : big_(bigEndian) {}
    template <class T>
    Bytes& put(T value) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &value, sizeof(T));
        if (big_) std::reverse(b, b + sizeof(T));
        data_.append(reinterpret_cast<const char*>(b), sizeof(T));
        return *this;
    }
    const std::string& str() const { return data_; }

private:
    bool big_;
    std::string data_;
};

// Little-endian bytes of a value.
template <class T>
std::string le(T value) {
    return Bytes(false).put(value).str();
}

// A file in `format` ("obj", "ply" or "off") holding one convex polygon of n
// corners on the unit circle in the XZ plane, corners in order.
inline std::string polygonFile(const std::string& format, int n) {
    const std::string count = std::to_string(n);
    std::string text = format == "off" ? "OFF\n" + count + " 1 0\n"
                       : format == "ply"
                           ? "ply\nformat ascii 1.0\nelement vertex " + count +
                                 "\nproperty float x\nproperty float y\nproperty float z\n"
                                 "element face 1\nproperty list ushort int vertex_indices\n"
                                 "end_header\n"
                           : "";
    std::string corners = format == "obj" ? "f" : count;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * M_PI * i / n;
        text += (format == "obj" ? "v " : "") + std::to_string(std::cos(a)) + " 0 " +
                std::to_string(std::sin(a)) + "\n";
        corners += " " + std::to_string(format == "obj" ? i + 1 : i);
    }
    return text + corners + "\n";
}

inline std::string meshDataFile(const char* name) {
    return std::string(ZT_SOURCE_DIR) + "/tests/data/meshes/" + name;
}
