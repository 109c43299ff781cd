// Progress lines of long computes and the interrupt request they pass on.

#include <gtest/gtest.h>
#include <maya/MComputation.h>

#include <cmath>
#include <sstream>

#include "core/computeProgress.h"
#include "host/src/graph/messages.h"

namespace {

TEST(ComputeProgress, PrintsAWholePercentageOncePerChangeForLargeWorkOnly) {
    std::ostringstream out;
    {
        zt::ComputeProgress progress("sc", 1000, &out);
        EXPECT_FALSE(progress.report("surface pass", 0.5, 999));  // small: quiet
        EXPECT_EQ(out.str(), "");
        for (const double done : {0.0, 0.004, 0.25, 0.2599, 0.26, 0.999, 1.0})
            EXPECT_FALSE(progress.report("surface pass", done, 1000));
        // A new stage prints even at the same percentage; out-of-range and
        // undefined parts are taken as 0 % and 100 %.
        EXPECT_FALSE(progress.report("normals", 1.0, 5000));
        EXPECT_FALSE(progress.report("fill", -0.5, 5000));
        EXPECT_FALSE(progress.report("fill", std::nan(""), 5000));
        EXPECT_FALSE(progress.report("fill", 1.7, 5000));
    }
    EXPECT_EQ(out.str(),
              "sc: surface pass 0%\n"
              "sc: surface pass 25%\n"
              "sc: surface pass 26%\n"
              "sc: surface pass 99%\n"
              "sc: surface pass 100%\n"
              "sc: normals 100%\n"
              "sc: fill 0%\n"
              "sc: fill 100%\n");
}

TEST(ComputeProgress, PassesOnTheInterruptRequest) {
    std::ostringstream out;
    {
        // Alone it is the outermost computation: an older request is forgotten.
        zt::host::requestInterrupt();
        zt::ComputeProgress progress("sc", 10, &out);
        EXPECT_FALSE(progress.interruptRequested());
        EXPECT_FALSE(zt::ComputeProgress::reportTo(&progress, "surface pass", 0.0f, 1));
        zt::host::requestInterrupt();
        EXPECT_TRUE(progress.report("surface pass", 0.5, 1));
        EXPECT_TRUE(zt::ComputeProgress::reportTo(&progress, "surface pass", 0.6f, 1));
    }
    {
        // Inside a command's computation a request made before it began counts.
        MComputation command;
        command.beginComputation();
        zt::host::requestInterrupt();
        zt::ComputeProgress progress("sc", 10, &out);
        EXPECT_TRUE(progress.interruptRequested());
        command.endComputation();
    }
    zt::host::clearInterrupt();
    EXPECT_EQ(out.str(), "");  // all work was below the threshold
}

}  // namespace
