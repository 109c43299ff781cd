#include "commands/value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>

namespace zt::commands {

Value::Value(int v) : type_(Type::kInt), int_(v) {}
Value::Value(double v) : type_(Type::kDouble), double_(v) {}
Value::Value(bool v) : type_(Type::kInt), int_(v ? 1 : 0) {}
Value::Value(const char* v) : type_(Type::kString), string_(v ? v : "") {}
Value::Value(std::string v) : type_(Type::kString), string_(std::move(v)) {}
Value::Value(std::vector<int> v) : type_(Type::kIntArray), ints_(std::move(v)) {}
Value::Value(std::vector<double> v) : type_(Type::kDoubleArray), doubles_(std::move(v)) {}
Value::Value(std::vector<std::string> v) : type_(Type::kStringArray), strings_(std::move(v)) {}

bool Value::isArray() const {
    return type_ == Type::kIntArray || type_ == Type::kDoubleArray || type_ == Type::kStringArray;
}

namespace {

// A double outside int's range (or NaN) has no int value; MEL clamps rather
// than invoking undefined behaviour.
int clampToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

double leadingNumber(const std::string& s) {
    const char* begin = s.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    return end == begin ? 0.0 : v;
}

}  // namespace

int Value::asInt() const {
    switch (type_) {
        case Type::kNone:
            return 0;
        case Type::kInt:
            return int_;
        case Type::kDouble:
            return clampToInt(double_);
        case Type::kString:
            return clampToInt(leadingNumber(string_));
        default:
            return length() == 0 ? 0 : element(0).asInt();
    }
}

double Value::asDouble() const {
    switch (type_) {
        case Type::kNone:
            return 0.0;
        case Type::kInt:
            return int_;
        case Type::kDouble:
            return double_;
        case Type::kString:
            return leadingNumber(string_);
        default:
            return length() == 0 ? 0.0 : element(0).asDouble();
    }
}

std::string Value::asString() const {
    switch (type_) {
        case Type::kNone:
            return "";
        case Type::kInt:
            return std::to_string(int_);
        case Type::kDouble:
            return formatDouble(double_);
        case Type::kString:
            return string_;
        default:
            return length() == 0 ? std::string() : element(0).asString();
    }
}

bool Value::asBool() const {
    switch (type_) {
        case Type::kNone:
            return false;
        case Type::kInt:
            return int_ != 0;
        case Type::kDouble:
            return double_ != 0.0;
        case Type::kString:
            return !string_.empty();
        default:
            return length() != 0;
    }
}

std::size_t Value::length() const {
    switch (type_) {
        case Type::kNone:
            return 0;
        case Type::kIntArray:
            return ints_.size();
        case Type::kDoubleArray:
            return doubles_.size();
        case Type::kStringArray:
            return strings_.size();
        default:
            return 1;
    }
}

Value Value::element(std::size_t index) const {
    if (index >= length()) return Value();
    switch (type_) {
        case Type::kIntArray:
            return Value(ints_[index]);
        case Type::kDoubleArray:
            return Value(doubles_[index]);
        case Type::kStringArray:
            return Value(strings_[index]);
        default:
            return *this;
    }
}

std::vector<int> Value::asIntArray() const {
    if (type_ == Type::kIntArray) return ints_;
    std::vector<int> out;
    for (std::size_t i = 0; i < length(); ++i) out.push_back(element(i).asInt());
    return out;
}

std::vector<double> Value::asDoubleArray() const {
    if (type_ == Type::kDoubleArray) return doubles_;
    std::vector<double> out;
    for (std::size_t i = 0; i < length(); ++i) out.push_back(element(i).asDouble());
    return out;
}

std::vector<std::string> Value::asStringArray() const {
    if (type_ == Type::kStringArray) return strings_;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < length(); ++i) out.push_back(element(i).asString());
    return out;
}

std::string Value::toDisplayString() const {
    if (!isArray()) return asString();
    std::string out;
    for (std::size_t i = 0; i < length(); ++i) {
        if (i) out += ' ';
        out += element(i).asString();
    }
    return out;
}

bool Value::operator==(const Value& other) const {
    if (type_ != other.type_) return false;
    switch (type_) {
        case Type::kNone:
            return true;
        case Type::kInt:
            return int_ == other.int_;
        case Type::kDouble:
            return double_ == other.double_;
        case Type::kString:
            return string_ == other.string_;
        case Type::kIntArray:
            return ints_ == other.ints_;
        case Type::kDoubleArray:
            return doubles_ == other.doubles_;
        case Type::kStringArray:
            return strings_ == other.strings_;
    }
    return false;
}

std::string Value::formatDouble(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    if (v == 0.0) return "0";  // also folds -0 into "0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

std::ostream& operator<<(std::ostream& os, const Value& v) {
    static const char* const kNames[] = {"none",  "int",     "float",   "string",
                                         "int[]", "float[]", "string[]"};
    os << kNames[static_cast<int>(v.type())];
    if (v.isString()) return os << " \"" << v.asString() << '"';
    if (!v.isNone()) os << ' ' << v.toDisplayString();
    return os;
}

}  // namespace zt::commands
