#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cctype>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string_view>
#include <system_error>

#include "base/numberFormat.h"

namespace {

void appendUtf8(std::string& out, char32_t c) {
    // Lone surrogates and values past the last code point are not characters.
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string fromWide(const wchar_t* text, std::size_t count) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) appendUtf8(out, static_cast<char32_t>(text[i]));
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `text` that reads as a decimal number:
// [+-] (digits [. digits] | . digits) [(e|E) [+-] digits]. 0 when none.
std::size_t numberPrefix(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponentStart = i;
        while (i < text.size() && isDigit(text[i])) ++i;
        if (i > exponentStart) end = i;  // "2e" is the number 2 followed by text
    }
    return end;
}

// Length of the longest prefix reading as an integer: [+-] digits.
std::size_t integerPrefix(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i > digitsStart ? i : 0;
}

// Whether a number that does not fit a double is too large (rather than too
// small): the decimal exponent of its first significant digit decides.
bool overflows(std::string_view text) {
    const std::size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
        for (char c : digits) {
            if (exponent < 100000) exponent = exponent * 10 + (c - '0');  // far past any double
        }
        if (negative) exponent = -exponent;
    }
    const std::size_t point = mantissa.find('.');
    std::size_t integerDigits = 0;
    for (char c : mantissa.substr(0, point)) integerDigits += isDigit(c) ? 1 : 0;
    // Decimal exponent of the digit being read.
    long position = static_cast<long>(integerDigits) - 1;
    for (char c : mantissa) {
        if (!isDigit(c)) continue;
        if (c != '0') return position + exponent > 0;
        --position;
    }
    return false;  // all zeros: cannot be out of range
}

// Parses a number whose syntax has been checked; out of range values saturate
// to infinity or zero.
double parseDouble(std::string_view text) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = overflows(text) ? HUGE_VAL : 0.0;
        if (text[0] == '-') value = -value;
    }
    return value;
}

// The integer in `text` (syntax already checked), or nothing when it does not fit an int.
bool parseInt(std::string_view text, long long& value) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && value >= INT_MIN && value <= INT_MAX;
}

