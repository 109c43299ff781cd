#include "mel/interpreter.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "commands/commandRegistry.h"
#include "mel/parser.h"

namespace zt::mel {

using commands::Value;
using VType = Value::Type;

namespace {

// Bounds on what a script can make the interpreter do, so that no input can
// exhaust the stack or memory: nested procedure calls, sourced files and
// evals together, the length of one array and of one string.
constexpr int kMaxCallDepth = 120;
constexpr std::size_t kMaxArrayLength = 50000000;
// Longest string that '+' builds (64 MiB): a doubling loop stops with an
// error long before it exhausts memory.
constexpr std::size_t kMaxStringLength = std::size_t(1) << 26;

VarType typeOfValue(const Value& v) {
    switch (v.type()) {
        case VType::kInt:
            return VarType::kInt;
        case VType::kDouble:
            return VarType::kFloat;
        case VType::kIntArray:
            return VarType::kIntArray;
        case VType::kDoubleArray:
            return VarType::kFloatArray;
        case VType::kStringArray:
            return VarType::kStringArray;
        default:
            return VarType::kString;
    }
}

const char* valueTypeName(const Value& v) {
    switch (v.type()) {
        case VType::kNone:
            return "nothing";
        case VType::kInt:
            return "int";
        case VType::kDouble:
            return "float";
        case VType::kString:
            return "string";
        case VType::kIntArray:
            return "int[]";
        case VType::kDoubleArray:
            return "float[]";
        case VType::kStringArray:
            return "string[]";
    }
    return "?";
}

// Integer arithmetic wraps like the 32-bit ints of the host instead of
// overflowing (which C++ leaves undefined).
int wrap(long long v) {
    return static_cast<int>(static_cast<unsigned int>(v));
}

bool looksLikeFlag(const Value& v) {
    if (v.type() != VType::kString) return false;
    const std::string& s = v.asString();
    return s.size() > 1 && s[0] == '-' && std::isalpha(static_cast<unsigned char>(s[1]));
}

Value setElement(const Value& array, std::size_t index, const Value& element) {
    switch (array.type()) {
        case VType::kIntArray: {
            auto v = array.asIntArray();
            if (index >= v.size()) v.resize(index + 1, 0);
            v[index] = element.asInt();
            return Value(std::move(v));
        }
        case VType::kDoubleArray: {
            auto v = array.asDoubleArray();
            if (index >= v.size()) v.resize(index + 1, 0.0);
            v[index] = element.asDouble();
            return Value(std::move(v));
        }
        default: {
            auto v = array.asStringArray();
            if (index >= v.size()) v.resize(index + 1);
            v[index] = element.asString();
            return Value(std::move(v));
        }
    }
}

}  // namespace

// Pushes a block scope for the lifetime of the guard.
class Interpreter::ScopeGuard {
public:
    explicit ScopeGuard(Interpreter& in) : in_(in) {
        in_.frames_.back().scopes.push_back(std::make_shared<Scope>());
    }
    ~ScopeGuard() { in_.frames_.back().scopes.pop_back(); }

private:
    Interpreter& in_;
};

// Pushes a call frame (procedure body, or a sourced file at top level).
class Interpreter::FrameGuard {
public:
    FrameGuard(Interpreter& in, Frame frame, bool inProc) : in_(in), savedInProc_(in.inProc_) {
        in_.frames_.push_back(std::move(frame));
        in_.inProc_ = inProc;
    }
    ~FrameGuard() {
        in_.frames_.pop_back();
        in_.inProc_ = savedInProc_;
    }

private:
    Interpreter& in_;
    bool savedInProc_;
};

class Interpreter::DepthGuard {
public:
    DepthGuard(Interpreter& in, int line) : in_(in) {
        if (++in_.callDepth_ > kMaxCallDepth) {
            --in_.callDepth_;
            in_.fail("maximum call depth exceeded (recursion too deep)", line, true);
        }
    }
    ~DepthGuard() { --in_.callDepth_; }

private:
    Interpreter& in_;
};

Interpreter::Interpreter()
    : out_(&std::cout), err_(&std::cerr), topScope_(std::make_shared<Scope>()) {}

Interpreter::~Interpreter() = default;

void Interpreter::setStreams(std::ostream* out, std::ostream* err) {
    out_ = out ? out : &std::cout;
    err_ = err ? err : &std::cerr;
}

void Interpreter::setInterruptCheck(std::function<bool()> check) {
    interruptCheck_ = std::move(check);
}

bool Interpreter::callableExists(const std::string& name) const {
    static const char* const kNatives[] = {
        "print",     "source",  "eval",    "error",  "warning", "size",     "abs",
        "floor",     "ceil",    "sqrt",    "pow",    "min",     "max",      "strcmp",
        "substring", "tolower", "toupper", "exists", "getenv",  "filetest", "catch"};
    for (const char* n : kNatives)
        if (name == n) return true;
    return procExists(name) || commands::commandExists(name);
}

bool Interpreter::variable(const std::string& name, Value& out) const {
    const Scope& top = *topScope_;
    auto it = top.find(name);
    if (it == top.end()) {
        it = globals_.find(name);
        if (it == globals_.end()) return false;
    }
    out = it->second->value;
    return true;
}

void Interpreter::fail(const std::string& message, int line, bool fatal) const {
    throw Error(message, line, currentFile(), fatal);
}

const std::string& Interpreter::currentFile() const {
    static const std::string kNone;
    return frames_.empty() ? kNone : frames_.back().file;
}

void Interpreter::post(bool isError, const std::string& text) {
    out_->flush();  // keep print output and messages in order on a terminal
    if (sink_) {
        sink_(isError, text);
        return;
    }
    *err_ << (isError ? "// Error: " : "// Warning: ") << text << std::endl;
}

namespace {

std::string place(const std::string& file, int line) {
    std::string where = "line " + std::to_string(line) + ": ";
    return file.empty() ? where : "file: " + file + " " + where;
}

}  // namespace

void Interpreter::reportError(const Error& error) {
    post(true, place(error.file, error.line) + error.what());
}

void Interpreter::countStep(int line) {
    if (interruptCheck_ && interruptCheck_()) fail("Interrupted", line, true);
    if (stepLimit_ != 0 && ++steps_ > stepLimit_) fail("step limit exceeded", line, true);
}

bool Interpreter::run(const std::string& text, const std::string& file, Value* result, bool echo) {
    if (runDepth_ == 0) steps_ = 0;
    ++runDepth_;
    bool ok = true;
    // A run nested in a command (MGlobal::executeCommand from a plug-in)
    // starts at top level, like any text handed to the host.
    std::vector<Frame> savedFrames;
    savedFrames.swap(frames_);
    bool savedInProc = inProc_;
    int savedDepth = callDepth_;
    inProc_ = false;
    try {
        Program program = parseProgram(text, file);
        frames_.push_back(Frame{{topScope_}, file});
        runProgram(program, result, echo);
    } catch (const ParseError& e) {
        post(true, place(file, e.line()) + "Syntax error: " + e.what());
        ok = false;
    } catch (const Error& e) {
        reportError(e);
        ok = false;
    }
    frames_.swap(savedFrames);
    inProc_ = savedInProc;
    callDepth_ = savedDepth;
    --runDepth_;
    return ok;
}

bool Interpreter::runFile(const std::string& path, bool echo) {
    // Checked before opening: opening a FIFO would wait for a writer.
    struct stat info {};
    const bool regular = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    std::ifstream in;
    if (regular) in.open(path, std::ios::binary);
    if (!regular || !in) {
        post(true, "Cannot find file \"" + path + "\" for source statement.");
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return run(text.str(), path, nullptr, echo);
}

void Interpreter::defineProcs(const Program& program) {
    for (const auto& stmt : program.statements)
        if (stmt->kind == Stmt::Kind::kProc) procs_[stmt->proc->name] = stmt->proc;
}

void Interpreter::runProgram(const Program& program, Value* result, bool echo) {
    // Procedures are known from the start of their file, so a script may call
    // one defined further down.
    defineProcs(program);
    for (const auto& stmt : program.statements) {
        if (stmt->kind == Stmt::Kind::kExpr) {
            countStep(stmt->line);
            Value v = eval(*stmt->expr);
            if (!v.isNone() && result) *result = v;
            bool isCommand =
                stmt->expr->kind == Expr::Kind::kCommand || stmt->expr->kind == Expr::Kind::kCall;
            if (echo && isCommand && !v.isNone())
                *out_ << "// Result: " << v.toDisplayString() << " //" << std::endl;
            continue;
        }
        exec(*stmt);
    }
}

Interpreter::Flow Interpreter::execBlock(const std::vector<StmtPtr>& body) {
    ScopeGuard scope(*this);
    for (const auto& s : body) {
        Flow flow = exec(*s);
        if (flow != Flow::kNormal) return flow;
    }
    return Flow::kNormal;
}

// Runs a loop body; `stop` is set when the loop must end (break or return).
Interpreter::Flow Interpreter::execLoopBody(const Stmt& body, bool& stop) {
    Flow flow = exec(body);
    stop = flow == Flow::kBreak || flow == Flow::kReturn;
    return flow == Flow::kReturn ? Flow::kReturn : Flow::kNormal;
}

Interpreter::Flow Interpreter::exec(const Stmt& stmt) {
    countStep(stmt.line);
    switch (stmt.kind) {
        case Stmt::Kind::kEmpty:
        case Stmt::Kind::kProc:
            return Flow::kNormal;
        case Stmt::Kind::kExpr:
            eval(*stmt.expr);
            return Flow::kNormal;
        case Stmt::Kind::kDecl:
            declare(stmt);
            return Flow::kNormal;
        case Stmt::Kind::kBlock:
            return execBlock(stmt.body);
        case Stmt::Kind::kIf:
            if (eval(*stmt.cond).asBool()) return exec(*stmt.first);
            return stmt.second ? exec(*stmt.second) : Flow::kNormal;
        case Stmt::Kind::kWhile:
            while (eval(*stmt.cond).asBool()) {
                bool stop = false;
                Flow flow = execLoopBody(*stmt.first, stop);
                if (stop) return flow;
                countStep(stmt.line);
            }
            return Flow::kNormal;
        case Stmt::Kind::kDoWhile:
            do {
                bool stop = false;
                Flow flow = execLoopBody(*stmt.first, stop);
                if (stop) return flow;
                countStep(stmt.line);
            } while (eval(*stmt.cond).asBool());
            return Flow::kNormal;
        case Stmt::Kind::kFor: {
            for (const auto& e : stmt.init) eval(*e);
            while (!stmt.cond || eval(*stmt.cond).asBool()) {
                bool stop = false;
                Flow flow = execLoopBody(*stmt.first, stop);
                if (stop) return flow;
                for (const auto& e : stmt.step) eval(*e);
                countStep(stmt.line);
            }
            return Flow::kNormal;
        }
        case Stmt::Kind::kForIn: {
            Value array = eval(*stmt.expr);
            if (!array.isArray())
                fail("for-in needs an array but got " + std::string(valueTypeName(array)),
                     stmt.line);
            Expr target;
            target.kind = Expr::Kind::kVariable;
            target.line = stmt.line;
            target.name = stmt.name;
            if (!lookup(stmt.name)) {
                auto var = std::make_shared<Variable>();
                var->type = elementType(typeOfValue(array));
                frames_.back().scopes.back()->emplace(stmt.name, var);
            }
            for (std::size_t i = 0; i < array.length(); ++i) {
                store(target, array.element(i));
                bool stop = false;
                Flow flow = execLoopBody(*stmt.first, stop);
                if (stop) return flow;
                countStep(stmt.line);
            }
            return Flow::kNormal;
        }
        case Stmt::Kind::kBreak:
            return Flow::kBreak;
        case Stmt::Kind::kContinue:
            return Flow::kContinue;
        case Stmt::Kind::kReturn:
            returnValue_ = stmt.expr ? eval(*stmt.expr) : Value();
            return Flow::kReturn;
    }
    return Flow::kNormal;
}

void Interpreter::declare(const Stmt& stmt) {
    Scope& scope = *frames_.back().scopes.back();
    for (const auto& d : stmt.declarators) {
        VarType type = d.isArray ? arrayTypeOf(stmt.declType) : stmt.declType;
        Value initial = defaultValue(type);
        if (d.size) {
            std::size_t n = checkedIndex(eval(*d.size), d.line);
            initial = n == 0 ? initial : setElement(initial, n - 1, defaultValue(stmt.declType));
        }
        if (d.init) initial = convert(type, eval(*d.init), d.line);

        VariablePtr var;
        if (stmt.isGlobal) {
            auto it = globals_.find(d.name);
            if (it != globals_.end()) {
                if (it->second->type != type)
                    fail("Invalid redeclaration of variable \"$" + d.name +
                             "\" as a different type.",
                         d.line);
                var = it->second;
                if (d.init || d.size) var->value = initial;
            } else {
                var = std::make_shared<Variable>(Variable{type, initial});
                globals_[d.name] = var;
            }
            scope[d.name] = var;
            continue;
        }
        auto it = scope.find(d.name);
        if (it != scope.end()) {
            if (it->second->type != type)
                fail("Invalid redeclaration of variable \"$" + d.name + "\" as a different type.",
                     d.line);
            it->second->value = initial;
            continue;
        }
        scope[d.name] = std::make_shared<Variable>(Variable{type, initial});
    }
}

Value Interpreter::defaultValue(VarType type) const {
    switch (type) {
        case VarType::kInt:
            return Value(0);
        case VarType::kFloat:
            return Value(0.0);
        case VarType::kString:
            return Value(std::string());
        case VarType::kIntArray:
            return Value(std::vector<int>());
        case VarType::kFloatArray:
            return Value(std::vector<double>());
        case VarType::kStringArray:
            return Value(std::vector<std::string>());
    }
    return Value();
}

Value Interpreter::convert(VarType type, const Value& value, int line) const {
    if (value.isArray() && !isArrayType(type))
        fail(std::string("Cannot convert data of type ") + valueTypeName(value) + " to type " +
                 varTypeName(type) + ".",
             line);
    switch (type) {
        case VarType::kInt:
            return Value(value.asInt());
        case VarType::kFloat:
            return Value(value.asDouble());
        case VarType::kString:
            return Value(value.asString());
        case VarType::kIntArray:
            return Value(value.asIntArray());
        case VarType::kFloatArray:
            return Value(value.asDoubleArray());
        case VarType::kStringArray:
            return Value(value.asStringArray());
    }
    return value;
}

Interpreter::VariablePtr Interpreter::lookup(const std::string& name) const {
    if (frames_.empty()) return nullptr;
    const auto& scopes = frames_.back().scopes;
    for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
        auto found = (*it)->find(name);
        if (found != (*it)->end()) return found->second;
    }
    return nullptr;
}

Interpreter::VariablePtr Interpreter::lookupOrFail(const std::string& name, int line) const {
    VariablePtr var = lookup(name);
    if (!var) fail("\"$" + name + "\" is an undeclared variable.", line);
    return var;
}

std::size_t Interpreter::checkedIndex(const Value& index, int line) const {
    if (index.isArray()) fail("an array index must be a number, not an array", line);
    double d = index.asDouble();
    if (!(d >= 0)) fail("array index " + index.asString() + " is negative", line);
    if (d >= static_cast<double>(kMaxArrayLength))
        fail("array index " + index.asString() + " is too large", line);
    return static_cast<std::size_t>(d);
}

// A variable or an array element, with its index evaluated once so that
// "$a[$i++] += 1" steps $i once.
Interpreter::Slot Interpreter::resolveSlot(const Expr& target) {
    Slot slot{&target, !target.operands.empty(), 0};
    if (slot.indexed) slot.index = checkedIndex(eval(*target.operands[0]), target.line);
    return slot;
}

Value Interpreter::readSlot(const Slot& slot) {
    const Expr& expr = *slot.target;
    VariablePtr var = lookupOrFail(expr.name, expr.line);
    if (!slot.indexed) return var->value;
    if (!isArrayType(var->type)) fail("\"$" + expr.name + "\" is not an array", expr.line);
    // Reading past the end gives the element type's default, as in MEL.
    if (slot.index >= var->value.length()) return defaultValue(elementType(var->type));
    return var->value.element(slot.index);
}

void Interpreter::storeSlot(const Slot& slot, const Value& value) {
    const Expr& target = *slot.target;
    VariablePtr var = lookup(target.name);
    if (slot.indexed) {
        if (!var) var = lookupOrFail(target.name, target.line);
        if (!isArrayType(var->type)) fail("\"$" + target.name + "\" is not an array", target.line);
        Value element = convert(elementType(var->type), value, target.line);
        var->value = setElement(var->value, slot.index, element);
        return;
    }
    if (!var) {
        // First assignment declares the variable with the value's type.
        var = std::make_shared<Variable>(Variable{typeOfValue(value), Value()});
        frames_.back().scopes.back()->emplace(target.name, var);
    }
    var->value = convert(var->type, value, target.line);
}

Value Interpreter::readVariable(const Expr& expr) {
    return readSlot(resolveSlot(expr));
}

void Interpreter::store(const Expr& target, const Value& value) {
    storeSlot(resolveSlot(target), value);
}

Value Interpreter::eval(const Expr& expr) {
    switch (expr.kind) {
        case Expr::Kind::kLiteral:
            return expr.literal;
        case Expr::Kind::kVariable:
            return readVariable(expr);
        case Expr::Kind::kArrayLiteral: {
            std::vector<Value> items;
            bool anyString = false, anyFloat = false;
            for (const auto& e : expr.operands) {
                items.push_back(eval(*e));
                if (items.back().isArray()) fail("an array cannot hold arrays", e->line);
                anyString = anyString || items.back().isString();
                anyFloat = anyFloat || items.back().type() == VType::kDouble;
            }
            if (anyString) {
                std::vector<std::string> out;
                for (const auto& v : items) out.push_back(v.asString());
                return Value(std::move(out));
            }
            if (anyFloat) {
                std::vector<double> out;
                for (const auto& v : items) out.push_back(v.asDouble());
                return Value(std::move(out));
            }
            std::vector<int> out;
            for (const auto& v : items) out.push_back(v.asInt());
            return Value(std::move(out));
        }
        case Expr::Kind::kUnary:
            return evalUnary(expr);
        case Expr::Kind::kBinary:
            return evalBinaryChain(expr);
        case Expr::Kind::kTernary: {
            // The else branches of "a ? b : c ? d : e" are followed in a loop.
            const Expr* e = &expr;
            while (e->kind == Expr::Kind::kTernary)
                e = eval(*e->operands[0]).asBool() ? e->operands[1].get() : e->operands[2].get();
            return eval(*e);
        }
        case Expr::Kind::kAssign:
            return evalAssign(expr);
        case Expr::Kind::kIncDec:
            return evalIncDec(expr);
        case Expr::Kind::kCall:
            return evalCall(expr);
        case Expr::Kind::kCommand:
            return evalCommand(expr);
    }
    return Value();
}

Value Interpreter::evalUnary(const Expr& expr) {
    Value v = eval(*expr.operands[0]);
    if (expr.op == "!") {
        if (v.isArray()) fail("'!' cannot be applied to an array", expr.line);
        return Value(v.asBool() ? 0 : 1);
    }
    if (!v.isNumber())
        fail(std::string("'") + expr.op + "' cannot be applied to " + valueTypeName(v), expr.line);
    if (expr.op == "+") return v;
    if (v.type() == VType::kInt) return Value(wrap(-static_cast<long long>(v.asInt())));
    return Value(-v.asDouble());
}

// "1 + 2 + 3 ..." parses into a tree that leans left as deep as the chain is
// long. It is evaluated from its innermost left operand up, in a loop; only
// the right operands (one precedence level tighter, or bracketed and so
// bounded by the parser's nesting limit) are evaluated recursively.
Value Interpreter::evalBinaryChain(const Expr& top) {
    std::vector<const Expr*> spine;
    const Expr* e = &top;
    for (; e->kind == Expr::Kind::kBinary; e = e->operands[0].get()) spine.push_back(e);
    Value acc = eval(*e);
    // While a run of string '+' lasts, the value so far lives in `text` and
    // grows in place, which keeps a chain of many string terms linear.
    std::string text;
    bool inText = false;
    for (auto it = spine.rbegin(); it != spine.rend(); ++it) {
        const Expr& node = **it;
        if (node.op == "&&" || node.op == "||") {
            if (inText) acc = Value(std::move(text));
            inText = false;
            bool left = acc.asBool();
            bool decided = node.op == "&&" ? !left : left;
            acc = Value(decided ? (left ? 1 : 0) : (eval(*node.operands[1]).asBool() ? 1 : 0));
            continue;
        }
        Value b = eval(*node.operands[1]);
        if (node.op == "+" && (inText || acc.isString()) && !b.isArray() && !b.isNone()) {
            if (!inText) text = acc.asString();
            inText = true;
            std::string tail = b.asString();
            checkStringLength(text.size(), tail.size(), node.line);
            text += tail;
            continue;
        }
        if (inText) acc = Value(std::move(text));
        inText = false;
        acc = evalBinary(node.op, acc, b, node.line);
    }
    if (inText) acc = Value(std::move(text));
    return acc;
}

void Interpreter::checkStringLength(std::size_t a, std::size_t b, int line) const {
    if (a > kMaxStringLength || b > kMaxStringLength - a)
        fail("string too long: joining " + std::to_string(a) + " and " + std::to_string(b) +
                 " characters exceeds the limit of " + std::to_string(kMaxStringLength),
             line);
}

Value Interpreter::evalBinary(const std::string& op, const Value& a, const Value& b, int line) {
    if (a.isArray() || b.isArray()) fail("'" + op + "' cannot be applied to an array", line);
    if (a.isNone() || b.isNone())
        fail("'" + op + "' needs a value on both sides (a command returned nothing)", line);
    bool strings = a.isString() || b.isString();
    if (op == "==" || op == "!=" || op == "<" || op == ">" || op == "<=" || op == ">=") {
        int cmp;
        if (strings) {
            int c = a.asString().compare(b.asString());
            cmp = c < 0 ? -1 : (c > 0 ? 1 : 0);
        } else {
            double x = a.asDouble(), y = b.asDouble();
            if (std::isnan(x) || std::isnan(y)) return Value(op == "!=" ? 1 : 0);
            cmp = x < y ? -1 : (x > y ? 1 : 0);
        }
        bool r = op == "=="   ? cmp == 0
                 : op == "!=" ? cmp != 0
                 : op == "<"  ? cmp < 0
                 : op == ">"  ? cmp > 0
                 : op == "<=" ? cmp <= 0
                              : cmp >= 0;
        return Value(r ? 1 : 0);
    }
    if (strings) {
        if (op == "+") {
            std::string text = a.asString();
            std::string tail = b.asString();
            checkStringLength(text.size(), tail.size(), line);
            return Value(text + tail);
        }
        fail("'" + op + "' cannot be applied to a string", line);
    }
    if (a.type() == VType::kInt && b.type() == VType::kInt) {
        long long x = a.asInt(), y = b.asInt();
        if (op == "+") return Value(wrap(x + y));
        if (op == "-") return Value(wrap(x - y));
        if (op == "*") return Value(wrap(x * y));
        if (y == 0) fail("Division by zero", line);
        if (op == "/") return Value(wrap(x / y));
        if (op == "%") return Value(wrap(x % y));
    } else {
        double x = a.asDouble(), y = b.asDouble();
        if (op == "+") return Value(x + y);
        if (op == "-") return Value(x - y);
        if (op == "*") return Value(x * y);
        if (y == 0.0) fail("Division by zero", line);
        if (op == "/") return Value(x / y);
        if (op == "%") return Value(std::fmod(x, y));
    }
    fail("unknown operator '" + op + "'", line);
}

Value Interpreter::evalAssign(const Expr& expr) {
    Slot slot = resolveSlot(*expr.operands[0]);
    Value value = eval(*expr.operands[1]);
    if (expr.op != "=") {
        Value current = readSlot(slot);
        value = evalBinary(expr.op.substr(0, 1), current, value, expr.line);
    }
    storeSlot(slot, value);
    return readSlot(slot);
}

Value Interpreter::evalIncDec(const Expr& expr) {
    Slot slot = resolveSlot(*expr.operands[0]);
    Value before = readSlot(slot);
    if (!before.isNumber()) fail("'" + expr.op + "' needs a number variable", expr.line);
    Value after = evalBinary("+", before, Value(expr.delta), expr.line);
    storeSlot(slot, after);
    return expr.prefix ? readSlot(slot) : before;
}

Value Interpreter::evalCall(const Expr& expr) {
    if (expr.name == "catch" || expr.name == "catchQuiet") {
        // catch(expression): 1 when evaluating it failed, 0 otherwise. The
        // error is still shown by catch, not by catchQuiet.
        if (expr.operands.size() != 1) fail(expr.name + " takes one argument", expr.line);
        try {
            eval(*expr.operands[0]);
        } catch (const Error& e) {
            if (e.fatal) throw;
            if (expr.name == "catch") reportError(e);
            return Value(1);
        }
        return Value(0);
    }
    std::vector<Value> values;
    for (const auto& e : expr.operands) values.push_back(eval(*e));
    Value result;
    if (callNative(expr.name, values, expr.line, result)) return result;
    auto proc = procs_.find(expr.name);
    if (proc != procs_.end()) {
        std::shared_ptr<ProcDef> keep =
            proc->second;  // a redefinition must not free a running body
        return callProc(*keep, values, expr.line);
    }
    std::vector<bool> flags;
    for (const auto& v : values) flags.push_back(looksLikeFlag(v));
    return callRegistry(expr.name, values, flags, expr.line);
}

Value Interpreter::evalCommand(const Expr& expr) {
    std::vector<Value> values;
    std::vector<bool> flags;
    for (const auto& word : expr.words) {
        if (word.isFlag()) {
            values.emplace_back("-" + word.flag);
            flags.push_back(true);
        } else {
            values.push_back(eval(*word.value));
            flags.push_back(false);
        }
    }
    Value result;
    if (callNative(expr.name, values, expr.line, result)) return result;
    auto proc = procs_.find(expr.name);
    if (proc != procs_.end()) {
        std::shared_ptr<ProcDef> keep = proc->second;
        return callProc(*keep, values, expr.line);
    }
    return callRegistry(expr.name, values, flags, expr.line);
}

Value Interpreter::callProc(const ProcDef& proc, const std::vector<Value>& args, int line) {
    if (args.size() != proc.params.size())
        fail("Wrong number of arguments on call to " + proc.name + ".", line);
    DepthGuard depth(*this, line);
    Frame frame{{std::make_shared<Scope>()}, proc.file};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Param& p = proc.params[i];
        if (isArrayType(p.type) != args[i].isArray())
            fail(std::string("argument ") + std::to_string(i + 1) + " of " + proc.name +
                     " must be of type " + varTypeName(p.type) + ", not " + valueTypeName(args[i]),
                 line);
        (*frame.scopes[0])[p.name] =
            std::make_shared<Variable>(Variable{p.type, convert(p.type, args[i], line)});
    }
    FrameGuard guard(*this, std::move(frame), true);
    returnValue_ = Value();
    Flow flow = exec(*proc.body);
    Value result = flow == Flow::kReturn ? returnValue_ : Value();
    returnValue_ = Value();
    if (!proc.returnsValue) {
        if (!result.isNone()) fail("procedure " + proc.name + " does not return a value", line);
        return Value();
    }
    return convert(proc.returnType, result.isNone() ? defaultValue(proc.returnType) : result, line);
}

