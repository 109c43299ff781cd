// The scatter's progress reports and stop requests, and the per-pass
// candidate cap set by the caller.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernels/scatter.h"
#include "scatterTestMeshes.h"

namespace zt {
namespace {

struct Report {
    std::string stage;
    float done;
    std::size_t candidates;
};

// Records every report and asks to stop at report `stopAt` (counted from 0).
struct Recorder {
    std::vector<Report> reports;
    std::size_t stopAt = static_cast<std::size_t>(-1);

    static bool record(void* context, const char* stage, float done, std::size_t candidates) {
        Recorder& self = *static_cast<Recorder*>(context);
        self.reports.push_back({stage, done, candidates});
        return self.reports.size() - 1 == self.stopAt;
    }
};

// A 4 x 4 plane of 8 x 8 quads: 81 vertices 0.5 apart, a border of length 16.
const testing::TriMesh& plane() {
    static const testing::TriMesh mesh = testing::makePlane(4.0f, 8);
    return mesh;
}

ScatterSettings allPasses() {
    ScatterSettings s;
    s.radius = 0.1f;
    s.vertices = true;
    s.borderEdges = true;
    testing::frameTo(plane(), s);
    return s;
}

KernelStatus run(ScatterSettings s, Recorder* recorder, ScatterResult& result,
                 CpuSelection selection = CpuSelection::kStreaming) {
    if (recorder != nullptr) {
        s.progress = &Recorder::record;
        s.progressContext = recorder;
    }
    return scatterPoints(plane().view(), s, result, selection, nullptr);
}

// The stages in the order they first report.
std::vector<std::string> stagesOf(const std::vector<Report>& reports) {
    std::vector<std::string> stages;
    for (const Report& r : reports)
        if (stages.empty() || stages.back() != r.stage) stages.push_back(r.stage);
    return stages;
}

std::vector<Report> reportsOf(const std::vector<Report>& reports, const std::string& stage) {
    std::vector<Report> selected;
    for (const Report& r : reports)
        if (r.stage == stage) selected.push_back(r);
    return selected;
}

TEST(ScatterProgress, EveryStageReportsFromStartToEndInOrder) {
    for (const CpuSelection selection : {CpuSelection::kStreaming, CpuSelection::kTable}) {
        SCOPED_TRACE(selection == CpuSelection::kStreaming ? "streaming" : "table");
        Recorder recorder;
        ScatterResult result;
        ASSERT_EQ(run(allPasses(), &recorder, result, selection), KernelStatus::Ok);
        ASSERT_GT(result.triangleIds.size(), 500u);
        const std::vector<std::string> expected = {"vertex pass", "border edge pass",
                                                   "surface pass", "normals"};
        ASSERT_EQ(stagesOf(recorder.reports), expected);

        // Start, generated, sorted, one report per trial (5) and the end.
        const std::size_t perPass = 9u;
        for (const std::string& stage : expected) {
            SCOPED_TRACE(stage);
            const std::vector<Report> own = reportsOf(recorder.reports, stage);
            ASSERT_EQ(own.size(), stage == "normals" ? 2u : perPass);
            EXPECT_EQ(own.front().done, 0.0f);
            EXPECT_EQ(own.back().done, 1.0f);
            for (std::size_t i = 1; i < own.size(); ++i) EXPECT_GT(own[i].done, own[i - 1].done);
        }

        // Candidates: the 81 vertices; 50 per radius of border (16 / 0.1) and
        // the 81 vertex points carried over; 50 per disc area (16 / (pi
        // 0.01) = 509.3, rounded up) and the up to 81 + 160 points carried.
        EXPECT_EQ(reportsOf(recorder.reports, "vertex pass").back().candidates, 81u);
        EXPECT_EQ(reportsOf(recorder.reports, "border edge pass").back().candidates, 8081u);
        const std::size_t surface = reportsOf(recorder.reports, "surface pass").back().candidates;
        EXPECT_GE(surface, 25500u + 81u);
        EXPECT_LE(surface, 25500u + 81u + 160u);
        EXPECT_EQ(reportsOf(recorder.reports, "normals").back().candidates, surface);

        // Watching changes nothing.
        ScatterResult unwatched;
        ASSERT_EQ(run(allPasses(), nullptr, unwatched, selection), KernelStatus::Ok);
        EXPECT_EQ(unwatched.positions, result.positions);
        EXPECT_EQ(unwatched.normals, result.normals);
    }
}

TEST(ScatterProgress, AStopRequestAtAnyReportEndsTheScatterWithNothing) {
    for (const CpuSelection selection : {CpuSelection::kStreaming, CpuSelection::kTable}) {
        SCOPED_TRACE(selection == CpuSelection::kStreaming ? "streaming" : "table");
        Recorder all;
        ScatterResult result;
        ASSERT_EQ(run(allPasses(), &all, result, selection), KernelStatus::Ok);
        for (std::size_t k = 0; k < all.reports.size(); ++k) {
            SCOPED_TRACE(k);
            Recorder stopping;
            stopping.stopAt = k;
            ASSERT_EQ(run(allPasses(), &stopping, result, selection), KernelStatus::Interrupted);
            EXPECT_EQ(stopping.reports.size(), k + 1) << "reported after the stop";
            EXPECT_TRUE(result.positions.empty());
            EXPECT_TRUE(result.triangleIds.empty());
            EXPECT_TRUE(result.normals.empty());
        }
    }
}

TEST(ScatterCandidateCap, TheCallersCapBoundsEveryPass) {
    ScatterSettings s;
    s.radius = 0.1f;
    s.computeNormals = false;
    testing::frameTo(plane(), s);
    ScatterResult atDefault;
    ASSERT_EQ(run(s, nullptr, atDefault), KernelStatus::Ok);
    const std::size_t full = atDefault.triangleIds.size();
    EXPECT_GT(full, 900u);
    // The surface pass asks for 510 * 50 = 25500 candidates. Below that the
    // pass is capped: fewer points (no more than candidates), still at least
    // the radius apart; no cap is below one candidate.
    const struct {
        unsigned int cap;
        bool reached;
        std::size_t candidates, fewest, most;
    } cases[] = {{25500, false, 25500, full, full},
                 {25499, true, 25499, 1, full},
                 {500, true, 500, 301, 500},
                 {0, true, 1, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cap);
        s.maxCandidates = c.cap;
        Recorder recorder;
        ScatterResult r;
        ASSERT_EQ(run(s, &recorder, r), KernelStatus::Ok);
        EXPECT_EQ(r.reachedCandidateCap, c.reached);
        EXPECT_EQ(recorder.reports.back().candidates, c.candidates);
        EXPECT_GE(r.triangleIds.size(), c.fewest);
        EXPECT_LE(r.triangleIds.size(), c.most);
        EXPECT_GT(testing::closestPairDistance(r.positions, 0.1), 0.1);
        if (!c.reached) {
            EXPECT_EQ(r.positions, atDefault.positions);
        }
    }
}

}  // namespace
}  // namespace zt
