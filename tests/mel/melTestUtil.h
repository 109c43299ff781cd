#pragma once
// Runs script text in a fresh interpreter and keeps what it printed.

#include <gtest/gtest.h>

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

    // Runs text that must succeed.
    RunResult ok(const std::string& text, const std::string& file = "", bool echo = false) {
        RunResult r = run(text, file, echo);
        EXPECT_TRUE(r.ok) << text << "\n" << r.err;
        return r;
    }

    // Runs text that must fail with `fragment` somewhere in its error output.
    RunResult fails(const std::string& text, const std::string& fragment = "",
                    const std::string& file = "") {
        RunResult r = run(text, file);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_NE(r.err.find(fragment), std::string::npos) << text << "\n" << r.err;
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

// How often `part` occurs in `text`.
inline std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
}

}  // namespace zt::mel::test
