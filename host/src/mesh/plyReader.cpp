// PLY reader: the header is parsed into element and property descriptions,
// then every element of the body is walked in order (ASCII tokens or binary
// values of either byte order), keeping the properties a mesh needs and
// reading past the rest. The walk is strict: a file that ends early, a list
// that runs past the end or a token that is not a number is an error, never
// a silently zero-filled mesh.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "mesh/meshReaders.h"
#include "mesh/readerSupport.h"

namespace zt::host {

namespace {

using readers::RawMesh;

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Scalar { kInt8, kUInt8, kInt16, kUInt16, kInt32, kUInt32, kFloat32, kFloat64 };

struct TypeName {
    const char* name;
    Scalar type;
};
constexpr TypeName kTypeNames[] = {
    {"char", Scalar::kInt8},       {"int8", Scalar::kInt8},       {"uchar", Scalar::kUInt8},
    {"uint8", Scalar::kUInt8},     {"short", Scalar::kInt16},     {"int16", Scalar::kInt16},
    {"ushort", Scalar::kUInt16},   {"uint16", Scalar::kUInt16},   {"int", Scalar::kInt32},
    {"int32", Scalar::kInt32},     {"uint", Scalar::kUInt32},     {"uint32", Scalar::kUInt32},
    {"float", Scalar::kFloat32},   {"float32", Scalar::kFloat32}, {"double", Scalar::kFloat64},
    {"float64", Scalar::kFloat64},
};

std::size_t byteSize(Scalar t) {
    switch (t) {
        case Scalar::kInt8:
        case Scalar::kUInt8:
            return 1;
        case Scalar::kInt16:
        case Scalar::kUInt16:
            return 2;
        case Scalar::kInt32:
        case Scalar::kUInt32:
        case Scalar::kFloat32:
            return 4;
        case Scalar::kFloat64:
            return 8;
    }
    return 0;
}

bool isInteger(Scalar t) {
    return t != Scalar::kFloat32 && t != Scalar::kFloat64;
}

// Scale that maps an integer colour component to 0..1.
float colorScale(Scalar t) {
    if (!isInteger(t)) return 1.f;
    return byteSize(t) == 2 ? 1.f / 65535.f : 1.f / 255.f;
}

Scalar parseType(const std::string& name) {
    for (const TypeName& t : kTypeNames) {
        if (name == t.name) return t.type;
    }
    throw ParseError("unknown property type \"" + name + "\" in the header");
}

struct Property {
    std::string name;
    Scalar type = Scalar::kFloat32;
    bool isList = false;
    Scalar countType = Scalar::kUInt8;
};

struct Element {
    std::string name;
    std::size_t count = 0;
    std::vector<Property> properties;
    int find(const char* propertyName) const {
        for (std::size_t i = 0; i < properties.size(); ++i) {
            if (properties[i].name == propertyName) return static_cast<int>(i);
        }
        return -1;
    }
};

enum class Format { kAscii, kBinaryLittle, kBinaryBig };

struct Header {
    Format format = Format::kAscii;
    std::vector<Element> elements;
    std::size_t bodyStart = 0;
    std::size_t bodyLine = 1;  // line number where the body starts
};

Header parseHeader(const std::string& bytes) {
    Header header;
    std::size_t pos = 0;
    std::size_t lineNo = 0;
    bool sawFormat = false;
    auto nextLine = [&](std::string& line) {
        if (pos >= bytes.size()) return false;
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = end + 1;
        ++lineNo;
        return true;
    };
    std::string line;
    if (!nextLine(line) || line != "ply") {
        throw ParseError("not a PLY file (the first line is not \"ply\")");
    }
    while (true) {
        if (!nextLine(line)) throw ParseError("the header has no end_header line");
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword.empty() || keyword == "comment" || keyword == "obj_info") continue;
        const std::string where = "header line " + std::to_string(lineNo) + ": ";
        if (keyword == "end_header") break;
        if (keyword == "format") {
            std::string format, version;
            words >> format >> version;
            if (format == "ascii") {
                header.format = Format::kAscii;
            } else if (format == "binary_little_endian") {
                header.format = Format::kBinaryLittle;
            } else if (format == "binary_big_endian") {
                header.format = Format::kBinaryBig;
            } else {
                throw ParseError(where + "unknown format \"" + format + "\"");
            }
            sawFormat = true;
        } else if (keyword == "element") {
            Element e;
            long long count = -1;
            words >> e.name >> count;
            if (e.name.empty() || words.fail() || count < 0) {
                throw ParseError(where + "expected \"element <name> <count>\"");
            }
            e.count = static_cast<std::size_t>(count);
            header.elements.push_back(std::move(e));
        } else if (keyword == "property") {
            if (header.elements.empty()) throw ParseError(where + "property before any element");
            Property p;
            std::string type;
            words >> type;
            if (type == "list") {
                std::string countType, itemType;
                words >> countType >> itemType >> p.name;
                p.isList = true;
                p.countType = parseType(countType);
                p.type = parseType(itemType);
                if (!isInteger(p.countType)) {
                    throw ParseError(where + "a list count must have an integer type");
                }
            } else {
                words >> p.name;
                p.type = parseType(type);
            }
            if (p.name.empty()) throw ParseError(where + "property without a name");
            header.elements.back().properties.push_back(std::move(p));
        } else {
            throw ParseError(where + "unknown header keyword \"" + keyword + "\"");
        }
    }
    if (!sawFormat) throw ParseError("the header has no format line");
    header.bodyStart = pos;
    header.bodyLine = lineNo + 1;
    return header;
}

// Refuses element counts that the body cannot hold, before anything is
// read: every scalar takes at least its size in a binary body, or one
// character and a separator in an ASCII one, and every list at least its
// count. (Elements without properties take no room and are skipped.)
void checkCounts(const Header& header, std::size_t bodyBytes) {
    const bool ascii = header.format == Format::kAscii;
    // Room the items read so far need, kept at or below the body size.
    std::size_t needed = 0;
    for (const Element& e : header.elements) {
        std::size_t perItem = 0;
        for (const Property& p : e.properties)
            perItem += ascii ? 2 : byteSize(p.isList ? p.countType : p.type);
        if (perItem == 0 || e.count == 0) continue;
        // The last value of an ASCII body needs no separator after it.
        const std::size_t room = bodyBytes - needed + (ascii ? 1 : 0);
        if (e.count > room / perItem) {
            throw ParseError("element \"" + e.name + "\" declares " + std::to_string(e.count) +
                             " items, but the " + std::to_string(bodyBytes) +
                             " bytes after the header cannot hold them (truncated, or a "
                             "wrong count)");
        }
        needed = std::min(bodyBytes, needed + e.count * perItem);
    }
}

// Reads scalar values from the body in either encoding.
class BodyReader {
public:
    BodyReader(const std::string& bytes, std::size_t start, std::size_t line, Format format)
        : bytes_(bytes), pos_(start), line_(line), format_(format) {}

