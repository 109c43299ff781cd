#include "mel/lexer.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace zt::mel {

namespace {

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Ends a bare command word; everything else (dots, brackets, slashes, colons,
// pipes) belongs to node names, plug names and paths.
bool endsWord(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == ';' || c == '"' || c == '`' ||
           c == '(' || c == ')' || c == '{' || c == '}';
}

// Longest operators first so that "+=" is not read as "+" then "=".
const char* const kOperators[] = {
    "+=", "-=", "*=", "/=", "++", "--", "==", "!=", "<=", ">=", "&&", "||",
    "+",  "-",  "*",  "/",  "%",  "<",  ">",  "=",  "!",  "(",  ")",  "[",
    "]",  "{",  "}",  ",",  ";",  "?",  ":",  "`",  "^",  "."};

}  // namespace

void Lexer::skipBlanks() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos_;
        } else if (c == '/' && current(1) == '/') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else if (c == '/' && current(1) == '*') {
            int startLine = line_;
            pos_ += 2;
            while (pos_ < text_.size() && !(text_[pos_] == '*' && current(1) == '/')) {
                if (text_[pos_] == '\n') ++line_;
                ++pos_;
            }
            if (pos_ >= text_.size()) throw ParseError(startLine, "unterminated comment");
            pos_ += 2;
        } else {
            break;
        }
    }
}

Token Lexer::peek() {
    std::size_t savedPos = pos_;
    int savedLine = line_;
    Token t = next();
    pos_ = savedPos;
    line_ = savedLine;
    return t;
}

Token Lexer::next() {
    skipBlanks();
    Token t;
    t.line = line_;
    if (atEnd()) return t;
    char c = current();
    if (isIdentStart(c)) {
        std::size_t start = pos_;
        while (isIdentChar(current())) ++pos_;
        t.kind = Token::Kind::kIdentifier;
        t.text = text_.substr(start, pos_ - start);
        return t;
    }
    if (c == '$') {
        ++pos_;
        if (!isIdentStart(current())) throw ParseError(line_, "expected a variable name after '$'");
        std::size_t start = pos_;
        while (isIdentChar(current())) ++pos_;
        t.kind = Token::Kind::kVariable;
        t.text = text_.substr(start, pos_ - start);
        return t;
    }
    if (isDigit(c) || (c == '.' && isDigit(current(1)))) return readNumber();
    if (c == '"') return readString();
    for (const char* op : kOperators) {
        std::size_t n = std::char_traits<char>::length(op);
        if (text_.compare(pos_, n, op) == 0) {
            pos_ += n;
            t.kind = Token::Kind::kOperator;
            t.text = op;
            return t;
        }
    }
    std::string shown = std::isprint(static_cast<unsigned char>(c))
                            ? std::string(1, c)
                            : "\\x" + std::to_string(static_cast<unsigned char>(c));
    throw ParseError(line_, "unexpected character '" + shown + "'");
}

Token Lexer::readNumber() {
    std::size_t start = pos_;
    if (current() == '0' && (current(1) == 'x' || current(1) == 'X')) {
        pos_ += 2;
        while (std::isxdigit(static_cast<unsigned char>(current()))) ++pos_;
    } else {
        while (isDigit(current())) ++pos_;
        if (current() == '.') {
            ++pos_;
            while (isDigit(current())) ++pos_;
        }
        if ((current() == 'e' || current() == 'E') &&
            (isDigit(current(1)) ||
             ((current(1) == '+' || current(1) == '-') && isDigit(current(2))))) {
            pos_ += 2;
            while (isDigit(current())) ++pos_;
        }
    }
    Token t;
    t.line = line_;
    t.kind = Token::Kind::kNumber;
    t.text = text_.substr(start, pos_ - start);
    if (isIdentChar(current()))
        throw ParseError(line_, "malformed number '" + t.text + current() + "'");
    if (!parseNumber(t.text, t.value)) throw ParseError(line_, "malformed number '" + t.text + "'");
    return t;
}

Token Lexer::readString() {
    Token t;
    t.line = line_;
    t.kind = Token::Kind::kString;
    ++pos_;  // opening quote
    std::string out;
    for (;;) {
        if (atEnd()) throw ParseError(t.line, "unterminated string");
        char c = current();
        if (c == '\n') throw ParseError(t.line, "unterminated string");
        ++pos_;
        if (c == '"') break;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (atEnd()) throw ParseError(t.line, "unterminated string");
        char e = current();
        ++pos_;
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\n':  // a backslash at the end of a line continues the string
                ++line_;
                break;
            default:
                out += e;
                break;  // \\ \" \' and unknown escapes keep the character
        }
    }
    t.value = commands::Value(out);
    t.text = out;
    return t;
}

std::string Lexer::readFlag() {
    ++pos_;  // the dash
    std::size_t start = pos_;
    while (isIdentChar(current())) ++pos_;
    return text_.substr(start, pos_ - start);
}

Token Lexer::readWord() {
    Token t;
    t.line = line_;
    std::size_t start = pos_;
    while (!atEnd() && !endsWord(current())) ++pos_;
    t.text = text_.substr(start, pos_ - start);
    if (parseNumber(t.text, t.value)) {
        t.kind = Token::Kind::kNumber;
    } else {
        t.kind = Token::Kind::kString;
        t.value = commands::Value(t.text);
    }
    return t;
}

bool Lexer::parseNumber(const std::string& word, commands::Value& out) {
    if (word.empty()) return false;
    std::size_t i = 0;
    bool negative = false;
    if (word[0] == '+' || word[0] == '-') {
        negative = word[0] == '-';
        i = 1;
    }
    std::string body = word.substr(i);
    if (body.empty()) return false;
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        for (std::size_t k = 2; k < body.size(); ++k)
            if (!std::isxdigit(static_cast<unsigned char>(body[k]))) return false;
        errno = 0;
        unsigned long long v = std::strtoull(body.c_str() + 2, nullptr, 16);
        if (errno == ERANGE || v > static_cast<unsigned long long>(std::numeric_limits<int>::max()))
            out = commands::Value(negative ? -static_cast<double>(v) : static_cast<double>(v));
        else
            out = commands::Value(negative ? -static_cast<int>(v) : static_cast<int>(v));
        return true;
    }
    bool digits = false, fractional = false;
    std::size_t k = 0;
    while (k < body.size() && isDigit(body[k])) digits = true, ++k;
    if (k < body.size() && body[k] == '.') {
        fractional = true;
        ++k;
        while (k < body.size() && isDigit(body[k])) digits = true, ++k;
    }
    if (!digits) return false;
    if (k < body.size() && (body[k] == 'e' || body[k] == 'E')) {
        fractional = true;
        ++k;
        if (k < body.size() && (body[k] == '+' || body[k] == '-')) ++k;
        if (k >= body.size() || !isDigit(body[k])) return false;
        while (k < body.size() && isDigit(body[k])) ++k;
    }
    if (k != body.size()) return false;
    if (!fractional) {
        errno = 0;
        long long v = std::strtoll(body.c_str(), nullptr, 10);
        if (errno != ERANGE && v <= std::numeric_limits<int>::max()) {
            out = commands::Value(static_cast<int>(negative ? -v : v));
            return true;
        }
        // Too large for MEL's 32-bit int: keep it as a float.
    }
    double d = std::strtod(body.c_str(), nullptr);
    out = commands::Value(negative ? -d : d);
    return true;
}

}  // namespace zt::mel
