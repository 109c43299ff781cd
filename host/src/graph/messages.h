#pragma once
// Messages for the user (MGlobal::displayInfo/Warning/Error) and the
// interrupt flag of MComputation. Tests capture messages with MessageCapture.

#include <string>
#include <vector>

namespace zt::host {

enum class MessageKind { kInfo, kWarning, kError };

struct Message {
    MessageKind kind;
    std::string text;  // as given, without the "// Error: " prefix
};

// While alive, records every message; with `echo` false the messages are not
// printed. Captures nest: the innermost one records.
class MessageCapture {
public:
    explicit MessageCapture(bool echo = false);
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::vector<Message>& messages() const { return messages_; }
    std::vector<std::string> texts(MessageKind kind) const;
    bool contains(MessageKind kind, const std::string& fragment) const;
    void clear() { messages_.clear(); }

private:
    friend void postMessage(MessageKind kind, const std::string& text);
    bool echo_;
    std::vector<Message> messages_;
    MessageCapture* outer_;
};

// Prints (and records) one message: info to stdout, warnings and errors to
// stderr with their "// Warning: " / "// Error: " prefixes, flushed.
void postMessage(MessageKind kind, const std::string& text);

// Asks the running computation to stop (the batch program's SIGINT handler
// calls this; it only sets a flag). MComputation::beginComputation clears it.
void requestInterrupt();
bool interruptRequested();
void clearInterrupt();

}  // namespace zt::host
