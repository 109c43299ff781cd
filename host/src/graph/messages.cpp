#include "graph/messages.h"

#include <atomic>
#include <cstdio>
#include <iostream>

namespace zt::host {

namespace {

MessageCapture*& innermostCapture() {
    static MessageCapture* capture = nullptr;
    return capture;
}

// Set from a signal handler: a lock-free atomic is safe there.
std::atomic<bool>& interruptFlag() {
    static std::atomic<bool> flag{false};
    return flag;
}

}  // namespace

MessageCapture::MessageCapture(bool echo) : echo_(echo), outer_(innermostCapture()) {
    innermostCapture() = this;
}

MessageCapture::~MessageCapture() {
    innermostCapture() = outer_;
}

std::vector<std::string> MessageCapture::texts(MessageKind kind) const {
    std::vector<std::string> result;
    for (const Message& m : messages_) {
        if (m.kind == kind) result.push_back(m.text);
    }
    return result;
}

bool MessageCapture::contains(MessageKind kind, const std::string& fragment) const {
    for (const Message& m : messages_) {
        if (m.kind == kind && m.text.find(fragment) != std::string::npos) return true;
    }
    return false;
}

void postMessage(MessageKind kind, const std::string& text) {
    MessageCapture* capture = innermostCapture();
    if (capture) {
        capture->messages_.push_back(Message{kind, text});
        if (!capture->echo_) return;
    }
    switch (kind) {
        case MessageKind::kInfo:
            std::cout << text << std::endl;
            break;
        case MessageKind::kWarning:
            std::cerr << "// Warning: " << text << std::endl;
            break;
        case MessageKind::kError:
            std::cerr << "// Error: " << text << std::endl;
            break;
    }
}

void requestInterrupt() {
    interruptFlag().store(true);
}
bool interruptRequested() {
    return interruptFlag().load();
}
void clearInterrupt() {
    interruptFlag().store(false);
}

}  // namespace zt::host