Value Interpreter::callRegistry(const std::string& name, const std::vector<Value>& values,
                                const std::vector<bool>& flags, int line) {
    std::vector<commands::CallArgument> args;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // An array argument stands for its elements, as when a command gets
        // a list of objects.
        if (values[i].isArray()) {
            for (std::size_t k = 0; k < values[i].length(); ++k)
                args.push_back({values[i].element(k), false});
        } else {
            args.push_back({values[i], flags[i]});
        }
    }
    DepthGuard depth(*this, line);
    try {
        return commands::runCommand(name, args);
    } catch (const commands::UnknownCommand&) {
        fail("Cannot find procedure \"" + name + "\".", line);
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        fail(e.what(), line);
    }
}

std::string Interpreter::resolveScript(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 || path.empty() || path[0] == '/') return path;
    // Relative to the directory of the file that sources it.
    const std::string& current = currentFile();
    std::size_t slash = current.rfind('/');
    if (slash == std::string::npos) return path;
    std::string candidate = current.substr(0, slash + 1) + path;
    return ::stat(candidate.c_str(), &info) == 0 ? candidate : path;
}

bool Interpreter::callNative(const std::string& name, const std::vector<Value>& args, int line,
                             Value& result) {
    static const std::map<std::string, Native> kTable = {
        {"print", &Interpreter::nativePrint},      {"source", &Interpreter::nativeSource},
        {"eval", &Interpreter::nativeEval},        {"error", &Interpreter::nativeError},
        {"warning", &Interpreter::nativeWarning},  {"size", &Interpreter::nativeSize},
        {"strcmp", &Interpreter::nativeStrcmp},    {"substring", &Interpreter::nativeSubstring},
        {"exists", &Interpreter::nativeExists},    {"getenv", &Interpreter::nativeGetenv},
        {"filetest", &Interpreter::nativeFiletest}};
    auto it = kTable.find(name);
    if (it != kTable.end()) {
        result = (this->*(it->second))(args, line);
        return true;
    }
    if (name == "tolower" || name == "toupper") {
        result = nativeCase(args, line, name == "toupper");
        return true;
    }
    static const char* const kMath[] = {"abs", "floor", "ceil", "sqrt", "pow", "min", "max"};
    for (const char* m : kMath) {
        if (name == m) {
            result = nativeMath(name, args, line);
            return true;
        }
    }
    return false;
}

