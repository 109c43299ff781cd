// docs/mel.md describes every command of the host with every flag it takes,
// written "-short/-long" (or "-long" when both are the same), and names the
// commands the full host does not have in its list of additions.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "commands/commandRegistry.h"
#include "hostInit.h"

namespace {

std::string melDocs() {
    std::ifstream in(std::string(ZT_SOURCE_DIR) + "/docs/mel.md");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text between a heading and the next heading of the same level.
std::string section(const std::string& docs, const std::string& heading) {
    const std::size_t start = docs.find("\n" + heading + "\n");
    if (start == std::string::npos) return "";
    const std::string level = heading.substr(0, heading.find(' ') + 1);
    const std::size_t end = docs.find("\n" + level, start + heading.size() + 1);
    return docs.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(CommandDocs, EveryBuiltInCommandAndFlagIsDescribed) {
    zt::host::startHost();
    const std::string docs = melDocs();
    ASSERT_FALSE(docs.empty());
    std::size_t commands = 0;
    for (const std::string& name : zt::commands::commandNames()) {
        std::vector<zt::commands::FlagSpec> flags;
        bool queryable = false;
        if (!zt::commands::builtinCommandFlags(name, flags, queryable)) continue;
        ++commands;
        EXPECT_NE(docs.find("`" + name), std::string::npos) << "command " << name;
        for (const auto& flag : flags) {
            const std::string written = flag.shortName == flag.longName
                                            ? "-" + flag.longName
                                            : "-" + flag.shortName + "/-" + flag.longName;
            EXPECT_NE(docs.find(written), std::string::npos) << name << " " << written;
        }
    }
    EXPECT_GT(commands, 30u);
}

TEST(CommandDocs, AdditionsOfThisHostAreListedTogether) {
    const std::string docs = melDocs();
    const std::string additions = section(docs, "## Additions of this host");
    ASSERT_FALSE(additions.empty()) << "no section of additions";
    for (const char* addition : {"exportPoints", "getAttr -channel", "getAttr` of a point set",
                                 "-camera", "exportInstances"})
        EXPECT_NE(additions.find(addition), std::string::npos) << addition;
}

}  // namespace
