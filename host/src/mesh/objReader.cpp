// OBJ reader on top of tinyobjloader. tinyobjloader keeps the file's vertex
// and texture-coordinate indices exactly, but it is lenient where the host
// must not be: a coordinate such as "nan" or "abc" silently reads as 0 and a
// face with fewer than three corners is dropped with a warning. A short scan
// of the "v" and "f" lines before parsing turns those into errors that name
// the line, and records which vertices carry a colour.

#include <tiny_obj_loader.h>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "mesh/meshReaders.h"
#include "mesh/readerSupport.h"

namespace zt::host {

namespace {

using readers::RawMesh;

// Per "v" line: whether it had a colour (x y z r g b).
std::vector<std::uint8_t> scanLines(const std::string& path, const std::string& text) {
    std::vector<std::uint8_t> vertexHasColor;
    std::istringstream in(text);
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword != "v" && keyword != "f") continue;
        std::vector<std::string> tokens;
        std::string w;
        while (words >> w) {
            if (w[0] == '#') break;
            tokens.push_back(w);
        }
        const std::string where = "line " + std::to_string(number) + ": ";
        if (keyword == "f") {
            if (tokens.size() < 3) {
                readers::fail(path, where + "face has " + std::to_string(tokens.size()) +
                                        " vertices; a face needs at least 3");
            }
            continue;
        }
        if (tokens.size() != 3 && tokens.size() != 4 && tokens.size() != 6) {
            readers::fail(path, where + "a vertex needs 3 coordinates (optionally w, or r g b)");
        }
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            char* stop = nullptr;
            const double value = std::strtod(tokens[i].c_str(), &stop);
            if (stop == tokens[i].c_str() || *stop != '\0') {
                readers::fail(path, where + "\"" + tokens[i] + "\" is not a number");
            }
            if (!std::isfinite(value)) {
                readers::fail(path, where + "vertex " + std::to_string(vertexHasColor.size()) +
                                        " has a non-finite value \"" + tokens[i] + "\"");
            }
        }
        vertexHasColor.push_back(tokens.size() == 6 ? 1 : 0);
    }
    return vertexHasColor;
}

}  // namespace

MeshGeometry readObjFile(const std::string& path) {
    const std::string text = readers::loadFile(path);
    const std::vector<std::uint8_t> vertexHasColor = scanLines(path, text);

    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    config.vertex_color = true;
    tinyobj::ObjReader reader;
    // Materials are not part of a mesh; parsing from memory skips "mtllib".
    if (!reader.ParseFromString(text, "", config)) {
        std::string err = reader.Error();
        while (!err.empty() && (err.back() == '\n' || err.back() == '.')) err.pop_back();
        readers::fail(path, err.empty() ? "not a readable OBJ file" : err);
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();

    RawMesh raw;
    raw.points.assign(attrib.vertices.begin(), attrib.vertices.end());
    const int vertexCount = static_cast<int>(raw.points.size() / 3);
    bool anyTexcoord = false;
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        std::size_t corner = 0;
        for (unsigned char count : shape.mesh.num_face_vertices) {
            raw.faceCounts.push_back(count);
            for (unsigned k = 0; k < count; ++k, ++corner) {
                const tinyobj::index_t& index = shape.mesh.indices[corner];
                if (index.vertex_index < 0 || index.vertex_index >= vertexCount) {
                    readers::fail(path, "face " + std::to_string(raw.faceCounts.size() - 1) +
                                            " refers to vertex " +
                                            std::to_string(index.vertex_index + 1) +
                                            " (counting from 1), but the file has " +
                                            std::to_string(vertexCount) + " vertices");
                }
                raw.faceVertices.push_back(index.vertex_index);
                raw.cornerUVs.push_back(index.texcoord_index);
                anyTexcoord |= index.texcoord_index >= 0;
            }
        }
    }
    if (anyTexcoord) {
        raw.hasUVs = true;
        for (std::size_t i = 0; i + 1 < attrib.texcoords.size(); i += 2) {
            raw.u.push_back(attrib.texcoords[i]);
            raw.v.push_back(attrib.texcoords[i + 1]);
        }
    } else {
        raw.cornerUVs.clear();
    }
    const std::size_t vertices = static_cast<std::size_t>(vertexCount);
    for (std::uint8_t has : vertexHasColor) raw.hasColors |= has != 0;
    if (raw.hasColors && attrib.colors.size() == 3 * vertices &&
        vertexHasColor.size() == vertices) {
        for (std::size_t v = 0; v < vertices; ++v) {
            raw.colors.push_back(
                {attrib.colors[3 * v], attrib.colors[3 * v + 1], attrib.colors[3 * v + 2], 1.f});
            raw.colorIsSet.push_back(vertexHasColor[v]);
        }
    } else {
        raw.hasColors = false;
    }
    return readers::buildMesh(path, std::move(raw));
}

}  // namespace zt::host