std::string_view skipSpace(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

MString::MString() = default;
MString::MString(const char* charString) : text_(charString != nullptr ? charString : "") {}
MString::MString(const wchar_t* charString)
    : text_(charString != nullptr ? fromWide(charString, std::wcslen(charString)) : std::string()) {
}
MString::MString(const char* charString, int charLength) {
    set(charString, charLength);
}
MString::MString(const wchar_t* charString, int wcharLength) {
    if (charString != nullptr && wcharLength > 0) {
        text_ = fromWide(charString, static_cast<std::size_t>(wcharLength));
    }
}
MString::MString(const MString& other) = default;
MString::MString(MString&& other) noexcept = default;
MString::~MString() = default;

MString& MString::operator+=(const MString& other) {
    text_ += other.text_;
    return *this;
}
MString& MString::operator+=(const char* other) {
    if (other != nullptr) text_ += other;
    return *this;
}
MString& MString::operator+=(double other) {
    text_ += zt::host::formatNumber(other);
    return *this;
}
MString& MString::operator+=(int other) {
    text_ += std::to_string(other);
    return *this;
}
MString& MString::operator+=(unsigned int other) {
    text_ += std::to_string(other);
    return *this;
}
MString& MString::operator+=(float other) {
    text_ += zt::host::formatNumber(other);
    return *this;
}

MString& MString::operator=(const MString& other) = default;
MString& MString::operator=(MString&& other) noexcept = default;
MString& MString::operator=(const char* other) {
    set(other);
    return *this;
}
MString& MString::operator=(double value) {
    set(value);
    return *this;
}

bool MString::operator==(const MString& other) const {
    return text_ == other.text_;
}
bool MString::operator==(const char* other) const {
    return text_ == (other ? other : "");
}
bool MString::operator!=(const MString& other) const {
    return !(*this == other);
}
bool MString::operator!=(const char* other) const {
    return !(*this == other);
}

MString MString::operator+(const MString& other) const {
    MString result(*this);
    result += other;
    return result;
}
MString MString::operator+(const char* other) const {
    MString result(*this);
    result += other;
    return result;
}
MString MString::operator+(double value) const {
    MString result(*this);
    result += value;
    return result;
}
MString operator+(const char* left, const MString& right) {
    MString result(left);
    result += right;
    return result;
}

MStatus MString::set(const char* charString) {
    text_ = charString != nullptr ? charString : "";
    return MS::kSuccess;
}

MStatus MString::set(const char* charString, int charLength) {
    if (charString == nullptr || charLength < 0) {
        text_.clear();
        return charLength == 0 ? MS::kSuccess : MS::kInvalidParameter;
    }
    text_.assign(charString, static_cast<std::size_t>(charLength));
    return MS::kSuccess;
}

MStatus MString::set(double value) {
    text_ = zt::host::formatNumber(value);
    return MS::kSuccess;
}

MStatus MString::set(double value, int precision) {
    if (precision < 0) return set(value);
    if (!std::isfinite(value)) return set(value);
    // Fixed notation with `precision` decimals, capped where doubles stop having digits.
    const int decimals = precision > 17 ? 17 : precision;
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(&text[0], text.size(), "%.*f", decimals, value);
    text.resize(static_cast<std::size_t>(size));
    text_ = std::move(text);
    return MS::kSuccess;
}

const char* MString::asChar() const {
    return text_.c_str();
}

const char* MString::asChar(int& charLength) const {
    charLength = static_cast<int>(text_.size());
    return text_.c_str();
}

unsigned int MString::length() const {
    return static_cast<unsigned int>(text_.size());
}

unsigned int MString::numChars() const {
    unsigned int count = 0;
    for (char c : text_) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

void MString::clear() {
    text_.clear();
}

int MString::index(char c) const {
    const std::size_t at = text_.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int MString::rindex(char c) const {
    const std::size_t at = text_.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

MStatus MString::split(char separator, MStringArray& pieces) const {
    pieces.clear();
    std::size_t start = 0;
    while (start <= text_.size()) {
        std::size_t end = text_.find(separator, start);
        if (end == std::string::npos) end = text_.size();
        if (end > start) {
            pieces.append(MString(text_.data() + start, static_cast<int>(end - start)));
        }
        start = end + 1;
    }
    return MS::kSuccess;
}

MString MString::substring(int start, int end) const {
    const int last = static_cast<int>(text_.size()) - 1;
    if (start < 0) start = 0;
    if (end > last) end = last;
    if (start > end) return MString();
    return MString(text_.data() + start, end - start + 1);
}

bool MString::isInt() const {
    long long value = 0;
    return !text_.empty() && integerPrefix(text_) == text_.size() && parseInt(text_, value);
}

int MString::asInt() const {
    const std::string_view text = skipSpace(text_);
    const std::size_t length = integerPrefix(text);
    if (length == 0) return 0;
    long long value = 0;
    if (parseInt(text.substr(0, length), value)) return static_cast<int>(value);
    return text[0] == '-' ? INT_MIN : INT_MAX;
}

bool MString::isShort() const {
    return isInt() && asInt() >= SHRT_MIN && asInt() <= SHRT_MAX;
}

short MString::asShort() const {
    const int value = asInt();
    if (value < SHRT_MIN) return SHRT_MIN;
    if (value > SHRT_MAX) return SHRT_MAX;
    return static_cast<short>(value);
}

bool MString::isDouble() const {
    return !text_.empty() && numberPrefix(text_) == text_.size() &&
           std::isfinite(parseDouble(text_));
}

double MString::asDouble() const {
    const std::string_view text = skipSpace(text_);
    const std::size_t length = numberPrefix(text);
    return length == 0 ? 0.0 : parseDouble(text.substr(0, length));
}

bool MString::isFloat() const {
    return isDouble() && std::fabs(asDouble()) <= FLT_MAX;
}

float MString::asFloat() const {
    return static_cast<float>(asDouble());
}

MStatus MString::substitute(const MString& src, const MString& target) {
    if (src.text_.empty()) return MS::kInvalidParameter;
    std::string result;
    std::size_t start = 0;
    for (std::size_t at = text_.find(src.text_); at != std::string::npos;
         at = text_.find(src.text_, start)) {
        result.append(text_, start, at - start);
        result += target.text_;
        start = at + src.text_.size();
    }
    result.append(text_, start, std::string::npos);
    text_ = std::move(result);
    return MS::kSuccess;
}

std::ostream& operator<<(std::ostream& os, const MString& text) {
    return os << text.text_;
}
