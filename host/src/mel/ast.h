#pragma once
// Syntax tree of the command language. Nodes carry the line they start on
// so that run-time errors name the line as syntax errors do.

#include <memory>
#include <string>
#include <vector>

#include "../commands/value.h"

namespace zt::mel {

enum class VarType { kInt, kFloat, kString, kIntArray, kFloatArray, kStringArray };

const char* varTypeName(VarType type);  // "int", "float[]", ...
bool isArrayType(VarType type);
VarType elementType(VarType arrayType);
VarType arrayTypeOf(VarType scalarType);

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

// One argument of a command written in command form ("-flag", a word, a
// string, a variable, a parenthesised expression or a backquoted command).
struct CommandWord {
    ExprPtr value;     // null for a flag
    std::string flag;  // the flag name without '-', when this is a flag
    bool isFlag() const { return !value; }
};

struct Expr {
    Expr() = default;
    // Frees the subtree without recursion: a flat chain of 100 000 operators
    // is a tree that deep, and a recursive destructor would run out of stack.
    ~Expr();
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;

    enum class Kind {
        kLiteral,       // literal
        kVariable,      // $name, or $name[index] when operands holds the index
        kArrayLiteral,  // {a, b, c}: operands
        kUnary,         // op operands[0]: "-", "!", "+"
        kBinary,        // operands[0] op operands[1]
        kTernary,       // operands[0] ? operands[1] : operands[2]
        kAssign,        // operands[0] (a kVariable) op operands[1]; op "=", "+=", ...
        kIncDec,        // ++/-- on operands[0]; delta +1/-1, prefix or postfix
        kCall,          // name(operands...): function form
        kCommand,       // name words...: command form (statement or backquotes)
    };
    Kind kind = Kind::kLiteral;
    int line = 0;
    commands::Value literal;
    std::string name;  // variable name (no '$') or called name
    std::string op;
    std::vector<ExprPtr> operands;
    std::vector<CommandWord> words;
    int delta = 0;
    bool prefix = false;
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;

struct Declarator {
    std::string name;
    bool isArray = false;
    ExprPtr size;  // int $a[4]
    ExprPtr init;
    int line = 0;
};

struct Param {
    VarType type = VarType::kInt;
    std::string name;
};

struct ProcDef {
    std::string name;
    bool returnsValue = false;
    VarType returnType = VarType::kInt;
    std::vector<Param> params;
    StmtPtr body;
    std::string file;
    int line = 0;
};

struct Stmt {
    enum class Kind {
        kEmpty,
        kExpr,     // expr
        kDecl,     // [global] type declarators
        kBlock,    // body
        kIf,       // cond, first, second (may be null)
        kWhile,    // cond, first
        kDoWhile,  // first, cond
        kFor,      // init, cond (may be null), step, first
        kForIn,    // name in expr, first
        kBreak,
        kContinue,
        kReturn,  // expr (may be null)
        kProc,    // proc
    };
    Kind kind = Kind::kEmpty;
    int line = 0;
    ExprPtr expr;
    ExprPtr cond;
    StmtPtr first;
    StmtPtr second;
    std::vector<StmtPtr> body;
    std::vector<ExprPtr> init;
    std::vector<ExprPtr> step;
    // Declarations.
    bool isGlobal = false;
    VarType declType = VarType::kInt;
    std::vector<Declarator> declarators;
    // for-in loop variable.
    std::string name;
    std::shared_ptr<ProcDef> proc;
};

// A parsed text: its statements and the procedures it defines. Procedure
// bodies are shared so they outlive the text that defined them.
struct Program {
    std::string file;
    std::vector<StmtPtr> statements;
};

}  // namespace zt::mel