    bool ascii() const { return format_ == Format::kAscii; }
    // Line of the last value read (ASCII bodies).
    std::size_t line() const { return line_; }

    double value(Scalar type) {
        return format_ == Format::kAscii ? asciiValue(type) : binaryValue(type);
    }

    std::size_t listCount(Scalar type) {
        const double n = value(type);
        // Far more than any real face; refusing it early also keeps the
        // conversion below defined.
        if (n < 0 || n > 1e9) throw ParseError("bad list length " + std::to_string(n));
        return static_cast<std::size_t>(n);
    }

private:
    double asciiValue(Scalar type) {
        while (pos_ < bytes_.size() && std::isspace(static_cast<unsigned char>(bytes_[pos_]))) {
            if (bytes_[pos_] == '\n') ++line_;
            ++pos_;
        }
        if (pos_ >= bytes_.size()) throw ParseError("the file ends early (truncated)");
        std::size_t end = pos_;
        while (end < bytes_.size() && !std::isspace(static_cast<unsigned char>(bytes_[end]))) {
            ++end;
        }
        const std::string token = bytes_.substr(pos_, end - pos_);
        pos_ = end;
        char* stop = nullptr;
        const double v = std::strtod(token.c_str(), &stop);
        if (stop == token.c_str() || *stop != '\0') {
            throw ParseError("\"" + token + "\" is not a number");
        }
        if (isInteger(type) && (!std::isfinite(v) || v != std::floor(v))) {
            throw ParseError("\"" + token + "\" is not an integer");
        }
        return v;
    }

