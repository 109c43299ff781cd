// The cache command in the batch program: a frame range split over two
// processes running side by side gives the same files, byte for byte, as one
// process over the whole range; Ctrl-C stops caching and leaves the files
// written so far intact.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cache/cacheFile.h"
#include "cacheTestUtil.h"

namespace fs = std::filesystem;
namespace zc = zt::cache;
using zt::cache::test::readBytes;
using zt::cache::test::ScratchDir;

namespace {

// ztbatch started in `workDir` with its output in files there.
class BatchProcess {
public:
    BatchProcess(const std::vector<std::string>& args, const fs::path& workDir,
                 const std::string& tag)
        : out_(workDir / (tag + ".out")), err_(workDir / (tag + ".err")) {
        const std::string pluginDir = fs::path(ZT_PLUGIN_FILE).parent_path().string();
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(workDir.c_str()) != 0) _exit(126);
            const int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
            setenv("MAYA_PLUG_IN_PATH", pluginDir.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(ZT_BATCH_EXE)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(ZT_BATCH_EXE, argv.data());
            _exit(127);
        }
    }
    ~BatchProcess() {
        if (pid_ > 0 && !finished_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    BatchProcess(const BatchProcess&) = delete;
    BatchProcess& operator=(const BatchProcess&) = delete;

    pid_t pid() const { return pid_; }

    // Exit status, or -1 when it ended by a signal or ran past the limit.
    int wait(int seconds = 300) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        finished_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output() const { return readBytes(out_.string()); }
    std::string errors() const { return readBytes(err_.string()); }

private:
    fs::path out_, err_;
    pid_t pid_ = -1;
    bool finished_ = false;
};

std::string cacheCall(const std::string& node, const std::string& dir, int first, int last) {
    return "doZtPointsCache " + node + " \"" + dir + "\" \"pts\" " + std::to_string(first) + " " +
           std::to_string(last) + " 0;";
}

std::string frameFile(const fs::path& dir, int frame) {
    return (dir / ("pts_" + std::to_string(frame) + ".ztc")).string();
}

}  // namespace

TEST(CacheInBatch, SplitRangesInParallelEqualOneRun) {
    ScratchDir work("farm");
    // A source whose point set differs every frame: a cache reader over
    // files made here.
    const int last = 12;
    for (int f = 1; f <= last; ++f) {
        zc::CacheFrame frame;
        std::vector<double> xyz(3 * f);
        for (std::size_t i = 0; i < xyz.size(); ++i) xyz[i] = 0.5 * f + 0.001 * i;
        std::vector<int> ids(f, -f);
        zc::addVectorChannel(frame, "position", xyz.data(), f);
        zc::addIntChannel(frame, "objectIndex", ids.data(), ids.size());
        ASSERT_TRUE(zc::writeCacheFile(work.file("src_" + std::to_string(f) + ".ztc"), frame));
    }
    zt::cache::test::writeBytes(work.file("scene.mel"),
                                "loadPlugin ztNodes;\n"
                                "createNode ztPointsCache -n source;\n"
                                "setAttr -type \"string\" source.cachePath \"src\";\n"
                                "connectAttr time1.outTime source.time;\n");
    for (const char* d : {"whole", "split"}) fs::create_directory(work.path() / d);
    const std::string scene = "source \"scene.mel\"; ";

    BatchProcess first({"-c", scene + cacheCall("source", "split", 1, 5)}, work.path(), "a");
    BatchProcess second({"-c", scene + cacheCall("source", "split", 6, last)}, work.path(), "b");
    BatchProcess whole({"-c", scene + cacheCall("source", "whole", 1, last)}, work.path(), "w");
    for (BatchProcess* p : {&first, &second, &whole}) {
        ASSERT_EQ(p->wait(), 0) << p->output() << p->errors();
        EXPECT_NE(p->output().find("ztPointsCache completed"), std::string::npos);
    }

    for (int f = 1; f <= last; ++f) {
        const std::string split = readBytes(frameFile(work.path() / "split", f));
        ASSERT_FALSE(split.empty()) << f;
        EXPECT_EQ(split, readBytes(frameFile(work.path() / "whole", f))) << "frame " << f;
        // Each file holds its own frame: the source's file of that frame.
        EXPECT_EQ(split, readBytes(work.file("src_" + std::to_string(f) + ".ztc"))) << f;
    }
    EXPECT_FALSE(fs::exists(frameFile(work.path() / "split", 0)));
    EXPECT_FALSE(fs::exists(frameFile(work.path() / "split", last + 1)));
}

TEST(CacheInBatch, CtrlCStopsCachingAndKeepsCompleteFiles) {
    ScratchDir work("interrupt");
    // The source is a cache reader left at time 0: one point set, computed
    // once. Far more frames than can be written before the signal arrives.
    zc::CacheFrame frame;
    const double xyz[] = {1, 2, 3, 4, 5, 6};
    zc::addVectorChannel(frame, "position", xyz, 2);
    ASSERT_TRUE(zc::writeCacheFile(work.file("src_0.ztc"), frame));
    const int last = 1000000;
    BatchProcess batch({"-c",
                        "loadPlugin ztNodes; createNode ztPointsCache -n source;"
                        "setAttr -type \"string\" source.cachePath \"src\";" +
                            cacheCall("source", ".", 1, last)},
                       work.path(), "run");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fs::exists(frameFile(work.path(), 3)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(frameFile(work.path(), 3))) << batch.errors();
    kill(batch.pid(), SIGINT);
    const int status = batch.wait(120);

    EXPECT_EQ(status, 130) << batch.output();  // ztbatch's status after Ctrl-C
    EXPECT_NE(batch.errors().find("// Error: Caching aborted"), std::string::npos)
        << batch.errors();
    EXPECT_EQ(batch.output().find("ztPointsCache completed"), std::string::npos);
    // The written frames run from the first without a gap, and every one is
    // a complete cache file.
    int written = 0;
    while (fs::exists(frameFile(work.path(), written + 1))) ++written;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(work.path()))
        files += entry.path().extension() == ".ztc" && entry.path().stem() != "src_0";
    EXPECT_GE(written, 3);
    EXPECT_LT(written, last);
    EXPECT_EQ(files, static_cast<std::size_t>(written));
    for (int f = 1; f <= written; ++f) {
        const zc::LoadResult loaded = zc::loadCacheFile(frameFile(work.path(), f));
        ASSERT_TRUE(loaded.ok()) << "frame " << f << ": " << loaded.detail;
        EXPECT_EQ(loaded.frame.vectors, frame.vectors);
    }
}
