#pragma once
// Tokeniser of the command language. MEL needs two ways of reading the same
// text: expressions ("$a + 1", "foo(2)") and command arguments, where a bare
// word such as "pPlane1.tx" or "/tmp/out.ply" is one string. The parser asks
// for whichever it expects at the current position, so the lexer works on
// demand rather than producing a token list up front.

#include <cstddef>
#include <stdexcept>
#include <string>

#include "../commands/value.h"

namespace zt::mel {

// A syntax error: the parser reports it with the file name and stops.
class ParseError : public std::runtime_error {
public:
    ParseError(int line, const std::string& detail) : std::runtime_error(detail), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

struct Token {
    enum class Kind {
        kEnd,         // end of text
        kIdentifier,  // foo, int, if
        kVariable,    // $name (text holds the name without '$')
        kNumber,      // value holds an int or a double
        kString,      // value holds the unescaped text
        kOperator,    // + - == && ( ) ` ...
    };
    Kind kind = Kind::kEnd;
    std::string text;
    commands::Value value;
    int line = 1;
};

class Lexer {
public:
    // `firstLine` numbers the text's first line (eval'd text takes the line
    // of the eval that runs it).
    explicit Lexer(const std::string& text, int firstLine = 1) : text_(text), line_(firstLine) {}

    // Expression mode.
    Token next();
    Token peek();
    // Skips blanks and comments; an unterminated /* */ is a ParseError.
    void skipBlanks();

    // Command-argument mode. After skipBlanks(): the raw character at the
    // position (0 at the end).
    char current(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    // Reads a "-flag" word (current() is '-' followed by a letter) and
    // returns the name without the dash.
    std::string readFlag();
    // Reads a bare word up to a blank or one of ; " ` ( ) { }. Numbers come
    // back as numbers, anything else as a string.
    Token readWord();

    bool atEnd() const { return pos_ >= text_.size(); }
    int line() const { return line_; }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos, int line) {
        pos_ = pos;
        line_ = line;
    }

    // Parses the whole of `word` as a MEL number ("12", "-1.5e3", "0x1f").
    static bool parseNumber(const std::string& word, commands::Value& out);

private:
    Token readNumber();
    Token readString();

    const std::string& text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace zt::mel