    double binaryValue(Scalar type) {
        const std::size_t n = byteSize(type);
        if (pos_ > bytes_.size() || bytes_.size() - pos_ < n) {
            throw ParseError("the file ends early (truncated)");
        }
        unsigned char b[8];
        std::memcpy(b, bytes_.data() + pos_, n);
        pos_ += n;
        const bool swap = (format_ == Format::kBinaryBig) != isBigEndianHost();
        if (swap) {
            for (std::size_t i = 0; i < n / 2; ++i) std::swap(b[i], b[n - 1 - i]);
        }
        switch (type) {
            case Scalar::kInt8:
                return static_cast<double>(static_cast<signed char>(b[0]));
            case Scalar::kUInt8:
                return b[0];
            case Scalar::kInt16:
                return load<std::int16_t>(b);
            case Scalar::kUInt16:
                return load<std::uint16_t>(b);
            case Scalar::kInt32:
                return load<std::int32_t>(b);
            case Scalar::kUInt32:
                return load<std::uint32_t>(b);
            case Scalar::kFloat32:
                return load<float>(b);
            case Scalar::kFloat64:
                return load<double>(b);
        }
        return 0.0;
    }

    template <class T>
    static double load(const unsigned char* b) {
        T v;
        std::memcpy(&v, b, sizeof(T));
        return static_cast<double>(v);
    }

    static bool isBigEndianHost() {
        const std::uint16_t one = 1;
        unsigned char first;
        std::memcpy(&first, &one, 1);
        return first == 0;
    }

    const std::string& bytes_;
    std::size_t pos_;
    std::size_t line_;
    Format format_;
};

// Indices of the vertex properties a mesh uses (-1 when absent).
struct VertexLayout {
    int x = -1, y = -1, z = -1;
    int r = -1, g = -1, b = -1, a = -1;
    int s = -1, t = -1;
};

int findFirst(const Element& e, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        const int i = e.find(n);
        if (i >= 0) return i;
    }
    return -1;
}

VertexLayout vertexLayout(const Element& e) {
    VertexLayout l;
    l.x = e.find("x");
    l.y = e.find("y");
    l.z = e.find("z");
    if (l.x < 0 || l.y < 0 || l.z < 0) {
        throw ParseError("the vertex element lacks one of the properties x, y, z");
    }
    l.r = findFirst(e, {"red", "diffuse_red", "r"});
    l.g = findFirst(e, {"green", "diffuse_green", "g"});
    l.b = findFirst(e, {"blue", "diffuse_blue", "b"});
    l.a = findFirst(e, {"alpha", "diffuse_alpha", "a"});
    if (l.r < 0 || l.g < 0 || l.b < 0) l.r = l.g = l.b = l.a = -1;
    const std::pair<const char*, const char*> uvNames[] = {
        {"s", "t"}, {"u", "v"}, {"texture_u", "texture_v"}, {"texture_s", "texture_t"}};
    for (const auto& names : uvNames) {
        const int s = e.find(names.first), t = e.find(names.second);
        if (s >= 0 && t >= 0) {
            l.s = s;
            l.t = t;
            break;
        }
    }
    for (int i : {l.x, l.y, l.z, l.r, l.g, l.b, l.a, l.s, l.t}) {
        if (i >= 0 && e.properties[static_cast<std::size_t>(i)].isList) {
            throw ParseError("vertex property \"" + e.properties[static_cast<std::size_t>(i)].name +
                             "\" is a list; a scalar is expected");
        }
    }
    return l;
}

// One face: its vertex indices (which must be whole numbers naming a vertex
// of the file) and, when the face carries them, its per-corner texcoords.
void addFace(const std::vector<double>& ids, const std::vector<double>* texcoords,
             std::size_t vertexCount, RawMesh& raw, std::vector<float>& faceU,
             std::vector<float>& faceV, std::vector<int>& faceCornerUVs) {
    for (double id : ids) {
        if (id != std::floor(id)) {
            std::ostringstream msg;
            msg << "vertex index " << id << " is not a whole number";
            throw ParseError(msg.str());
        }
        if (id < 0 || id >= static_cast<double>(vertexCount)) {
            std::ostringstream msg;
            msg << "refers to vertex " << id << ", but the file has " << vertexCount << " vertices";
            throw ParseError(msg.str());
        }
    }
    raw.faceCounts.push_back(static_cast<int>(ids.size()));
    for (double id : ids) raw.faceVertices.push_back(static_cast<int>(id));
    if (!texcoords) return;
    const std::vector<double>& tc = *texcoords;
    if (tc.empty()) {
        faceCornerUVs.insert(faceCornerUVs.end(), ids.size(), -1);
    } else if (tc.size() != 2 * ids.size()) {
        throw ParseError("texcoord list has " + std::to_string(tc.size()) + " values for " +
                         std::to_string(ids.size()) + " corners (2 per corner expected)");
    } else {
        for (std::size_t k = 0; k < ids.size(); ++k) {
            faceCornerUVs.push_back(static_cast<int>(faceU.size()));
            faceU.push_back(readers::toFloat(tc[2 * k]));
            faceV.push_back(readers::toFloat(tc[2 * k + 1]));
        }
    }
}

