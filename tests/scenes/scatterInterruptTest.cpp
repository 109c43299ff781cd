// Ctrl-C during a long scatter in the batch program: the scatter stops at
// its next progress check with a message and the script ends as after any
// interrupt.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "batchRun.h"

using zt::scenes::BatchResult;
using zt::scenes::readFile;
using zt::scenes::runBatch;
using zt::scenes::ScratchDir;

TEST(ScatterInBatch, CtrlCStopsALongScatterAndTheScript) {
    ScratchDir work;
    // A small scatter first; then 2 * 10^7 candidates (a 100 x 100 plane at
    // r = 0.05 asks for 6.4 * 10^7), several seconds of work.
    const std::string script =
        "loadPlugin ztNodes;"
        "polyPlane -w 100 -h 100 -sx 10 -sy 10 -n ground;"
        "createNode ztScatterPoints -n sc;"
        "connectAttr groundShape.outMesh sc.inMesh;"
        "connectAttr groundShape.boundingBox sc.boundingBox;"
        "setAttr sc.computeNormal 0; setAttr sc.radius 5;"
        "print (\"small \" + `getAttr -size sc.outPoints` + \"\\n\");"
        "setAttr sc.radius 0.05; setAttr sc.maxCandidates 20000000;"
        "getAttr -size sc.outPoints;"
        "print \"after\\n\";";
    bool sawProgress = false;
    BatchResult r = runBatch(
        {"-q", "-c", script}, work.path(), 300, [&](pid_t pid, const std::string& errPath) {
            // Interrupt once the big pass has begun.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
            while (std::chrono::steady_clock::now() < deadline) {
                if (readFile(errPath).find("sc: surface pass 0%") != std::string::npos) {
                    sawProgress = true;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            kill(pid, SIGINT);
        });
    ASSERT_TRUE(sawProgress) << r.err;
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_NE(r.out.find("small "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("after"), std::string::npos) << r.out;
    EXPECT_NE(
        r.err.find(
            "// Error: sc.outPoints: scatter interrupted; the output keeps its previous points"),
        std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("surface pass 100%"), std::string::npos) << r.err;
}
