#include "batchRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zt::scenes {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

BatchResult runBatch(const std::vector<std::string>& args, const std::string& workDir,
                     int timeoutSeconds, const std::function<void(pid_t)>& whileRunning) {
    std::function<void(pid_t, const std::string&)> withPath;
    if (whileRunning) withPath = [&](pid_t pid, const std::string&) { whileRunning(pid); };
    return runBatch(args, workDir, timeoutSeconds, withPath);
}

BatchResult runBatch(const std::vector<std::string>& args, const std::string& workDir,
                     int timeoutSeconds,
                     const std::function<void(pid_t, const std::string&)>& whileRunning) {
    ScratchDir capture;
    const std::string outPath = capture.file("stdout.txt");
    const std::string errPath = capture.file("stderr.txt");
    const std::string pluginDir = fs::path(ZT_PLUGIN_FILE).parent_path().string();

    std::vector<std::string> argvStrings{ZT_BATCH_EXE};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // Child: only async-signal-safe work would be strictly correct after
        // fork in a threaded parent; the test programs are single-threaded.
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        setenv("ZT_SOURCE_DIR", ZT_SOURCE_DIR, 1);
        setenv("ZT_PLUGIN_FILE", ZT_PLUGIN_FILE, 1);
        setenv("ZT_SCENE_DIR", workDir.c_str(), 1);
        setenv("MAYA_PLUG_IN_PATH", pluginDir.c_str(), 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (whileRunning) whileRunning(pid, errPath);

    BatchResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

}  // namespace zt::scenes
