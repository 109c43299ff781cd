// The plug-in sources are compiled against the real host's headers too, and
// on Linux those pull in X11, which defines Success, None, Bool, Status and
// Always (among others) as macros. An identifier of that spelling anywhere
// in plug-in code turns into a number or a type there and breaks the build,
// so none may appear outside comments and string literals.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::set<std::string>& macroNames() {
    static const std::set<std::string> names = {"Success", "None",    "Bool", "Status",
                                                "Always",  "Complex", "Font", "Cursor"};
    return names;
}

// The identifiers of C++ text, skipping comments, string and character
// literals, each with its line.
std::vector<std::pair<int, std::string>> identifiers(const std::string& text) {
    std::vector<std::pair<int, std::string>> out;
    int line = 1;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto isStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    auto isPart = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            i += 2;
            while (i + 1 < n && !(text[i] == '*' && text[i + 1] == '/')) {
                if (text[i] == '\n') ++line;
                ++i;
            }
            i += 2;
        } else if (c == '"' || c == '\'') {
            ++i;
            while (i < n && text[i] != c) {
                if (text[i] == '\\') ++i;
                ++i;
            }
            ++i;
        } else if (isStart(c)) {
            std::size_t start = i;
            while (i < n && isPart(text[i])) ++i;
            out.emplace_back(line, text.substr(start, i - start));
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i < n && (isPart(text[i]) || text[i] == '.')) ++i;
        } else {
            ++i;
        }
    }
    return out;
}

std::vector<std::string> macroUses(const std::string& text) {
    std::vector<std::string> found;
    for (const auto& [line, name] : identifiers(text))
        if (macroNames().count(name)) found.push_back(std::to_string(line) + ": " + name);
    return found;
}

TEST(MacroNames, TheScannerFindsIdentifiersButNotCommentsOrStrings) {
    const std::string text =
        "enum class S { Success, Other };  // None here\n"
        "/* Bool\n Status */ const char* s = \"Always\";\n"
        "int x = y.Status + 0xNone;\n";
    const std::vector<std::string> found = macroUses(text);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], "1: Success");
    EXPECT_EQ(found[1], "4: Status");
    EXPECT_TRUE(macroUses("KernelStatus s = KernelStatus::Ok; // Success\n").empty());
}

TEST(MacroNames, PlugInSourcesUseNoNameTheSystemHeadersDefineAsAMacro) {
    const fs::path root = ZT_SOURCE_DIR;
    const char* folders[] = {"core",    "kernels", "scatter", "attributes",
                             "filters", "display", "cache",   "noise"};
    std::size_t scanned = 0;
    for (const char* folder : folders) {
        const fs::path dir = root / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp" && ext != ".cuh" && ext != ".cu" && ext != ".inl")
                continue;
            std::ifstream in(entry.path());
            std::stringstream buffer;
            buffer << in.rdbuf();
            ++scanned;
            for (const std::string& use : macroUses(buffer.str()))
                ADD_FAILURE() << entry.path().string() << ":" << use;
        }
    }
    // The plug-in entry and the kernel interface are among them.
    EXPECT_GT(scanned, 10u);
    EXPECT_TRUE(fs::exists(root / "core" / "pluginMain.cpp"));
}

}  // namespace