namespace {

void expectArgs(const std::string& name, const std::vector<Value>& args, std::size_t n,
                const std::function<void(const std::string&)>& fail) {
    if (args.size() != n)
        fail(name + " takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s") + ", not " +
             std::to_string(args.size()));
}

}  // namespace

#define ZT_EXPECT_ARGS(name, n) \
    expectArgs(name, args, n, [&](const std::string& m) { fail(m, line); })

Value Interpreter::nativePrint(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("print", 1);
    const Value& v = args[0];
    if (v.isArray()) {
        for (std::size_t i = 0; i < v.length(); ++i) *out_ << v.element(i).asString() << '\n';
    } else {
        *out_ << v.asString();
    }
    out_->flush();
    return Value();
}

Value Interpreter::nativeSource(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("source", 1);
    std::string path = resolveScript(args[0].asString());
    struct stat info {};
    const bool regular = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    std::ifstream in;
    if (regular) in.open(path, std::ios::binary);
    if (!regular || !in)
        fail("Cannot find file \"" + args[0].asString() + "\" for source statement.", line);
    std::ostringstream text;
    text << in.rdbuf();
    DepthGuard depth(*this, line);
    Program program;
    try {
        program = parseProgram(text.str(), path);
    } catch (const ParseError& e) {
        throw Error("Syntax error: " + std::string(e.what()), e.line(), path);
    }
    // A sourced file runs at top level, whatever called it.
    FrameGuard frame(*this, Frame{{topScope_}, path}, false);
    runProgram(program, nullptr, false);
    return Value();
}

