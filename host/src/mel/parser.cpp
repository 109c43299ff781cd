#include "mel/parser.h"

#include <cctype>
#include <set>

namespace zt::mel {

const char* varTypeName(VarType type) {
    switch (type) {
        case VarType::kInt:
            return "int";
        case VarType::kFloat:
            return "float";
        case VarType::kString:
            return "string";
        case VarType::kIntArray:
            return "int[]";
        case VarType::kFloatArray:
            return "float[]";
        case VarType::kStringArray:
            return "string[]";
    }
    return "?";
}

bool isArrayType(VarType type) {
    return type == VarType::kIntArray || type == VarType::kFloatArray ||
           type == VarType::kStringArray;
}

VarType elementType(VarType arrayType) {
    switch (arrayType) {
        case VarType::kIntArray:
            return VarType::kInt;
        case VarType::kFloatArray:
            return VarType::kFloat;
        case VarType::kStringArray:
            return VarType::kString;
        default:
            return arrayType;
    }
}

VarType arrayTypeOf(VarType scalarType) {
    switch (scalarType) {
        case VarType::kInt:
            return VarType::kIntArray;
        case VarType::kFloat:
            return VarType::kFloatArray;
        case VarType::kString:
            return VarType::kStringArray;
        default:
            return scalarType;
    }
}

Expr::~Expr() {
    std::vector<ExprPtr> pending;
    auto adopt = [&pending](Expr& e) {
        for (auto& child : e.operands)
            if (child) pending.push_back(std::move(child));
        for (auto& word : e.words)
            if (word.value) pending.push_back(std::move(word.value));
    };
    adopt(*this);
    while (!pending.empty()) {
        ExprPtr next = std::move(pending.back());
        pending.pop_back();
        adopt(*next);
        // `next` now has no children, so its destructor does not recurse.
    }
}

namespace {

using Kind = Token::Kind;

// Deeper nesting than this is refused so that hostile input cannot exhaust
// the stack of the recursive parser or of the evaluator that walks the tree.
constexpr int kMaxNesting = 256;

bool typeKeyword(const std::string& word, VarType& type) {
    if (word == "int")
        type = VarType::kInt;
    else if (word == "float")
        type = VarType::kFloat;
    else if (word == "string")
        type = VarType::kString;
    else
        return false;
    return true;
}

std::string describe(const Token& t) {
    switch (t.kind) {
        case Kind::kEnd:
            return "end of input";
        case Kind::kString:
            return "string \"" + t.text + "\"";
        case Kind::kVariable:
            return "$" + t.text;
        default:
            return "'" + t.text + "'";
    }
}

class Parser {
public:
    Parser(const std::string& text, const std::string& file, int firstLine)
        : lexer_(text, firstLine), file_(file) {}

