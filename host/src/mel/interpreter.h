#pragma once
// Tree-walking interpreter of the command language. Variables are typed as
// in MEL (int, float, string and arrays of them); a variable first assigned
// without a declaration takes the type of its value. Commands are looked up
// in this order: the language's own functions (print, source, eval, size,
// ...), procedures defined by scripts, then the command registry.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../commands/value.h"
#include "ast.h"

namespace zt::mel {

class Interpreter {
public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Where print and "// Result:" lines go (standard output by default)
    // and where errors and warnings go (standard error by default).
    void setStreams(std::ostream* out, std::ostream* err);
    // Where errors and warnings go instead of the error stream (the host's
    // message channel). The text comes without the "// Error: " prefix.
    using MessageSink = std::function<void(bool isError, const std::string& text)>;
    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    // Asked before every statement; when it answers true the running text
    // stops with an "Interrupted" error.
    void setInterruptCheck(std::function<bool()> check);
    // Statements one run may execute before it is stopped (0: no limit).
    // Lets tests feed arbitrary text without risking an endless loop.
    void setStepLimit(std::size_t steps) { stepLimit_ = steps; }

    // Parses and runs a text in the top-level scope (its variables persist
    // between runs). Returns false after printing the first error. `result`
    // gets the value of the last statement that produced one. With `echo`,
    // the result of every top-level command is printed as
    // "// Result: value //".
    bool run(const std::string& text, const std::string& file = "",
             commands::Value* result = nullptr, bool echo = false);
    bool runFile(const std::string& path, bool echo = false);

    // A top-level or global variable's value; false when there is none.
    bool variable(const std::string& name, commands::Value& out) const;
    bool procExists(const std::string& name) const { return procs_.count(name) != 0; }
    // Everything a statement could call by this name.
    bool callableExists(const std::string& name) const;

    // Thrown through evaluation; run() prints it once, with its place.
    struct Error : std::runtime_error {
        Error(const std::string& message, int l, std::string f, bool isFatal = false)
            : std::runtime_error(message), line(l), file(std::move(f)), fatal(isFatal) {}
        int line;
        std::string file;
        bool fatal;  // not caught by catch(): interrupts and exhausted limits
    };

private:
    struct Variable {
        VarType type;
        commands::Value value;
    };
    using VariablePtr = std::shared_ptr<Variable>;
    using Scope = std::map<std::string, VariablePtr>;
    struct Frame {
        std::vector<std::shared_ptr<Scope>> scopes;
        std::string file;
    };
    enum class Flow { kNormal, kBreak, kContinue, kReturn };
    using Native = commands::Value (Interpreter::*)(const std::vector<commands::Value>&, int);

    class ScopeGuard;
    class FrameGuard;
    class DepthGuard;

    void runProgram(const Program& program, commands::Value* result, bool echo);
    void defineProcs(const Program& program);
    Flow exec(const Stmt& stmt);
    Flow execBlock(const std::vector<StmtPtr>& body);
    Flow execLoopBody(const Stmt& body, bool& stop);
    void declare(const Stmt& stmt);

    commands::Value eval(const Expr& expr);
    commands::Value evalBinaryChain(const Expr& top);
    void checkStringLength(std::size_t a, std::size_t b, int line) const;
    commands::Value evalBinary(const std::string& op, const commands::Value& a,
                               const commands::Value& b, int line);
    commands::Value evalUnary(const Expr& expr);
    commands::Value evalAssign(const Expr& expr);
    commands::Value evalIncDec(const Expr& expr);
    commands::Value evalCall(const Expr& expr);
    commands::Value evalCommand(const Expr& expr);
    commands::Value callProc(const ProcDef& proc, const std::vector<commands::Value>& args,
                             int line);
    commands::Value callRegistry(const std::string& name,
                                 const std::vector<commands::Value>& values,
                                 const std::vector<bool>& flags, int line);

    VariablePtr lookup(const std::string& name) const;
    VariablePtr lookupOrFail(const std::string& name, int line) const;
    struct Slot {
        const Expr* target;
        bool indexed;
        std::size_t index;
    };
    Slot resolveSlot(const Expr& target);
    commands::Value readSlot(const Slot& slot);
    void storeSlot(const Slot& slot, const commands::Value& value);
    commands::Value readVariable(const Expr& expr);
    void store(const Expr& target, const commands::Value& value);
    std::size_t checkedIndex(const commands::Value& index, int line) const;
    commands::Value convert(VarType type, const commands::Value& value, int line) const;
    commands::Value defaultValue(VarType type) const;

    [[noreturn]] void fail(const std::string& message, int line, bool fatal = false) const;
    void reportError(const Error& error);
    void post(bool isError, const std::string& text);
    void countStep(int line);
    const std::string& currentFile() const;
    std::string resolveScript(const std::string& path) const;

    // Language functions.
    commands::Value nativePrint(const std::vector<commands::Value>& args, int line);
    commands::Value nativeSource(const std::vector<commands::Value>& args, int line);
    commands::Value nativeEval(const std::vector<commands::Value>& args, int line);
    commands::Value nativeError(const std::vector<commands::Value>& args, int line);
    commands::Value nativeWarning(const std::vector<commands::Value>& args, int line);
    commands::Value nativeSize(const std::vector<commands::Value>& args, int line);
    commands::Value nativeMath(const std::string& name, const std::vector<commands::Value>& args,
                               int line);
    commands::Value nativeStrcmp(const std::vector<commands::Value>& args, int line);
    commands::Value nativeSubstring(const std::vector<commands::Value>& args, int line);
    commands::Value nativeCase(const std::vector<commands::Value>& args, int line, bool upper);
    commands::Value nativeExists(const std::vector<commands::Value>& args, int line);
    commands::Value nativeGetenv(const std::vector<commands::Value>& args, int line);
    commands::Value nativeFiletest(const std::vector<commands::Value>& args, int line);
    bool callNative(const std::string& name, const std::vector<commands::Value>& args, int line,
                    commands::Value& result);

    std::ostream* out_;
    std::ostream* err_;
    std::function<bool()> interruptCheck_;
    MessageSink sink_;
    std::size_t stepLimit_ = 0;
    std::size_t steps_ = 0;
    int callDepth_ = 0;

    std::shared_ptr<Scope> topScope_;
    Scope globals_;
    std::vector<Frame> frames_;
    std::map<std::string, std::shared_ptr<ProcDef>> procs_;
    commands::Value returnValue_;
    bool inProc_ = false;
    int runDepth_ = 0;
};

}  // namespace zt::mel
