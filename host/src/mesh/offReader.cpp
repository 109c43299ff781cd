// OFF reader. The format is line oriented: a keyword ([ST][C][N]OFF), the
// counts "vertices faces edges", one line per vertex and one per face, with
// '#' comments anywhere. Reading by lines lets a vertex line's token count
// decide how many colour components it carries, and lets every message name
// the line at fault.

#include <array>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "mesh/meshReaders.h"
#include "mesh/readerSupport.h"

namespace zt::host {

namespace {

using readers::RawMesh;

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Line {
    std::size_t number = 0;
    std::vector<std::string> tokens;
};

// Non-empty lines with comments removed, split at white space.
std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    std::size_t number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const std::size_t hash = raw.find('#');
        if (hash != std::string::npos) raw.erase(hash);
        std::istringstream words(raw);
        Line line;
        line.number = number;
        std::string w;
        while (words >> w) line.tokens.push_back(w);
        if (!line.tokens.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

std::string at(const Line& line) {
    return "line " + std::to_string(line.number) + ": ";
}

double number(const Line& line, const std::string& token) {
    char* stop = nullptr;
    const double v = std::strtod(token.c_str(), &stop);
    if (stop == token.c_str() || *stop != '\0') {
        throw ParseError(at(line) + "\"" + token + "\" is not a number");
    }
    return v;
}

long long integer(const Line& line, const std::string& token) {
    char* stop = nullptr;
    const long long v = std::strtoll(token.c_str(), &stop, 10);
    if (stop == token.c_str() || *stop != '\0') {
        throw ParseError(at(line) + "\"" + token + "\" is not an integer");
    }
    return v;
}

bool looksLikeFloat(const std::string& token) {
    return token.find_first_of(".eE") != std::string::npos;
}

struct Keyword {
    bool texcoords = false, colors = false, normals = false;
};

bool parseKeyword(const std::string& word, Keyword& k) {
    std::string rest = word;
    auto take = [&rest](const char* prefix) {
        const std::size_t n = std::char_traits<char>::length(prefix);
        if (rest.compare(0, n, prefix) != 0) return false;
        rest.erase(0, n);
        return true;
    };
    k.texcoords = take("ST");
    k.colors = take("C");
    k.normals = take("N");
    if (rest == "OFF") return true;
    if (rest == "4OFF" || rest == "nOFF" || rest == "4nOFF") {
        throw ParseError("\"" + word + "\": only three-dimensional OFF files are supported");
    }
    return false;
}

void readOff(const std::string& text, RawMesh& raw) {
    const std::vector<Line> lines = splitLines(text);
    if (lines.empty()) throw ParseError("the file has no content");
    Keyword kw;
    if (!parseKeyword(lines[0].tokens[0], kw)) {
        throw ParseError("not an OFF file (the first word is \"" + lines[0].tokens[0] + "\")");
    }
    // The counts follow the keyword on the same line or on the next one.
    std::size_t next = 1;
    std::vector<std::string> counts(lines[0].tokens.begin() + 1, lines[0].tokens.end());
    const Line* countLine = &lines[0];
    if (counts.empty()) {
        if (lines.size() < 2) throw ParseError("the file ends before the vertex and face counts");
        counts = lines[1].tokens;
        countLine = &lines[1];
        next = 2;
    }
    if (counts.size() < 2) {
        throw ParseError(at(*countLine) + "expected \"<vertices> <faces> <edges>\"");
    }
    const long long nv = integer(*countLine, counts[0]);
    const long long nf = integer(*countLine, counts[1]);
    if (nv < 0 || nf < 0) throw ParseError(at(*countLine) + "negative vertex or face count");

    const std::size_t fixed = 3 + (kw.normals ? 3 : 0);
    bool anyFloatColor = false;
    for (long long i = 0; i < nv; ++i, ++next) {
        if (next >= lines.size()) {
            throw ParseError("the file ends after " + std::to_string(i) + " of " +
                             std::to_string(nv) + " vertices (truncated)");
        }
        const Line& line = lines[next];
        const std::vector<std::string>& t = line.tokens;
        std::size_t colorCount = 0;
        if (kw.colors) {
            const std::size_t extra = t.size() > fixed ? t.size() - fixed : 0;
            colorCount = extra - (kw.texcoords ? std::min<std::size_t>(extra, 2) : 0);
            if (colorCount != 3 && colorCount != 4) {
                throw ParseError(at(line) + "vertex " + std::to_string(i) +
                                 " should have 3 or 4 colour components");
            }
        }
        const std::size_t expected = fixed + colorCount + (kw.texcoords ? 2 : 0);
        if (t.size() != expected) {
            throw ParseError(at(line) + "vertex " + std::to_string(i) + " has " +
                             std::to_string(t.size()) + " numbers, " + std::to_string(expected) +
                             " expected");
        }
        for (int c = 0; c < 3; ++c) {
            raw.points.push_back(readers::toFloat(number(line, t[static_cast<std::size_t>(c)])));
        }
        if (kw.colors) {
            // Whether colours are bytes or fractions is decided for the whole
            // file once every vertex has been read.
            std::array<float, 4> rgba{0.f, 0.f, 0.f, 1.f};
            for (std::size_t c = 0; c < colorCount; ++c) {
                anyFloatColor |= looksLikeFloat(t[fixed + c]);
                rgba[c] = readers::toFloat(number(line, t[fixed + c]));
            }
            raw.colors.push_back(rgba);
            raw.colorIsSet.push_back(colorCount == 4 ? 2 : 1);
        }
        if (kw.texcoords) {
            raw.u.push_back(readers::toFloat(number(line, t[expected - 2])));
            raw.v.push_back(readers::toFloat(number(line, t[expected - 1])));
        }
    }
    for (long long f = 0; f < nf; ++f, ++next) {
        if (next >= lines.size()) {
            throw ParseError("the file ends after " + std::to_string(f) + " of " +
                             std::to_string(nf) + " faces (truncated)");
        }
        const Line& line = lines[next];
        const long long n = integer(line, line.tokens[0]);
        if (n < 3) {
            throw ParseError(at(line) + "face " + std::to_string(f) + " has " + std::to_string(n) +
                             " vertices; a face needs at least 3");
        }
        if (line.tokens.size() < static_cast<std::size_t>(n) + 1) {
            throw ParseError(at(line) + "face " + std::to_string(f) + " lists " +
                             std::to_string(line.tokens.size() - 1) + " of its " +
                             std::to_string(n) + " vertices");
        }
        raw.faceCounts.push_back(static_cast<int>(n));
        for (long long k = 1; k <= n; ++k) {
            const long long id = integer(line, line.tokens[static_cast<std::size_t>(k)]);
            if (id < 0 || id >= nv) {
                throw ParseError(at(line) + "face " + std::to_string(f) + " refers to vertex " +
                                 std::to_string(id) + ", but the file has " + std::to_string(nv) +
                                 " vertices");
            }
            raw.faceVertices.push_back(static_cast<int>(id));
        }
        // Tokens after the indices are a face colour, which meshes do not keep.
    }
    for (std::size_t i = 0; i < raw.colors.size(); ++i) {
        const std::size_t components = raw.colorIsSet[i] == 2 ? 4 : 3;
        if (!anyFloatColor) {
            for (std::size_t c = 0; c < components; ++c) raw.colors[i][c] /= 255.f;
        }
        raw.colorIsSet[i] = 1;
    }
    raw.hasColors = kw.colors;
    raw.hasUVs = kw.texcoords;
    if (raw.hasUVs) raw.cornerUVs = raw.faceVertices;
}

}  // namespace

MeshGeometry readOffFile(const std::string& path) {
    const std::string text = readers::loadFile(path);
    RawMesh raw;
    try {
        readOff(text, raw);
    } catch (const ParseError& e) {
        readers::fail(path, e.what());
    }
    return readers::buildMesh(path, std::move(raw));
}

}  // namespace zt::host
