// The ztbatch program itself: arguments, exit statuses, order of work,
// interrupts.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "batchRun.h"

using zt::scenes::BatchResult;
using zt::scenes::runBatch;
using zt::scenes::ScratchDir;

TEST(Batch, HelpAndBackendAnswerWithoutRunningAnything) {
    ScratchDir work;
    BatchResult help = runBatch({"--help"}, work.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: ztbatch"), std::string::npos);
    EXPECT_NE(help.out.find("-c \"commands\""), std::string::npos);

    BatchResult backend = runBatch({"--backend"}, work.path());
    EXPECT_EQ(backend.exitCode, 0);
    EXPECT_FALSE(backend.out.empty());
    EXPECT_EQ(backend.err, "");
}

TEST(Batch, BadUsageExitsWithTwo) {
    ScratchDir work;
    BatchResult none = runBatch({}, work.path());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("usage"), std::string::npos);

    BatchResult unknown = runBatch({"--frobnicate"}, work.path());
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("unknown option '--frobnicate'"), std::string::npos);

    BatchResult dangling = runBatch({"-c"}, work.path());
    EXPECT_EQ(dangling.exitCode, 2);
}

TEST(Batch, MissingScriptStopsBeforeAnythingRuns) {
    ScratchDir work;
    BatchResult r = runBatch({"-c", "print \"first\";", "missing.mel"}, work.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");  // the -c before it did not run either
    EXPECT_NE(r.err.find("cannot read script 'missing.mel'"), std::string::npos);

    BatchResult dir = runBatch({work.path()}, work.path());  // a directory is no script
    EXPECT_EQ(dir.exitCode, 2);
}

TEST(Batch, RunsStepsInOrderAndStopsAtTheFirstFailure) {
    ScratchDir work;
    std::ofstream(work.file("a.mel")) << "print \"a\\n\";\n$shared = 5;\n";
    std::ofstream(work.file("b.mel")) << "print (\"b\" + $shared + \"\\n\");\nnoSuchCommand;\n";
    BatchResult r = runBatch({"-c", "print \"c1\\n\";", "a.mel", "b.mel", "-c", "print \"never\";"},
                             work.path());
    EXPECT_EQ(r.exitCode, 1);
    // Variables of one step are seen by the next: one session throughout.
    EXPECT_EQ(r.out, "c1\na\nb5\n");
    EXPECT_NE(r.err.find("file: b.mel line 2: Cannot find procedure \"noSuchCommand\"."),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("ztbatch: stopped: script 'b.mel' failed"), std::string::npos);
}

TEST(Batch, EchoesTopLevelResultsUnlessQuiet) {
    ScratchDir work;
    const std::string text = "createNode transform -n t; setAttr t.ty 2; getAttr t.t;";
    BatchResult loud = runBatch({"-c", text}, work.path());
    EXPECT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_EQ(loud.out, "// Result: t //\n// Result: 0 2 0 //\n");
    BatchResult quiet = runBatch({"-q", "-c", text}, work.path());
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST(Batch, SurvivesHostileInput) {
    ScratchDir work;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    std::ofstream(work.file("garbage.mel"), std::ios::binary) << garbage;
    BatchResult r = runBatch({"garbage.mel"}, work.path());
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Syntax error"), std::string::npos);

    BatchResult deep = runBatch({"-c", "$x = " + std::string(20000, '(') + ";"}, work.path());
    EXPECT_EQ(deep.signal, 0);
    EXPECT_EQ(deep.exitCode, 1);

    BatchResult recursion = runBatch({"-c", "proc r(int $n) { r($n + 1); } r(0);"}, work.path());
    EXPECT_EQ(recursion.signal, 0);
    EXPECT_EQ(recursion.exitCode, 1);
    EXPECT_NE(recursion.err.find("call depth"), std::string::npos);

    // Flat chains as long as generated scripts make them run to the end.
    std::string sum = "$x = 1", ternary = "int $i = 19999; $t = ";
    for (int i = 1; i < 50000; ++i) sum += " + 1";
    for (int i = 0; i < 20000; ++i)
        ternary += "$i == " + std::to_string(i) + " ? " + std::to_string(3 * i) + " : ";
    std::ofstream(work.file("chains.mel")) << sum << "; print ($x + \"\\n\");\n"
                                           << ternary << "-1; print $t;\n";
    BatchResult chains = runBatch({"chains.mel"}, work.path());
    EXPECT_EQ(chains.signal, 0);
    EXPECT_EQ(chains.exitCode, 0) << chains.err;
    EXPECT_EQ(chains.out, "50000\n59997");
}

TEST(Batch, CtrlCInterruptsTheScriptInsteadOfKillingTheProcess) {
    ScratchDir work;
    BatchResult r = runBatch({"-c", "print \"start\\n\"; while (1) { $x = 1; }"}, work.path(), 60,
                             [](pid_t pid) {
                                 std::this_thread::sleep_for(std::chrono::milliseconds(700));
                                 kill(pid, SIGINT);
                             });
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0) << "killed instead of interrupted";
    EXPECT_EQ(r.exitCode, 130);
    EXPECT_EQ(r.out, "start\n");
    EXPECT_NE(r.err.find("Interrupted"), std::string::npos) << r.err;
}

TEST(Batch, TheDemoSceneRunsWithTheNamesItAsksFor) {
    // The demo reads examples/ and writes out/ relative to where it runs.
    ScratchDir work;
    const std::string examples = std::string(ZT_SOURCE_DIR) + "/examples";
    ASSERT_EQ(::symlink(examples.c_str(), work.file("examples").c_str()), 0);
    ASSERT_EQ(std::system(("mkdir -p '" + work.file("out/cache") + "'").c_str()), 0);
    BatchResult r = runBatch({examples + "/demo.mel"}, work.path(), 300);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("// Result: forest //"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("// Result: replay //"), std::string::npos);
    EXPECT_NE(r.out.find("scattered "), std::string::npos);
    EXPECT_NE(r.out.find("read back at frame 2: "), std::string::npos);
    EXPECT_EQ(r.err.find("// Error"), std::string::npos) << r.err;
    for (const char* file :
         {"out/demo.png", "out/demo_points.ply", "out/demo_forest.obj", "out/demo_frame2.csv"}) {
        std::ifstream in(work.file(file), std::ios::binary | std::ios::ate);
        EXPECT_GT(static_cast<long>(in.tellg()), 0) << file;
    }
}
