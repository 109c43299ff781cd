#pragma once
// The one value type of the command language: what a variable holds, what an
// argument to a command is and what a command returns. MEL has no other
// types the host needs (no vectors or matrices at script level).

#include <iosfwd>
#include <string>
#include <vector>

namespace zt::commands {

class Value {
public:
    enum class Type { kNone, kInt, kDouble, kString, kIntArray, kDoubleArray, kStringArray };

    Value() = default;
    Value(int v);
    Value(double v);
    Value(bool v);  // MEL has no boolean: true is the int 1
    Value(const char* v);
    Value(std::string v);
    Value(std::vector<int> v);
    Value(std::vector<double> v);
    Value(std::vector<std::string> v);

    Type type() const { return type_; }
    bool isNone() const { return type_ == Type::kNone; }
    bool isArray() const;
    bool isNumber() const { return type_ == Type::kInt || type_ == Type::kDouble; }
    bool isString() const { return type_ == Type::kString; }

    // Conversions follow MEL: a string converts to the number it starts with
    // (0 when none), an array converts to its first element (0 or "" when
    // empty), a number to its text as formatDouble writes it.
    int asInt() const;
    double asDouble() const;
    std::string asString() const;
    bool asBool() const;  // numbers: non-zero; strings: non-empty

    // Array access; a scalar behaves as an array of one element, kNone as empty.
    std::size_t length() const;
    std::vector<int> asIntArray() const;
    std::vector<double> asDoubleArray() const;
    std::vector<std::string> asStringArray() const;
    Value element(std::size_t index) const;  // kNone when out of range

    // The text the host prints for a result: arrays one element per line.
    std::string toDisplayString() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    // Text of a double as the host prints numbers: up to 10 significant
    // digits, no trailing zeros, integral values without a decimal point.
    static std::string formatDouble(double v);

private:
    Type type_ = Type::kNone;
    int int_ = 0;
    double double_ = 0.0;
    std::string string_;
    std::vector<int> ints_;
    std::vector<double> doubles_;
    std::vector<std::string> strings_;
};

// Writes the type and the display text, e.g. int 3, string "a", float[] 1 2.
std::ostream& operator<<(std::ostream& os, const Value& v);

// What a command hands back to the script: the same value type.
using CommandResult = Value;

}  // namespace zt::commands