    Program parse() {
        Program program;
        program.file = file_;
        while (lexer_.peek().kind != Kind::kEnd) program.statements.push_back(statement());
        return program;
    }

private:
    struct DepthGuard {
        explicit DepthGuard(Parser& p) : parser(p) {
            if (++parser.depth_ > kMaxNesting)
                throw ParseError(parser.lexer_.line(), "nesting too deep");
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    bool isOp(const Token& t, const char* op) const {
        return t.kind == Kind::kOperator && t.text == op;
    }
    bool peekOp(const char* op) { return isOp(lexer_.peek(), op); }
    bool peekIdent(const char* word) {
        Token t = lexer_.peek();
        return t.kind == Kind::kIdentifier && t.text == word;
    }
    Token expectOp(const char* op) {
        Token t = lexer_.next();
        if (!isOp(t, op))
            throw ParseError(t.line, std::string("expected '") + op + "' but found " + describe(t));
        return t;
    }
    // MEL wants ';' after every simple statement; the last one of a text
    // or of a block may omit it.
    void endStatement() {
        Token t = lexer_.peek();
        if (isOp(t, ";")) {
            lexer_.next();
            return;
        }
        if (t.kind == Kind::kEnd || isOp(t, "}")) return;
        throw ParseError(t.line, "expected ';' but found " + describe(t));
    }

    StmtPtr make(Stmt::Kind kind, int line) {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->line = line;
        return s;
    }

    StmtPtr statement() {
        DepthGuard guard(*this);
        Token t = lexer_.peek();
        if (isOp(t, ";")) {
            lexer_.next();
            return make(Stmt::Kind::kEmpty, t.line);
        }
        if (isOp(t, "{")) return block();
        if (t.kind == Kind::kIdentifier) {
            VarType type;
            if (t.text == "if") return ifStatement();
            if (t.text == "while") return whileStatement();
            if (t.text == "do") return doStatement();
            if (t.text == "for") return forStatement();
            if (t.text == "proc") return procDefinition();
            if (t.text == "global") {
                lexer_.next();
                if (peekIdent("proc")) return procDefinition();
                Token typeWord = lexer_.next();
                if (typeWord.kind != Kind::kIdentifier || !typeKeyword(typeWord.text, type))
                    throw ParseError(typeWord.line, "expected a type or 'proc' after 'global'");
                return declaration(type, true, t.line);
            }
            if (typeKeyword(t.text, type)) {
                lexer_.next();
                return declaration(type, false, t.line);
            }
            if (t.text == "vector" || t.text == "matrix")
                throw ParseError(t.line, "the " + t.text + " type is not supported");
            if (t.text == "break" || t.text == "continue") {
                lexer_.next();
                if (loopDepth_ == 0) throw ParseError(t.line, "'" + t.text + "' outside a loop");
                endStatement();
                return make(t.text == "break" ? Stmt::Kind::kBreak : Stmt::Kind::kContinue, t.line);
            }
            if (t.text == "return") return returnStatement();
            if (t.text == "else") throw ParseError(t.line, "'else' without 'if'");
            return commandOrCall();
        }
        auto s = make(Stmt::Kind::kExpr, t.line);
        s->expr = expression();
        endStatement();
        return s;
    }

    StmtPtr block() {
        Token open = expectOp("{");
        auto s = make(Stmt::Kind::kBlock, open.line);
        while (!peekOp("}")) {
            if (lexer_.peek().kind == Kind::kEnd)
                throw ParseError(open.line, "'{' is never closed");
            s->body.push_back(statement());
        }
        lexer_.next();
        return s;
    }

    ExprPtr condition() {
        expectOp("(");
        ExprPtr e = expression();
        expectOp(")");
        return e;
    }

    StmtPtr ifStatement() {
        Token t = lexer_.next();
        auto s = make(Stmt::Kind::kIf, t.line);
        s->cond = condition();
        s->first = statement();
        if (peekIdent("else")) {
            lexer_.next();
            s->second = statement();
        }
        return s;
    }

    StmtPtr loopBody() {
        ++loopDepth_;
        StmtPtr body = statement();
        --loopDepth_;
        return body;
    }

    StmtPtr whileStatement() {
        Token t = lexer_.next();
        auto s = make(Stmt::Kind::kWhile, t.line);
        s->cond = condition();
        s->first = loopBody();
        return s;
    }

    StmtPtr doStatement() {
        Token t = lexer_.next();
        auto s = make(Stmt::Kind::kDoWhile, t.line);
        s->first = loopBody();
        Token w = lexer_.next();
        if (w.kind != Kind::kIdentifier || w.text != "while")
            throw ParseError(w.line, "expected 'while' after the body of 'do'");
        s->cond = condition();
        endStatement();
        return s;
    }

    StmtPtr forStatement() {
        Token t = lexer_.next();
        expectOp("(");
        // for ($x in $array)
        std::size_t pos = lexer_.position();
        int line = lexer_.line();
        Token first = lexer_.next();
        if (first.kind == Kind::kVariable && peekIdent("in")) {
            lexer_.next();
            auto s = make(Stmt::Kind::kForIn, t.line);
            s->name = first.text;
            s->expr = expression();
            expectOp(")");
            s->first = loopBody();
            return s;
        }
        lexer_.rewind(pos, line);
        auto s = make(Stmt::Kind::kFor, t.line);
        s->init = expressionList(";");
        expectOp(";");
        if (!peekOp(";")) s->cond = expression();
        expectOp(";");
        s->step = expressionList(")");
        expectOp(")");
        s->first = loopBody();
        return s;
    }

    std::vector<ExprPtr> expressionList(const char* terminator) {
        std::vector<ExprPtr> list;
        if (peekOp(terminator)) return list;
        list.push_back(expression());
        while (peekOp(",")) {
            lexer_.next();
            list.push_back(expression());
        }
        return list;
    }

    StmtPtr returnStatement() {
        Token t = lexer_.next();
        if (procDepth_ == 0) throw ParseError(t.line, "'return' outside a procedure");
        auto s = make(Stmt::Kind::kReturn, t.line);
        Token n = lexer_.peek();
        if (!isOp(n, ";") && n.kind != Kind::kEnd && !isOp(n, "}")) s->expr = expression();
        endStatement();
        return s;
    }

    bool arraySuffix() {
        if (!peekOp("[")) return false;
        lexer_.next();
        expectOp("]");
        return true;
    }

    StmtPtr declaration(VarType type, bool isGlobal, int line) {
        auto s = make(Stmt::Kind::kDecl, line);
        s->isGlobal = isGlobal;
        s->declType = type;
        for (;;) {
            Token v = lexer_.next();
            if (v.kind != Kind::kVariable)
                throw ParseError(v.line, "expected a variable name but found " + describe(v));
            Declarator d;
            d.name = v.text;
            d.line = v.line;
            if (peekOp("[")) {
                lexer_.next();
                d.isArray = true;
                if (!peekOp("]")) d.size = expression();
                expectOp("]");
            }
            if (peekOp("=")) {
                lexer_.next();
                d.init = expression();
            }
            s->declarators.push_back(std::move(d));
            if (!peekOp(",")) break;
            lexer_.next();
        }
        endStatement();
        return s;
    }

    StmtPtr procDefinition() {
        Token t = lexer_.next();  // proc
        if (procDepth_ > 0) throw ParseError(t.line, "procedures cannot be nested");
        auto proc = std::make_shared<ProcDef>();
        proc->file = file_;
        proc->line = t.line;
        Token name = lexer_.next();
        VarType type;
        if (name.kind == Kind::kIdentifier && typeKeyword(name.text, type) && !peekOp("(")) {
            proc->returnsValue = true;
            proc->returnType = arraySuffix() ? arrayTypeOf(type) : type;
            name = lexer_.next();
        }
        if (name.kind != Kind::kIdentifier)
            throw ParseError(name.line, "expected a procedure name but found " + describe(name));
        proc->name = name.text;
        expectOp("(");
        std::set<std::string> seen;
        if (!peekOp(")")) {
            for (;;) {
                Token typeWord = lexer_.next();
                Param p;
                if (typeWord.kind != Kind::kIdentifier || !typeKeyword(typeWord.text, p.type))
                    throw ParseError(typeWord.line,
                                     "expected a parameter type but found " + describe(typeWord));
                Token v = lexer_.next();
                if (v.kind != Kind::kVariable)
                    throw ParseError(v.line, "expected a parameter name but found " + describe(v));
                if (arraySuffix()) p.type = arrayTypeOf(p.type);
                p.name = v.text;
                if (!seen.insert(p.name).second)
                    throw ParseError(v.line, "parameter $" + p.name + " appears twice");
                proc->params.push_back(p);
                if (!peekOp(",")) break;
                lexer_.next();
            }
        }
        expectOp(")");
        if (!peekOp("{")) throw ParseError(lexer_.peek().line, "expected '{' to start the body");
        ++procDepth_;
        int savedLoops = loopDepth_;
        loopDepth_ = 0;
        proc->body = block();
        loopDepth_ = savedLoops;
        --procDepth_;
        auto s = make(Stmt::Kind::kProc, t.line);
        s->proc = proc;
        return s;
    }

    // An identifier at the start of a statement: "name(args)", with the
    // parenthesis right after the name, is the function form; anything else
    // the command form, where "name (expr) more" passes a parenthesised
    // expression as the first argument (setAttr ($node + ".tx") 2;).
    StmtPtr commandOrCall() {
        std::size_t pos = lexer_.position();
        int line = lexer_.line();
        Token name = lexer_.next();
        const bool parenthesisFollows = lexer_.current() == '(';
        lexer_.skipBlanks();
        if (parenthesisFollows) {
            lexer_.rewind(pos, line);
            auto s = make(Stmt::Kind::kExpr, name.line);
            s->expr = expression();
            endStatement();
            return s;
        }
        auto s = make(Stmt::Kind::kExpr, name.line);
        s->expr = commandWords(name, false);
        endStatement();
        return s;
    }

    // Arguments of a command in command form, up to ';' (or the closing
    // backquote inside backquotes).
    ExprPtr commandWords(const Token& name, bool inBackquotes) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::kCommand;
        e->line = name.line;
        e->name = name.text;
        for (;;) {
            lexer_.skipBlanks();
            char c = lexer_.current();
            if (lexer_.atEnd() || c == ';' || c == '}' || c == ')' || (c == '`' && inBackquotes))
                break;
            if (c == '`' && !inBackquotes) {
                e->words.push_back(CommandWord{primary(), ""});
                continue;
            }
            CommandWord word;
            if (c == '-' && std::isalpha(static_cast<unsigned char>(lexer_.current(1)))) {
                word.flag = lexer_.readFlag();
            } else if (c == '"' || c == '$' || c == '(' || c == '{') {
                word.value = primary();
                // $a[2] as one word: the index must follow the name directly.
                if (word.value->kind == Expr::Kind::kVariable && lexer_.current() == '[') {
                    lexer_.next();
                    word.value->operands.push_back(expression());
                    expectOp("]");
                }
            } else {
                Token w = lexer_.readWord();
                auto lit = std::make_unique<Expr>();
                lit->kind = Expr::Kind::kLiteral;
                lit->line = w.line;
                lit->literal = w.value;
                word.value = std::move(lit);
            }
            e->words.push_back(std::move(word));
        }
        return e;
    }

