// Runs every tests/scenes/*.mel script through ztbatch in its own scratch
// directory and checks what the script's header promises:
//
//   // expect-exit: 1                       exit status (default 0)
//   // expect-stdout: fragment              must appear in standard output
//   // expect-stderr: fragment              must appear in standard error
//   // forbid-stdout: fragment              must not appear
//   // forbid-stderr: fragment              (a script expecting exit 0 forbids
//                                            "// Error:" unless it says otherwise)
//   // expect-file: name                    a non-empty file the script wrote
//   // expect-file-text: name | fragment    ... holding this text
//   // expect-no-file: name                 a file the script must not leave
//
// Fragments are matched literally after trimming; "\n" stands for a line end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batchRun.h"

namespace fs = std::filesystem;
using zt::scenes::BatchResult;
using zt::scenes::readFile;
using zt::scenes::runBatch;
using zt::scenes::ScratchDir;

namespace {

struct Expectations {
    int exitCode = 0;
    std::vector<std::string> stdoutHas, stderrHas, stdoutLacks, stderrLacks;
    std::vector<std::string> files, missingFiles;
    std::vector<std::pair<std::string, std::string>> fileTexts;
    bool errorsAllowed = false;
};

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    std::size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

Expectations readExpectations(const std::string& script) {
    Expectations e;
    std::istringstream lines(readFile(script));
    std::string line;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.rfind("// ", 0) != 0) continue;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = trim(line.substr(3, colon - 3));
        const std::string value = unescape(trim(line.substr(colon + 1)));
        if (key == "expect-exit") {
            e.exitCode = std::stoi(value);
        } else if (key == "expect-stdout") {
            e.stdoutHas.push_back(value);
        } else if (key == "expect-stderr") {
            e.stderrHas.push_back(value);
            e.errorsAllowed = e.errorsAllowed || value.find("Error") != std::string::npos;
        } else if (key == "forbid-stdout") {
            e.stdoutLacks.push_back(value);
        } else if (key == "forbid-stderr") {
            e.stderrLacks.push_back(value);
        } else if (key == "expect-file") {
            e.files.push_back(value);
        } else if (key == "expect-no-file") {
            e.missingFiles.push_back(value);
        } else if (key == "expect-file-text") {
            std::size_t bar = value.find('|');
            if (bar != std::string::npos)
                e.fileTexts.emplace_back(trim(value.substr(0, bar)), trim(value.substr(bar + 1)));
        }
    }
    if (e.exitCode == 0 && !e.errorsAllowed) e.stderrLacks.push_back("// Error:");
    return e;
}

std::vector<std::string> sceneScripts() {
    std::vector<std::string> scripts;
    for (const auto& entry : fs::directory_iterator(fs::path(ZT_SOURCE_DIR) / "tests" / "scenes"))
        if (entry.path().extension() == ".mel") scripts.push_back(entry.path().string());
    std::sort(scripts.begin(), scripts.end());
    return scripts;
}

class SceneScript : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(SceneScript, BehavesAsItsHeaderSays) {
    const std::string script = GetParam();
    const Expectations expect = readExpectations(script);
    ScratchDir work;
    BatchResult r = runBatch({script}, work.path());
    const std::string shown = "\n--- stdout ---\n" + r.out + "--- stderr ---\n" + r.err;

    ASSERT_FALSE(r.timedOut) << shown;
    EXPECT_EQ(r.signal, 0) << "ztbatch died from a signal" << shown;
    EXPECT_EQ(r.exitCode, expect.exitCode) << shown;
    for (const auto& f : expect.stdoutHas)
        EXPECT_NE(r.out.find(f), std::string::npos) << "stdout lacks: " << f << shown;
    for (const auto& f : expect.stderrHas)
        EXPECT_NE(r.err.find(f), std::string::npos) << "stderr lacks: " << f << shown;
    for (const auto& f : expect.stdoutLacks)
        EXPECT_EQ(r.out.find(f), std::string::npos) << "stdout has: " << f << shown;
    for (const auto& f : expect.stderrLacks)
        EXPECT_EQ(r.err.find(f), std::string::npos) << "stderr has: " << f << shown;
    for (const auto& name : expect.files) {
        std::error_code ec;
        EXPECT_GT(fs::file_size(work.file(name), ec), 0u) << "missing or empty file " << name;
    }
    for (const auto& name : expect.missingFiles)
        EXPECT_FALSE(fs::exists(work.file(name))) << "unexpected file " << name;
    for (const auto& [name, text] : expect.fileTexts)
        EXPECT_NE(readFile(work.file(name)).find(text), std::string::npos)
            << name << " lacks: " << text;
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneScript, ::testing::ValuesIn(sceneScripts()),
                         [](const ::testing::TestParamInfo<std::string>& script) {
                             std::string name = fs::path(script.param).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