Value Interpreter::nativeEval(const std::vector<Value>& args, int line) {
    std::string text;
    for (const auto& a : args) text += (text.empty() ? "" : " ") + a.toDisplayString();
    DepthGuard depth(*this, line);
    Program program;
    try {
        // Errors in the text name the line of the eval that runs it.
        program = parseProgram(text, currentFile(), line);
    } catch (const ParseError& e) {
        throw Error("Syntax error in eval: " + std::string(e.what()), e.line(), currentFile());
    }
    Value result;
    runProgram(program, &result, false);
    return result;
}

Value Interpreter::nativeError(const std::vector<Value>& args, int line) {
    std::string message;
    for (const auto& a : args) message += a.toDisplayString();
    fail(message, line);
}

Value Interpreter::nativeWarning(const std::vector<Value>& args, int line) {
    std::string message;
    for (const auto& a : args) message += a.toDisplayString();
    post(false, place(currentFile(), line) + message);
    return Value();
}

Value Interpreter::nativeSize(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("size", 1);
    if (args[0].isArray()) return Value(static_cast<int>(args[0].length()));
    return Value(static_cast<int>(args[0].asString().size()));
}

Value Interpreter::nativeMath(const std::string& name, const std::vector<Value>& args, int line) {
    bool two = name == "pow" || name == "min" || name == "max";
    ZT_EXPECT_ARGS(name, two ? 2u : 1u);
    for (const auto& a : args)
        if (!a.isNumber()) fail(name + " needs numbers, not " + valueTypeName(a), line);
    bool ints = std::all_of(args.begin(), args.end(),
                            [](const Value& v) { return v.type() == VType::kInt; });
    double x = args[0].asDouble();
    if (name == "abs") return ints ? Value(wrap(std::llabs(args[0].asInt()))) : Value(std::fabs(x));
    if (name == "floor") return Value(std::floor(x));
    if (name == "ceil") return Value(std::ceil(x));
    if (name == "sqrt") {
        if (x < 0) fail("sqrt of a negative number", line);
        return Value(std::sqrt(x));
    }
    double y = args[1].asDouble();
    if (name == "pow") return Value(std::pow(x, y));
    if (name == "min")
        return ints ? Value(std::min(args[0].asInt(), args[1].asInt())) : Value(std::min(x, y));
    return ints ? Value(std::max(args[0].asInt(), args[1].asInt())) : Value(std::max(x, y));
}

