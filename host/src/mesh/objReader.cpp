// OBJ reader. Only what a polygon mesh needs is read: "v" (x y z, with an
// optional w or an r g b colour), "vt" (u v, optional w) and "f" lines;
// every other keyword (normals, groups, materials, lines, points) is
// skipped. Reading is strict where the format is loose in practice: a number
// that does not parse, a non-finite value, an index of 0, one that does not
// fit an int or a negative one reaching before the first vertex is an error
// that names its line, and faces may have any number of corners.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "mesh/meshReaders.h"
#include "mesh/readerSupport.h"

namespace zt::host {

namespace {

using readers::RawMesh;

class ObjParser {
public:
    explicit ObjParser(const std::string& path) : path_(path) {}

    RawMesh parse(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++lineNumber_;
            std::istringstream words(line);
            std::string keyword;
            words >> keyword;
            if (keyword != "v" && keyword != "vt" && keyword != "f") continue;
            std::vector<std::string> tokens;
            std::string w;
            while (words >> w) {
                if (w[0] == '#') break;
                tokens.push_back(w);
            }
            if (keyword == "v")
                vertex(tokens);
            else if (keyword == "vt")
                texcoord(tokens);
            else
                face(tokens);
        }
        finish();
        return std::move(raw_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        readers::fail(path_, "line " + std::to_string(lineNumber_) + ": " + what);
    }

    double number(const std::string& token, const char* what) const {
        char* stop = nullptr;
        const double value = std::strtod(token.c_str(), &stop);
        if (stop == token.c_str() || *stop != '\0') fail("\"" + token + "\" is not a number");
        if (!std::isfinite(value) || !std::isfinite(readers::toFloat(value)))
            fail(std::string(what) + " has a non-finite value \"" + token + "\"");
        return value;
    }

    void vertex(const std::vector<std::string>& tokens) {
        if (tokens.size() != 3 && tokens.size() != 4 && tokens.size() != 6)
            fail("a vertex needs 3 coordinates (optionally w, or r g b)");
        const std::string what = "vertex " + std::to_string(raw_.points.size() / 3);
        double values[6] = {};
        for (std::size_t i = 0; i < tokens.size(); ++i) values[i] = number(tokens[i], what.c_str());
        for (int i = 0; i < 3; ++i) raw_.points.push_back(static_cast<float>(values[i]));
        const bool colored = tokens.size() == 6;
        raw_.colors.push_back({static_cast<float>(values[3]), static_cast<float>(values[4]),
                               static_cast<float>(values[5]), 1.f});
        raw_.colorIsSet.push_back(colored ? 1 : 0);
        raw_.hasColors |= colored;
    }

    void texcoord(const std::vector<std::string>& tokens) {
        if (tokens.empty() || tokens.size() > 3)
            fail("a texture coordinate needs u, optionally v and w");
        const std::string what = "texture coordinate " + std::to_string(raw_.u.size());
        double values[3] = {};
        for (std::size_t i = 0; i < tokens.size(); ++i) values[i] = number(tokens[i], what.c_str());
        raw_.u.push_back(static_cast<float>(values[0]));
        raw_.v.push_back(static_cast<float>(values[1]));
    }

    // One index of a face corner: 1-based, or negative counting back from
    // the last one defined so far. Returns the 0-based index; positive ones
    // are checked against the final counts once the file has been read.
    int index(const std::string& text, std::size_t definedSoFar, const char* what) const {
        if (text.empty()) fail(std::string("a face corner has an empty ") + what + " index");
        errno = 0;
        char* stop = nullptr;
        const long long value = std::strtoll(text.c_str(), &stop, 10);
        if (stop == text.c_str() || *stop != '\0')
            fail(std::string(what) + " index \"" + text + "\" is not an integer");
        if (errno == ERANGE || value > INT_MAX || value < -static_cast<long long>(INT_MAX))
            fail(std::string(what) + " index " + text + " is out of range");
        if (value == 0) fail(std::string(what) + " index 0 is not valid (indices count from 1)");
        if (value > 0) return static_cast<int>(value - 1);
        const long long resolved = static_cast<long long>(definedSoFar) + value;
        if (resolved < 0)
            fail(std::string(what) + " index " + text + " reaches before the first " + what + " (" +
                 std::to_string(definedSoFar) + " defined so far)");
        return static_cast<int>(resolved);
    }

    void face(const std::vector<std::string>& tokens) {
        if (tokens.size() < 3)
            fail("face has " + std::to_string(tokens.size()) +
                 " vertices; a face needs at least 3");
        if (tokens.size() > static_cast<std::size_t>(INT_MAX) ||
            raw_.faceVertices.size() > static_cast<std::size_t>(INT_MAX) - tokens.size())
            fail("too many face corners");
        for (const std::string& corner : tokens) {
            // v, v/vt, v//vn or v/vt/vn; the normal index is not used.
            const std::size_t slash = corner.find('/');
            const int v = index(corner.substr(0, slash), raw_.points.size() / 3, "vertex");
            int vt = -1;
            if (slash != std::string::npos) {
                const std::size_t next = corner.find('/', slash + 1);
                const std::string uvText = corner.substr(
                    slash + 1, next == std::string::npos ? std::string::npos : next - slash - 1);
                if (!uvText.empty()) vt = index(uvText, raw_.u.size(), "texture coordinate");
                // Normals are not read: their index is only checked for its form.
                if (next != std::string::npos)
                    index(corner.substr(next + 1), static_cast<std::size_t>(INT_MAX), "normal");
            }
            largestVertex_ = std::max(largestVertex_, v);
            raw_.faceVertices.push_back(v);
            raw_.cornerUVs.push_back(vt);
            anyTexcoord_ |= vt >= 0;
        }
        raw_.faceCounts.push_back(static_cast<int>(tokens.size()));
    }

    void finish() {
        const std::size_t vertexCount = raw_.points.size() / 3;
        if (largestVertex_ >= 0 && static_cast<std::size_t>(largestVertex_) >= vertexCount) {
            // Forward references are allowed, so the range is checked at
            // the end; the first face that reaches past it is named.
            for (std::size_t f = 0, corner = 0; f < raw_.faceCounts.size(); ++f) {
                for (int k = 0; k < raw_.faceCounts[f]; ++k, ++corner) {
                    const int v = raw_.faceVertices[corner];
                    if (static_cast<std::size_t>(v) >= vertexCount)
                        readers::fail(path_, "face " + std::to_string(f) + " refers to vertex " +
                                                 std::to_string(static_cast<long long>(v) + 1) +
                                                 " (counting from 1), but the file has " +
                                                 std::to_string(vertexCount) + " vertices");
                }
            }
        }
        if (anyTexcoord_) {
            raw_.hasUVs = true;
        } else {
            raw_.cornerUVs.clear();
            raw_.u.clear();
            raw_.v.clear();
        }
        if (!raw_.hasColors) {
            raw_.colors.clear();
            raw_.colorIsSet.clear();
        }
    }

    const std::string& path_;
    std::size_t lineNumber_ = 0;
    RawMesh raw_;
    bool anyTexcoord_ = false;
    int largestVertex_ = -1;  // largest 0-based vertex index a face uses
};

}  // namespace

MeshGeometry readObjFile(const std::string& path) {
    const std::string text = readers::loadFile(path);
    return readers::buildMesh(path, ObjParser(path).parse(text));
}

}  // namespace zt::host
