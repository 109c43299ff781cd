#pragma once
// Runs script text in a fresh interpreter and keeps what it printed.

#include <sstream>
#include <string>

#include "host/src/commands/value.h"
#include "host/src/mel/interpreter.h"

namespace zt::mel::test {

struct RunResult {
    bool ok = false;
    std::string out;
    std::string err;
    commands::Value result;
};

class Session {
public:
    Session() { interp.setStreams(&out_, &err_); }

    RunResult run(const std::string& text, const std::string& file = "", bool echo = false) {
        out_.str("");
        err_.str("");
        RunResult r;
        r.ok = interp.run(text, file, &r.result, echo);
        r.out = out_.str();
        r.err = err_.str();
        return r;
    }

    // The value of a top-level variable; kNone when it does not exist.
    commands::Value var(const std::string& name) const {
        commands::Value v;
        interp.variable(name, v);
        return v;
    }

    Interpreter interp;

private:
    std::ostringstream out_;
    std::ostringstream err_;
};

}  // namespace zt::mel::test
