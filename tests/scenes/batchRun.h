#pragma once
// Runs the ztbatch program in a scratch directory and collects what it did.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "common/scratchDir.h"

namespace zt::scenes {

struct BatchResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if any
    bool timedOut = false;
    std::string out;
    std::string err;
};

using ScratchDir = zt::testing::ScratchDir;

// Runs ZT_BATCH_EXE with `args` in `workDir`. The child sees ZT_SOURCE_DIR,
// ZT_PLUGIN_FILE, ZT_SCENE_DIR (= workDir) and MAYA_PLUG_IN_PATH (the
// plug-in's folder unless already set). `whileRunning` is called once with
// the child's pid right after it starts (to send it signals).
BatchResult runBatch(const std::vector<std::string>& args, const std::string& workDir,
                     int timeoutSeconds = 120,
                     const std::function<void(pid_t)>& whileRunning = nullptr);

// As above; `whileRunning` also gets the path of the file the child's
// standard error goes to, to wait for what it prints.
BatchResult runBatch(const std::vector<std::string>& args, const std::string& workDir,
                     int timeoutSeconds,
                     const std::function<void(pid_t, const std::string&)>& whileRunning);

std::string readFile(const std::string& path);

}  // namespace zt::scenes