    // Expressions, lowest precedence first.
    ExprPtr expression() {
        DepthGuard guard(*this);
        ExprPtr lhs = ternary();
        Token t = lexer_.peek();
        if (t.kind == Kind::kOperator && (t.text == "=" || t.text == "+=" || t.text == "-=" ||
                                          t.text == "*=" || t.text == "/=")) {
            if (lhs->kind != Expr::Kind::kVariable)
                throw ParseError(t.line, "the left side of '" + t.text + "' is not a variable");
            lexer_.next();
            auto e = node(Expr::Kind::kAssign, t.line, t.text);
            e->operands.push_back(std::move(lhs));
            e->operands.push_back(expression());
            return e;
        }
        return lhs;
    }

    ExprPtr node(Expr::Kind kind, int line, const std::string& op = "") {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->line = line;
        e->op = op;
        return e;
    }

    // "a ? b : c ? d : e" nests to the right. The chain is read in a loop
    // and then linked from its last branch up, so that its length is not
    // limited by the stack.
    ExprPtr ternary() {
        ExprPtr cond = binary(0);
        if (!peekOp("?")) return cond;
        std::vector<ExprPtr> links;  // kTernary nodes holding condition and then-branch
        for (;;) {
            Token q = lexer_.next();
            auto e = node(Expr::Kind::kTernary, q.line);
            e->operands.push_back(std::move(cond));
            e->operands.push_back(expression());
            expectOp(":");
            links.push_back(std::move(e));
            cond = binary(0);
            if (!peekOp("?")) break;
        }
        ExprPtr tail = std::move(cond);
        while (!links.empty()) {
            ExprPtr e = std::move(links.back());
            links.pop_back();
            e->operands.push_back(std::move(tail));
            tail = std::move(e);
        }
        return tail;
    }

