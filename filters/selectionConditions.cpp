#include "filters/selectionConditions.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <regex>

namespace zt {
namespace selection {
namespace {

// The three piece kinds, tried in this order. The groups only capture what
// the reader needs; they do not change which texts match.
const std::regex& pointIdPattern() {
    static const std::regex pattern(R"(^\d+$)", std::regex::ECMAScript);
    return pattern;
}

// 1 name, 3 component, 4 operator, 5 number
const std::regex& channelNumberPattern() {
    static const std::regex pattern(
        R"(^([a-zA-Z]+[a-zA-Z0-9]*)(\.(x|y|z))?(==|<|<=|>|>=|!=)(-?\d+(\.\d*)?)$)",
        std::regex::ECMAScript);
    return pattern;
}

// 1 left name, 3 left component, 4 operator, 5 right name, 7 right component
const std::regex& twoOperandsPattern() {
    static const std::regex pattern(
        R"(^([a-zA-Z]+[a-zA-Z0-9]*)(\.(x|y|z))?(==|<|<=|>|>=|!=)([a-zA-Z]+[a-zA-Z0-9]*)(\.(x|y|z))?$)",
        std::regex::ECMAScript);
    return pattern;
}

const std::regex& namePattern() {
    static const std::regex pattern(R"(^[a-zA-Z]+[a-zA-Z0-9]*$)", std::regex::ECMAScript);
    return pattern;
}

// A number ending the piece: with a fraction it is a float constant, without
// one (or with a bare point, as in "5.") an integer constant.
const std::regex& floatEndPattern() {
    static const std::regex pattern(R"(-?\d+(\.\d+)$)", std::regex::ECMAScript);
    return pattern;
}

const std::regex& intEndPattern() {
    static const std::regex pattern(R"(-?\d+\.?$)", std::regex::ECMAScript);
    return pattern;
}

const char* const kPointId = "pointID";

std::string removeBlanks(const std::string& piece) {
    std::string out;
    out.reserve(piece.size());
    for (const char c : piece) {
        if (c != ' ' && c != '\t') out += c;
    }
    return out;
}

// Pieces between commas, empty ones dropped.
std::vector<std::string> splitPieces(const std::string& text) {
    std::vector<std::string> pieces;
    std::string current;
    for (const char c : text) {
        if (c == ',') {
            if (!current.empty()) pieces.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) pieces.push_back(current);
    return pieces;
}

// Decimal digits (with an optional leading '-') read as a 64-bit value,
// saturating far outside the int range; the callers refuse anything beyond it.
long long readInteger(const std::string& digits) {
    errno = 0;
    const long long value = std::strtoll(digits.c_str(), nullptr, 10);
    return errno == ERANGE ? (digits[0] == '-' ? LLONG_MIN : LLONG_MAX) : value;
}

bool fitsInt(long long value) {
    return value >= INT_MIN && value <= INT_MAX;
}

// A decimal number narrowed to float; magnitudes beyond the float range
// become infinities rather than an undefined conversion.
float readFloat(const std::string& number) {
    const double value = std::strtod(number.c_str(), nullptr);
    if (value > FLT_MAX) return INFINITY;
    if (value < -FLT_MAX) return -INFINITY;
    return static_cast<float>(value);
}

// One side of a comparison once resolved: a column of the point set or a
// constant component of a variable.
struct Operand {
    bool isVariable = false;
    unsigned int column = 0;
    float constant = 0.0f;
};

// Builds the lists of one text; kept apart so a refused text leaves nothing.
class Reader {
public:
    Reader(const ChannelLookup& channels, const Variables& variables, const std::string& plugName)
        : channels_(channels), variables_(variables), plug_(plugName) {}

    bool readPiece(const std::string& written);

    ParsedConditions parsed;
    std::string message;

private:
    bool fail(const std::string& text) {
        message = text;
        return false;
    }

    unsigned int columnIndex(const std::string& channel, int component) {
        const std::string key =
            component < 0 ? channel : channel + "." + static_cast<char>('x' + component);
        for (std::size_t i = 0; i < parsed.columns.size(); ++i) {
            if (parsed.columns[i].key == key) return static_cast<unsigned int>(i);
        }
        parsed.columns.push_back(Column{key, channel, component});
        return static_cast<unsigned int>(parsed.columns.size() - 1);
    }

    // True when some component of `channel` is already a column.
    bool hasComponentColumn(const std::string& channel) const {
        for (const Column& c : parsed.columns) {
            if (c.channel == channel && c.component >= 0) return true;
        }
        return false;
    }

    std::string missing(const std::string& name) const {
        return plug_ + ": '" + name + "'  missing";
    }

    bool readPointId(const std::string& piece);
    bool readChannelNumber(const std::smatch& m);
    bool readTwoOperands(const std::string& piece, const std::smatch& m);
    bool resolveOperand(const std::string& piece, const std::string& name,
                        const std::string& element, Operand& operand);
    void append(unsigned int first, unsigned short op, unsigned short type, int secondInt,
                float secondFloat) {
        parsed.firstOperand.push_back(first);
        parsed.operation.push_back(op);
        parsed.secondOperandType.push_back(type);
        parsed.secondOperandInt.push_back(secondInt);
        parsed.secondOperandFloat.push_back(secondFloat);
    }

    const ChannelLookup& channels_;
    const Variables& variables_;
    const std::string& plug_;
};

bool Reader::readPiece(const std::string& written) {
    const std::string piece = removeBlanks(written);
    if (piece.empty()) return fail("ztPointsSelection: unrecognized token: '" + written + "'");
    if (piece.size() > kMaxPieceLength) {
        return fail("ztPointsSelection: Unrecognized token '" + piece + "' (longer than " +
                    std::to_string(kMaxPieceLength) + " characters)");
    }
    if (std::regex_search(piece, pointIdPattern())) return readPointId(piece);
    std::smatch m;
    if (std::regex_search(piece, m, channelNumberPattern())) return readChannelNumber(m);
    if (std::regex_search(piece, m, twoOperandsPattern())) return readTwoOperands(piece, m);
    return fail("ztPointsSelection: Unrecognized token '" + piece + "'");
}

bool Reader::readPointId(const std::string& piece) {
    const long long id = readInteger(piece);
    // The ids are matched against an int channel: larger numbers name no point.
    if (id > INT_MAX) return fail("ztPointsSelection: point id out of range: '" + piece + "'");
    if (parsed.ids.empty()) {
        const ChannelKind kind = channels_(kPointId);
        if (kind == ChannelKind::kMissing) return fail(plug_ + ": pointID missing");
        if (kind != ChannelKind::kInt) return fail(plug_ + ": invalid 'pointID' array type");
        columnIndex(kPointId, -1);
    }
    parsed.ids.push_back(static_cast<unsigned int>(id));
    return true;
}

bool Reader::readChannelNumber(const std::smatch& m) {
    const std::string name = m[1].str();
    const ChannelKind kind = channels_(name);
    if (kind == ChannelKind::kMissing) return fail(missing(name));
    unsigned int column = 0;
    if (m[3].matched) {
        if (kind != ChannelKind::kVector) {
            return fail(plug_ + ": '" + name + "' attribute is not a vector");
        }
        column = columnIndex(name, recognizeElement(m[3].str()));
    } else {
        if (kind == ChannelKind::kVector) {
            // A vector channel already compared by component: the user knows
            // it is a vector, so say so instead of asking for the component.
            if (hasComponentColumn(name)) {
                return fail(plug_ + ": '" + name + "' attribute is a vector");
            }
            return fail(plug_ + ": please specify '" + name + "' element (x, y, z)");
        }
        if (kind == ChannelKind::kOther) {
            return fail(plug_ + ": '" + name + "' attribute is not a number");
        }
        column = columnIndex(name, -1);
    }
    const unsigned short op = recognizeOperation(m[4].str());

    const std::string number = m[5].str();
    std::smatch end;
    if (std::regex_search(number, end, floatEndPattern())) {
        append(column, op, kFloatConstant, 0, readFloat(end.str()));
        return true;
    }
    std::regex_search(number, end, intEndPattern());
    const long long value = readInteger(end.str());
    if (!fitsInt(value)) {
        return fail("ztPointsSelection: number out of range in '" + m[0].str() + "'");
    }
    append(column, op, kIntConstant, static_cast<int>(value), 0.0f);
    return true;
}

bool Reader::resolveOperand(const std::string& piece, const std::string& name,
                            const std::string& element, Operand& operand) {
    if (!element.empty()) {
        if (const std::array<double, 3>* value = variables_.find(name)) {
            operand.isVariable = true;
            operand.constant =
                static_cast<float>((*value)[static_cast<std::size_t>(recognizeElement(element))]);
            return true;
        }
    }
    const ChannelKind kind = channels_(name);
    if (kind == ChannelKind::kMissing) return fail(missing(name));
    if (!element.empty()) {
        if (kind != ChannelKind::kVector) {
            return fail(plug_ + ": in expression: '" + piece + "' attribute:'" + name +
                        "' is not a vector");
        }
        operand.column = columnIndex(name, recognizeElement(element));
        return true;
    }
    if (kind == ChannelKind::kVector) {
        return fail(plug_ + ": please specify '" + name +
                    "' element (x, y, z) in expression: " + piece);
    }
    if (kind == ChannelKind::kOther) {
        return fail(plug_ + ": '" + name + "' attribute is not a number");
    }
    operand.column = columnIndex(name, -1);
    return true;
}

bool Reader::readTwoOperands(const std::string& piece, const std::smatch& m) {
    Operand left, right;
    if (!resolveOperand(piece, m[1].str(), m[3].str(), left)) return false;
    const unsigned short op = recognizeOperation(m[4].str());
    if (!resolveOperand(piece, m[5].str(), m[7].str(), right)) return false;
    if (left.isVariable && right.isVariable) return fail("Useless expression: " + piece);
    if (!left.isVariable && !right.isVariable) {
        append(left.column, op, kColumn, static_cast<int>(right.column), 0.0f);
    } else if (right.isVariable) {
        append(left.column, op, kFloatConstant, 0, right.constant);
    } else {
        // The channel becomes the first operand, so the operator turns round
        // to keep the comparison's written meaning.
        append(right.column, mirrorOperation(op), kFloatConstant, 0, left.constant);
    }
    return true;
}

}  // namespace

std::string Variables::add(const std::string& name, const std::array<double, 3>& value,
                           const ChannelLookup& channels, const std::string& plugName) {
    if (name.empty()) return "ztPointsSelection: variable label missing";
    if (name.size() > kMaxPieceLength || !std::regex_search(name, namePattern())) {
        return "ztPointsSelection: inappropriate variable name: '" + name + "'";
    }
    if (name == kPointId) return "Forbidden variable name pointID";
    if (index_.count(name) != 0) return "ztPointsSelection: variable '" + name + "' already exists";
    if (channels(name) != ChannelKind::kMissing) {
        return plugName + ": '" + name + "' variable will override inPoints array";
    }
    index_[name] = static_cast<unsigned int>(values_.size());
    values_.push_back(value);
    return std::string();
}

const std::array<double, 3>* Variables::find(const std::string& name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? nullptr : &values_[it->second];
}

int ParsedConditions::pointIdColumn() const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].key == kPointId) return static_cast<int>(i);
    }
    return -1;
}

