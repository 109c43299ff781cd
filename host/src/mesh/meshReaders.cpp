#include "mesh/meshReaders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "mesh/readerSupport.h"

namespace zt::host {

namespace readers {

float toFloat(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

void fail(const std::string& path, const std::string& what) {
    throw MeshError(path + ": " + what);
}

std::string loadFile(const std::string& path) {
    // Opened without blocking and checked before reading: a FIFO or device
    // named like a mesh would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) fail(path, std::string("cannot open the file (") + std::strerror(errno) + ")");
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) fail(path, "cannot open the file");
    if (S_ISDIR(info.st_mode)) fail(path, "is a directory, not a mesh file");
    if (!S_ISREG(info.st_mode)) fail(path, "is not a regular file (only regular files are read)");
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path, "error while reading the file");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (bytes.empty()) fail(path, "the file is empty");
    return bytes;
}

MeshGeometry buildMesh(const std::string& path, RawMesh raw) {
    if (raw.faceCounts.empty()) fail(path, "the file has no faces (not a polygon mesh)");
    try {
        MeshGeometry mesh(std::move(raw.points), std::move(raw.faceCounts),
                          std::move(raw.faceVertices));
        if (raw.hasUVs) {
            mesh.setUVs(MeshGeometry::kDefaultUVSetName, std::move(raw.u), std::move(raw.v),
                        std::move(raw.cornerUVs));
        }
        if (raw.hasColors) {
            ColorSet& set = mesh.createColorSet(kImportedColorSetName);
            for (int vtx = 0; vtx < mesh.numVertices(); ++vtx) {
                const std::size_t i = static_cast<std::size_t>(vtx);
                if (raw.colorIsSet[i]) {
                    set.colors[i] = raw.colors[i];
                    set.isSet[i] = 1;
                }
            }
            mesh.setCurrentColorSet(kImportedColorSetName);
        }
        validateMesh(mesh);
        return mesh;
    } catch (const MeshError& e) {
        fail(path, e.what());
    }
}

}  // namespace readers

MeshGeometry readMeshFile(const std::string& path, const std::string& type) {
    std::string kind = type;
    if (kind.empty()) {
        const std::size_t dot = path.find_last_of('.');
        const std::size_t slash = path.find_last_of("/\\");
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
            kind = path.substr(dot + 1);
        }
    }
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (kind == "obj") return readObjFile(path);
    if (kind == "ply") return readPlyFile(path);
    if (kind == "off") return readOffFile(path);
    readers::fail(path, "unsupported mesh file type \"" + (kind.empty() ? type : kind) +
                            "\" (expected OBJ, PLY or OFF)");
}

}  // namespace zt::host
