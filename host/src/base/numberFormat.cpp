#include "base/numberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace zt::host {
namespace {

// Lays out the shortest round-trip digits of a value given in scientific form
// ("-1.2345e+03") either as a plain decimal or with an exponent.
std::string layOut(const char* begin, const char* end) {
    std::string text(begin, end);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string mantissa = text.substr(0, e);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);

    // Same switch points as %g, with the precision being the shortest digits.
    if (exponent < -4 || exponent >= 16) {
        const int magnitude = std::abs(exponent);
        std::string result = negative ? "-" : "";
        result += mantissa;
        result += exponent < 0 ? "e-" : "e+";
        if (magnitude < 10) result += '0';
        result += std::to_string(magnitude);
        return result;
    }

    std::string digits;
    for (char c : mantissa) {
        if (c != '.') digits += c;
    }
    std::string result = negative ? "-" : "";
    if (exponent < 0) {
        result += "0.";
        result.append(static_cast<std::size_t>(-exponent - 1), '0');
        result += digits;
    } else {
        const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            result += digits;
            result.append(integerDigits - digits.size(), '0');
        } else {
            result += digits.substr(0, integerDigits);
            result += '.';
            result += digits.substr(integerDigits);
        }
    }
    return result;
}

template <class T>
std::string format(T value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0) return "0";  // also turns -0 into "0"
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific);
    if (result.ec != std::errc()) return "nan";  // cannot happen with this buffer size
    return layOut(buffer, result.ptr);
}

}  // namespace

std::string formatNumber(double value) {
    return format(value);
}
std::string formatNumber(float value) {
    return format(value);
}

}  // namespace zt::host
