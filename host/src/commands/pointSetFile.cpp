#include "commands/pointSetFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace zt::commands {

namespace {

bool isPosition(const PointChannel& c) {
    return c.kind == PointChannel::Kind::kVector && c.name == "position";
}

// Text of a double that reads back to the same bits.
std::string exact(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

bool hostIsLittleEndian() {
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

template <class T>
void writeLittleEndian(std::ostream& out, T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if (!hostIsLittleEndian()) std::reverse(bytes, bytes + sizeof(T));
    out.write(reinterpret_cast<const char*>(bytes), sizeof(T));
}

// Calls emitDouble / emitInt for each value of point i in column order.
template <class D, class I>
void forEachValue(const PointTable& table, std::size_t i, D emitDouble, I emitInt) {
    for (const auto& c : table.channels) {
        switch (c.kind) {
            case PointChannel::Kind::kVector:
                for (std::size_t k = 0; k < 3; ++k) emitDouble(c.doubles[3 * i + k]);
                break;
            case PointChannel::Kind::kDouble:
                emitDouble(c.doubles[i]);
                break;
            case PointChannel::Kind::kInt:
                emitInt(c.ints[i]);
                break;
        }
    }
}

std::size_t countOf(const PointTable& table) {
    return table.channels.empty() ? 0 : table.channels.front().pointCount();
}

void writePly(std::ostream& out, const PointTable& table, bool ascii) {
    const std::size_t n = countOf(table);
    out << "ply\n"
        << (ascii ? "format ascii 1.0\n" : "format binary_little_endian 1.0\n")
        << "comment point set written by exportPoints\n"
        << "element vertex " << n << "\n";
    std::vector<std::string> columns = pointColumns(table);
    std::size_t col = 0;
    for (const auto& c : table.channels) {
        std::size_t width = c.kind == PointChannel::Kind::kVector ? 3 : 1;
        const char* type = c.kind == PointChannel::Kind::kInt ? "int" : "double";
        for (std::size_t k = 0; k < width; ++k)
            out << "property " << type << " " << columns[col++] << "\n";
    }
    out << "end_header\n";
    for (std::size_t i = 0; i < n; ++i) {
        if (ascii) {
            bool first = true;
            auto sep = [&] {
                if (!first) out << ' ';
                first = false;
            };
            forEachValue(
                table, i, [&](double v) { sep(), out << exact(v); },
                [&](int v) { sep(), out << v; });
            out << '\n';
        } else {
            forEachValue(
                table, i, [&](double v) { writeLittleEndian(out, v); },
                [&](int v) { writeLittleEndian(out, static_cast<std::int32_t>(v)); });
        }
    }
}

void writeCsv(std::ostream& out, const PointTable& table) {
    std::vector<std::string> columns = pointColumns(table);
    for (std::size_t k = 0; k < columns.size(); ++k) out << (k ? "," : "") << columns[k];
    out << "\n";
    for (std::size_t i = 0, n = countOf(table); i < n; ++i) {
        bool first = true;
        auto sep = [&] {
            if (!first) out << ',';
            first = false;
        };
        forEachValue(
            table, i, [&](double v) { sep(), out << exact(v); }, [&](int v) { sep(), out << v; });
        out << "\n";
    }
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// JSON has no NaN or infinity: they become null.
std::string jsonNumber(double v) {
    return std::isfinite(v) ? exact(v) : "null";
}

void writeJson(std::ostream& out, const PointTable& table) {
    out << "{";
    for (std::size_t c = 0; c < table.channels.size(); ++c) {
        const PointChannel& ch = table.channels[c];
        out << (c ? ",\n " : "\n ") << jsonString(ch.name) << ": [";
        for (std::size_t i = 0, n = ch.pointCount(); i < n; ++i) {
            if (i) out << ", ";
            switch (ch.kind) {
                case PointChannel::Kind::kVector:
                    out << "[" << jsonNumber(ch.doubles[3 * i]) << ", "
                        << jsonNumber(ch.doubles[3 * i + 1]) << ", "
                        << jsonNumber(ch.doubles[3 * i + 2]) << "]";
                    break;
                case PointChannel::Kind::kDouble:
                    out << jsonNumber(ch.doubles[i]);
                    break;
                case PointChannel::Kind::kInt:
                    out << ch.ints[i];
                    break;
            }
        }
        out << "]";
    }
    out << (table.channels.empty() ? "}\n" : "\n}\n");
}

}  // namespace

std::size_t PointChannel::pointCount() const {
    switch (kind) {
        case Kind::kVector:
            return doubles.size() / 3;
        case Kind::kDouble:
            return doubles.size();
        case Kind::kInt:
            return ints.size();
    }
    return 0;
}

std::size_t preparePointTable(PointTable& table) {
    std::stable_partition(table.channels.begin(), table.channels.end(), isPosition);
    std::size_t n = countOf(table);
    for (const auto& c : table.channels) {
        if (c.kind == PointChannel::Kind::kVector && c.doubles.size() % 3 != 0)
            throw PointFileError("channel '" + c.name + "' is not a list of vectors");
        if (c.pointCount() != n)
            throw PointFileError("channel '" + c.name + "' has " + std::to_string(c.pointCount()) +
                                 " values but '" + table.channels.front().name + "' has " +
                                 std::to_string(n));
    }
    return n;
}

PointFileFormat pointFileFormat(const std::string& path, bool ascii) {
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of('/');
    std::string ext;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "ply") return ascii ? PointFileFormat::kPlyAscii : PointFileFormat::kPlyBinary;
    if (ext == "csv") return PointFileFormat::kCsv;
    if (ext == "json") return PointFileFormat::kJson;
    throw PointFileError("cannot tell the format of '" + path +
                         "': use a file name ending in .ply, .csv or .json");
}

std::vector<std::string> pointColumns(const PointTable& table) {
    std::vector<std::string> columns;
    for (const auto& c : table.channels) {
        // Channel names are free text; PLY property names end at a blank and
        // CSV cells at a comma, so anything but letters, digits and '_' goes.
        std::string name = c.name.empty() ? "_" : c.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') ch = '_';
        if (isPosition(c)) {
            columns.insert(columns.end(), {"x", "y", "z"});
        } else if (c.kind == PointChannel::Kind::kVector) {
            for (const char* axis : {"_x", "_y", "_z"}) columns.push_back(name + axis);
        } else {
            columns.push_back(name);
        }
    }
    return columns;
}

void writePoints(std::ostream& out, const PointTable& table, PointFileFormat format) {
    switch (format) {
        case PointFileFormat::kPlyBinary:
            writePly(out, table, false);
            break;
        case PointFileFormat::kPlyAscii:
            writePly(out, table, true);
            break;
        case PointFileFormat::kCsv:
            writeCsv(out, table);
            break;
        case PointFileFormat::kJson:
            writeJson(out, table);
            break;
    }
}

}  // namespace zt::commands