Value Interpreter::nativeStrcmp(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("strcmp", 2);
    int c = args[0].asString().compare(args[1].asString());
    return Value(c < 0 ? -1 : (c > 0 ? 1 : 0));
}

// substring(s, start, end): 1-based, both ends included, as in MEL.
Value Interpreter::nativeSubstring(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("substring", 3);
    std::string s = args[0].asString();
    long long start = args[1].asInt(), end = args[2].asInt();
    if (start < 1 || end < start || static_cast<std::size_t>(start) > s.size())
        return Value(std::string());
    std::size_t last = std::min<std::size_t>(static_cast<std::size_t>(end), s.size());
    return Value(s.substr(static_cast<std::size_t>(start - 1), last - (start - 1)));
}

Value Interpreter::nativeCase(const std::vector<Value>& args, int line, bool upper) {
    ZT_EXPECT_ARGS(upper ? "toupper" : "tolower", 1);
    std::string s = args[0].asString();
    for (char& c : s)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return Value(s);
}

Value Interpreter::nativeExists(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("exists", 1);
    return Value(callableExists(args[0].asString()) ? 1 : 0);
}

Value Interpreter::nativeGetenv(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("getenv", 1);
    const char* v = std::getenv(args[0].asString().c_str());
    return Value(std::string(v ? v : ""));
}

// filetest -f|-d|-e|-s|-r path
Value Interpreter::nativeFiletest(const std::vector<Value>& args, int line) {
    ZT_EXPECT_ARGS("filetest", 2);
    std::string test = args[0].asString();
    std::string path = args[1].asString();
    struct stat info {};
    bool exists = ::stat(path.c_str(), &info) == 0;
    if (test == "-e") return Value(exists ? 1 : 0);
    if (test == "-f") return Value(exists && S_ISREG(info.st_mode) ? 1 : 0);
    if (test == "-d") return Value(exists && S_ISDIR(info.st_mode) ? 1 : 0);
    if (test == "-s") return Value(exists && info.st_size > 0 ? 1 : 0);
    if (test == "-r") return Value(::access(path.c_str(), R_OK) == 0 ? 1 : 0);
    fail("filetest: unknown test '" + test + "' (use -e, -f, -d, -s or -r)", line);
}

}  // namespace zt::mel
