#pragma once
// Entry points of the MEL-syntax interpreter for the rest of the host.
// There is one interpreter per process (global variables live as long as the
// scene session); MGlobal::executeCommand and ztbatch both run through it.

#include <string>

#include "../commands/value.h"

namespace zt::mel {

// Runs MEL text (any number of statements) in the global scope, as
// MGlobal::executeCommand does. Errors are printed to standard error in the
// host's "// Error: ..." form and stop the text at the failing statement.
// `result` (optional) receives the value of the last statement that produced
// one (a command's result or an expression statement's value).
// `echo` prints each statement's result to standard output, as the batch
// program does for queries typed on its command line.
// Returns false when anything failed (syntax, unknown command, command error).
bool executeText(const std::string& text, commands::Value* result = nullptr, bool echo = false,
                 const std::string& sourceName = "");

// Runs a script file (the `source` command). A missing or unreadable file is
// an error. Relative paths are looked up from the working directory.
bool executeFile(const std::string& path, bool echo = false);

}  // namespace zt::mel