void readElements(const Header& header, const std::string& bytes, RawMesh& raw) {
    checkCounts(header, bytes.size() - header.bodyStart);
    BodyReader body(bytes, header.bodyStart, header.bodyLine, header.format);
    bool sawVertices = false;
    std::size_t vertexCount = 0;
    std::vector<float> faceU, faceV;
    std::vector<int> faceCornerUVs;
    bool faceTexcoords = false;

    for (const Element& e : header.elements) {
        const bool isVertex = e.name == "vertex" && !sawVertices;
        const bool isFace = e.name == "face";
        VertexLayout layout;
        int indexList = -1, texcoordList = -1;
        if (isVertex) {
            layout = vertexLayout(e);
            sawVertices = true;
            vertexCount = e.count;
            raw.hasColors = layout.r >= 0;
            raw.hasUVs = layout.s >= 0;
        } else if (isFace) {
            indexList = findFirst(e, {"vertex_indices", "vertex_index"});
            if (indexList < 0 || !e.properties[static_cast<std::size_t>(indexList)].isList) {
                throw ParseError("the face element has no vertex_indices list");
            }
            texcoordList = e.find("texcoord");
            if (texcoordList >= 0 && e.properties[static_cast<std::size_t>(texcoordList)].isList) {
                faceTexcoords = true;
            } else {
                texcoordList = -1;
            }
        }

        if (e.properties.empty()) continue;
        std::vector<double> values;
        std::vector<std::vector<double>> lists(e.properties.size());
        for (std::size_t item = 0; item < e.count; ++item) {
            values.assign(e.properties.size(), 0.0);
            try {
                for (std::size_t p = 0; p < e.properties.size(); ++p) {
                    const Property& prop = e.properties[p];
                    if (!prop.isList) {
                        values[p] = body.value(prop.type);
                        continue;
                    }
                    const std::size_t n = body.listCount(prop.countType);
                    lists[p].clear();
                    for (std::size_t k = 0; k < n; ++k) lists[p].push_back(body.value(prop.type));
                }
                if (isVertex) {
                    auto at = [&](int i) { return values[static_cast<std::size_t>(i)]; };
                    raw.points.push_back(readers::toFloat(at(layout.x)));
                    raw.points.push_back(readers::toFloat(at(layout.y)));
                    raw.points.push_back(readers::toFloat(at(layout.z)));
                    if (raw.hasColors) {
                        auto channel = [&](int i) {
                            const Property& prop = e.properties[static_cast<std::size_t>(i)];
                            return readers::toFloat(at(i)) * colorScale(prop.type);
                        };
                        raw.colors.push_back({channel(layout.r), channel(layout.g),
                                              channel(layout.b),
                                              layout.a >= 0 ? channel(layout.a) : 1.f});
                        raw.colorIsSet.push_back(1);
                    }
                    if (raw.hasUVs) {
                        raw.u.push_back(readers::toFloat(at(layout.s)));
                        raw.v.push_back(readers::toFloat(at(layout.t)));
                    }
                } else if (isFace) {
                    addFace(lists[static_cast<std::size_t>(indexList)],
                            texcoordList >= 0 ? &lists[static_cast<std::size_t>(texcoordList)]
                                              : nullptr,
                            vertexCount, raw, faceU, faceV, faceCornerUVs);
                }
            } catch (const ParseError& err) {
                const std::string where =
                    body.ascii() ? "line " + std::to_string(body.line()) + ", " : "";
                throw ParseError(where + e.name + " " + std::to_string(item) + " of " +
                                 std::to_string(e.count) + ": " + err.what());
            }
        }
    }
    if (!sawVertices) throw ParseError("the file has no vertex element");
    if (faceTexcoords) {
        raw.hasUVs = true;
        raw.u = std::move(faceU);
        raw.v = std::move(faceV);
        raw.cornerUVs = std::move(faceCornerUVs);
    } else if (raw.hasUVs) {
        raw.cornerUVs = raw.faceVertices;  // one UV per vertex
    }
}

}  // namespace

MeshGeometry readPlyFile(const std::string& path) {
    const std::string bytes = readers::loadFile(path);
    RawMesh raw;
    try {
        const Header header = parseHeader(bytes);
        readElements(header, bytes, raw);
    } catch (const ParseError& e) {
        readers::fail(path, e.what());
    }
    return readers::buildMesh(path, std::move(raw));
}

}  // namespace zt::host
