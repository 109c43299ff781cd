// Generated and mutated condition texts, from a fixed seed: every text is
// either read into consistent comparison lists or refused with a message,
// and nothing crashes (the sanitizer build runs this too).

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "filters/selectionConditions.h"

namespace {

using namespace zt::selection;

ChannelKind fuzzChannels(const std::string& name) {
    static const std::map<std::string, ChannelKind> kinds = {
        {"position", ChannelKind::kVector}, {"normal", ChannelKind::kVector},
        {"triID", ChannelKind::kInt},       {"pointID", ChannelKind::kInt},
        {"age", ChannelKind::kDouble},      {"w2", ChannelKind::kDouble},
        {"label", ChannelKind::kOther},
    };
    const auto it = kinds.find(name);
    return it == kinds.end() ? ChannelKind::kMissing : it->second;
}

class TextMaker {
public:
    explicit TextMaker(unsigned int seed) : rng_(seed) {}

    // A list of one to four pieces built from the language's own parts, most
    // of them well formed.
    std::string generated() {
        std::string text;
        const int pieces = pick(1, 3);
        for (int i = 0; i < pieces; ++i) {
            if (i > 0) text += chance(10) ? ",," : ",";
            text += piece();
        }
        return text;
    }

    // A generated text with a few characters inserted, deleted or replaced,
    // some of them arbitrary bytes.
    std::string mutated() {
        std::string text = generated();
        const int edits = pick(1, 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at =
                text.empty() ? 0 : static_cast<std::size_t>(pick(0, static_cast<int>(text.size())));
            const char c = chance(30) ? static_cast<char>(pick(0, 255)) : alphabet();
            switch (pick(0, 2)) {
                case 0:
                    text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
                    break;
                case 1:
                    if (at < text.size()) text.erase(at, 1);
                    break;
                default:
                    if (at < text.size()) text[at] = c;
            }
        }
        return text;
    }

    // Bytes drawn from the characters the language uses, with long runs.
    std::string noise() {
        std::string text;
        const int length = chance(5) ? pick(200, 2000) : pick(0, 40);
        for (int i = 0; i < length; ++i) text += alphabet();
        return text;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int percent) { return pick(0, 99) < percent; }

    char alphabet() {
        static const std::string chars = "aAzZ09.xyz<>=!-, \t_pointIDage";
        return chars[static_cast<std::size_t>(pick(0, static_cast<int>(chars.size()) - 1))];
    }

    // Mostly operands the sample point set and variables can resolve, the
    // rest arbitrary combinations of names and components.
    std::string name() {
        static const char* valid[] = {"position.x", "position.y", "normal.z", "age", "w2",
                                      "triID",      "pointID",    "h.y",      "v.x"};
        if (chance(75)) return valid[pick(0, 8)];
        static const char* names[] = {"position", "normal", "triID", "pointID", "age",
                                      "w2",       "label",  "h",     "v",       "nope"};
        std::string n = names[pick(0, 9)];
        if (chance(50)) n += std::string(".") + "xyzw"[pick(0, 3)];
        return n;
    }

    std::string number() {
        std::string n = chance(30) ? "-" : "";
        n += std::to_string(pick(0, chance(5) ? 2000000000 : 100));
        if (chance(40)) n += "." + std::to_string(pick(0, 999));
        if (chance(5)) n += ".";
        if (chance(2)) n += std::string(static_cast<std::size_t>(pick(10, 40)), '9');
        return n;
    }

    std::string op() {
        static const char* ops[] = {"==", "<", "<=", ">", ">=", "!=", "=", "<>"};
        return ops[chance(95) ? pick(0, 5) : pick(6, 7)];
    }

    std::string blanks() {
        return chance(30) ? std::string(static_cast<std::size_t>(pick(1, 3)), ' ') : "";
    }

    std::string piece() {
        const int kind = pick(0, 99);
        if (kind < 25) return blanks() + std::to_string(pick(0, 50)) + blanks();
        if (kind < 60) return name() + blanks() + op() + blanks() + number();
        if (kind < 90) return name() + op() + name();
        if (kind < 95) return blanks();
        return noise();
    }

