#include "mel/engine.h"

#include "graph/messages.h"
#include "mel/interpreter.h"

namespace zt::mel {

namespace {

// The process's one interpreter: global variables and procedures live as
// long as the session, as in the host application. Its messages go through
// the host's message channel so that they read like every other message
// and can be captured; a Ctrl-C stops a running script between statements.
Interpreter& interpreter() {
    static Interpreter instance;
    static bool configured = false;
    if (!configured) {
        configured = true;
        instance.setMessageSink([](bool isError, const std::string& text) {
            host::postMessage(isError ? host::MessageKind::kError : host::MessageKind::kWarning,
                              text);
        });
        instance.setInterruptCheck([] { return host::interruptRequested(); });
    }
    return instance;
}

}  // namespace

bool executeText(const std::string& text, commands::Value* result, bool echo,
                 const std::string& sourceName) {
    return interpreter().run(text, sourceName, result, echo);
}

bool executeFile(const std::string& path, bool echo) {
    return interpreter().runFile(path, echo);
}

}  // namespace zt::mel