    // Binary operators by precedence level, loosest first.
    ExprPtr binary(int level) {
        static const std::vector<std::vector<std::string>> kLevels = {
            {"||"}, {"&&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"+", "-"}, {"*", "/", "%"}};
        if (level == static_cast<int>(kLevels.size())) return unary();
        ExprPtr lhs = binary(level + 1);
        for (;;) {
            Token t = lexer_.peek();
            bool match = false;
            if (t.kind == Kind::kOperator)
                for (const auto& op : kLevels[level]) match = match || t.text == op;
            if (!match) return lhs;
            lexer_.next();
            auto e = node(Expr::Kind::kBinary, t.line, t.text);
            e->operands.push_back(std::move(lhs));
            e->operands.push_back(binary(level + 1));
            lhs = std::move(e);
        }
    }

    ExprPtr unary() {
        DepthGuard guard(*this);
        Token t = lexer_.peek();
        if (isOp(t, "-") || isOp(t, "!") || isOp(t, "+")) {
            lexer_.next();
            auto e = node(Expr::Kind::kUnary, t.line, t.text);
            e->operands.push_back(unary());
            return e;
        }
        if (isOp(t, "++") || isOp(t, "--")) {
            lexer_.next();
            auto e = node(Expr::Kind::kIncDec, t.line, t.text);
            e->delta = t.text == "++" ? 1 : -1;
            e->prefix = true;
            ExprPtr target = postfix();
            if (target->kind != Expr::Kind::kVariable)
                throw ParseError(t.line, "'" + t.text + "' needs a variable");
            e->operands.push_back(std::move(target));
            return e;
        }
        return postfix();
    }

    ExprPtr postfix() {
        ExprPtr e = primary();
        for (;;) {
            Token t = lexer_.peek();
            if (isOp(t, "[")) {
                if (e->kind != Expr::Kind::kVariable || !e->operands.empty())
                    throw ParseError(t.line, "only a variable can be indexed");
                lexer_.next();
                e->operands.push_back(expression());
                expectOp("]");
            } else if (isOp(t, "++") || isOp(t, "--")) {
                if (e->kind != Expr::Kind::kVariable) return e;
                lexer_.next();
                auto inc = node(Expr::Kind::kIncDec, t.line, t.text);
                inc->delta = t.text == "++" ? 1 : -1;
                inc->operands.push_back(std::move(e));
                e = std::move(inc);
            } else {
                return e;
            }
        }
    }

    ExprPtr primary() {
        Token t = lexer_.next();
        switch (t.kind) {
            case Kind::kNumber:
            case Kind::kString: {
                auto e = node(Expr::Kind::kLiteral, t.line);
                e->literal = t.value;
                return e;
            }
            case Kind::kVariable: {
                auto e = node(Expr::Kind::kVariable, t.line);
                e->name = t.text;
                return e;
            }
            case Kind::kIdentifier:
                return identifierExpression(t);
            case Kind::kEnd:
                throw ParseError(t.line, "unexpected end of input");
            case Kind::kOperator:
                break;
        }
        if (t.text == "(") {
            ExprPtr e = expression();
            expectOp(")");
            return e;
        }
        if (t.text == "{") {
            auto e = node(Expr::Kind::kArrayLiteral, t.line);
            e->operands = expressionList("}");
            expectOp("}");
            return e;
        }
        if (t.text == "`") {
            Token name = lexer_.next();
            if (name.kind != Kind::kIdentifier)
                throw ParseError(name.line, "expected a command name after '`'");
            ExprPtr e;
            if (peekOp("(")) {
                lexer_.next();
                e = call(name);
            } else {
                e = commandWords(name, true);
            }
            expectOp("`");
            return e;
        }
        throw ParseError(t.line, "unexpected " + describe(t));
    }

    ExprPtr identifierExpression(const Token& t) {
        if (t.text == "true" || t.text == "on" || t.text == "yes") {
            auto e = node(Expr::Kind::kLiteral, t.line);
            e->literal = commands::Value(1);
            return e;
        }
        if (t.text == "false" || t.text == "off" || t.text == "no") {
            auto e = node(Expr::Kind::kLiteral, t.line);
            e->literal = commands::Value(0);
            return e;
        }
        if (!peekOp("("))
            throw ParseError(t.line, "unexpected word '" + t.text +
                                         "' (a command inside an expression needs backquotes)");
        lexer_.next();
        return call(t);
    }

    // After "name(": comma-separated arguments up to ')'.
    ExprPtr call(const Token& name) {
        auto e = node(Expr::Kind::kCall, name.line);
        e->name = name.text;
        e->operands = expressionList(")");
        expectOp(")");
        return e;
    }

    Lexer lexer_;
    std::string file_;
    int depth_ = 0;
    int loopDepth_ = 0;
    int procDepth_ = 0;
};

}  // namespace

Program parseProgram(const std::string& text, const std::string& file, int firstLine) {
    return Parser(text, file, firstLine).parse();
}

}  // namespace zt::mel