    std::mt19937 rng_;
};

// Everything a kernel will index must lie inside the lists it is given.
void expectConsistent(const ParsedConditions& p, const std::string& text) {
    const std::size_t n = p.comparisonCount();
    ASSERT_EQ(p.operation.size(), n) << text;
    ASSERT_EQ(p.secondOperandType.size(), n) << text;
    ASSERT_EQ(p.secondOperandInt.size(), n) << text;
    ASSERT_EQ(p.secondOperandFloat.size(), n) << text;
    std::set<std::string> seen;
    for (const Column& c : p.columns) {
        EXPECT_TRUE(seen.insert(c.key).second) << "duplicate column " << c.key << " in " << text;
        const ChannelKind kind = fuzzChannels(c.channel);
        if (c.component >= 0) {
            EXPECT_EQ(kind, ChannelKind::kVector) << text;
            EXPECT_LE(c.component, 2) << text;
        } else {
            EXPECT_TRUE(kind == ChannelKind::kDouble || kind == ChannelKind::kInt) << text;
        }
    }
    for (std::size_t k = 0; k < n; ++k) {
        EXPECT_LT(p.firstOperand[k], p.columns.size()) << text;
        EXPECT_LE(p.operation[k], kNotEqual) << text;
        EXPECT_LE(p.secondOperandType[k], kColumn) << text;
        if (p.secondOperandType[k] == kColumn) {
            EXPECT_GE(p.secondOperandInt[k], 0) << text;
            EXPECT_LT(static_cast<std::size_t>(p.secondOperandInt[k]), p.columns.size()) << text;
        }
    }
    if (!p.ids.empty()) {
        EXPECT_GE(p.pointIdColumn(), 0) << text;
    }
}

TEST(ConditionFuzz, EveryTextIsReadOrRefusedWithAMessage) {
    Variables variables;
    ASSERT_EQ(variables.add("h", {0, 2, 0}, fuzzChannels, "sel.inPoints"), "");
    ASSERT_EQ(variables.add("v", {1, 1, 1}, fuzzChannels, "sel.inPoints"), "");

    TextMaker maker(20261206u);
    int accepted = 0, refused = 0;
    const int total = 6000;
    for (int i = 0; i < total; ++i) {
        const std::string text =
            i % 3 == 0 ? maker.generated() : (i % 3 == 1 ? maker.mutated() : maker.noise());
        ParsedConditions parsed;
        std::string message;
        ::testing::internal::CaptureStderr();
        const bool ok =
            parseConditions(text, fuzzChannels, variables, "sel.inPoints", parsed, message);
        const std::string diagnostics = ::testing::internal::GetCapturedStderr();
        // The reader only hands well-formed operators and components on.
        EXPECT_EQ(diagnostics, "") << text;
        if (ok) {
            ++accepted;
            EXPECT_EQ(message, "") << text;
            expectConsistent(parsed, text);
        } else {
            ++refused;
            EXPECT_FALSE(message.empty()) << text;
            EXPECT_EQ(parsed.columns.size() + parsed.comparisonCount() + parsed.ids.size(), 0u);
        }
    }
    // Both outcomes are exercised in earnest.
    EXPECT_GT(accepted, total / 10);
    EXPECT_GT(refused, total / 10);
}

TEST(ConditionFuzz, VariableNamesOfAnyBytesAreAcceptedOrRefused) {
    TextMaker maker(77u);
    Variables variables;
    for (int i = 0; i < 3000; ++i) {
        const std::string name = maker.mutated();
        const std::string message = variables.add(name, {0, 0, 0}, fuzzChannels, "sel.inPoints");
        if (message.empty()) {
            EXPECT_NE(variables.find(name), nullptr) << name;
        } else {
            EXPECT_EQ(variables.find(name) != nullptr,
                      message.find("already exists") != std::string::npos)
                << name << ": " << message;
        }
    }
    EXPECT_GT(variables.size(), 0u);
}

}  // namespace