bool parseConditions(const std::string& text, const ChannelLookup& channels,
                     const Variables& variables, const std::string& plugName,
                     ParsedConditions& parsed, std::string& message) {
    parsed = ParsedConditions();
    message.clear();
    Reader reader(channels, variables, plugName);
    for (const std::string& piece : splitPieces(text)) {
        if (!reader.readPiece(piece)) {
            message = reader.message;
            return false;
        }
    }
    parsed = std::move(reader.parsed);
    return true;
}

unsigned short recognizeOperation(const std::string& op) {
    static const char* const names[] = {"==", "<", "<=", ">", ">=", "!="};
    for (unsigned short code = 0; code < 6; ++code) {
        if (op == names[code]) return code;
    }
    std::cerr << "recognizeOperation: wrong 'op' string" << std::endl;
    return 0;
}

int recognizeElement(const std::string& element) {
    if (element == "x") return 0;
    if (element == "y") return 1;
    if (element == "z") return 2;
    std::cerr << "recognizeElement: wrong 'elem' string" << std::endl;
    return 0;
}

unsigned short mirrorOperation(unsigned short op) {
    switch (op) {
        case kLess:
            return kGreater;
        case kGreater:
            return kLess;
        case kLessEqual:
            return kGreaterEqual;
        case kGreaterEqual:
            return kLessEqual;
        default:
            return op;
    }
}

}  // namespace selection
}  // namespace zt
