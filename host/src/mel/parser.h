#pragma once
// Recursive-descent parser of the command language (a subset of MEL).

#include <string>

#include "ast.h"
#include "lexer.h"

namespace zt::mel {

// Parses a whole text. Throws ParseError (with the line) on the first
// syntax error; nothing of a text with a syntax error runs. Lines count
// from `firstLine`.
Program parseProgram(const std::string& text, const std::string& file, int firstLine = 1);

}  // namespace zt::mel
