// ztbatch: runs scripts in the host's command language without a user
// interface.
//
//   ztbatch scene.mel more.mel      run the files in order
//   ztbatch -c "loadPlugin ztNodes; polyPlane -n ground;" scene.mel
//   ztbatch --backend               which compute backend the kernels use
//
// Stops at the first failing command. Exit status: 0 when everything ran,
// 1 after a failed command, 2 for bad usage or a script that cannot be
// read, 130 when interrupted with Ctrl-C. The first Ctrl-C asks the running
// computation to stop (the script then ends with an error); a second one
// ends the process at once.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <maya/MComputation.h>

#include "../src/graph/messages.h"
#include "../src/hostInit.h"
#include "../src/mel/engine.h"

#if defined(ZT_BATCH_HAS_KERNELS)
#include "../../kernels/backend.h"
#endif

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

volatile sig_atomic_t interrupts = 0;

void onInterrupt(int) {
    if (++interrupts >= 2) {
        // Second Ctrl-C: stop now, the way an unhandled SIGINT would.
        signal(SIGINT, SIG_DFL);
        raise(SIGINT);
        return;
    }
    zt::host::requestInterrupt();
    static const char kNote[] = "\n// ztbatch: interrupt requested (Ctrl-C again to quit now)\n";
    ssize_t ignored = write(STDERR_FILENO, kNote, sizeof kNote - 1);
    (void)ignored;
}

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void printUsage(std::ostream& out) {
    out << "usage: ztbatch [options] [script.mel ...]\n"
           "\n"
           "Runs scripts in MEL syntax against the stand-in host, in the order given.\n"
           "\n"
           "options:\n"
           "  -c \"commands\"   run the commands (may be repeated, mixed with scripts)\n"
           "  -q, --quiet     do not print the results of top-level commands\n"
           "  --backend       print the compute backend of the kernels and exit\n"
           "  -h, --help      print this help and exit\n"
           "\n"
           "Top-level command results are printed as \"// Result: value //\".\n"
           "Plug-ins are found through MAYA_PLUG_IN_PATH; ZT_DEVICE=auto|cuda|cpu picks\n"
           "the compute backend.\n"
           "\n"
           "exit status: 0 success, 1 a command failed, 2 bad usage or unreadable script,\n"
           "130 interrupted.\n";
}

std::string backendName() {
#if defined(ZT_BATCH_HAS_KERNELS)
    return zt::activeBackendName();
#else
    return "unknown";
#endif
}

struct Step {
    bool isFile;
    std::string text;  // the commands, or the script's path
};

bool readableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

int run(int argc, char** argv) {
    std::vector<Step> steps;
    bool echo = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            printUsage(std::cout);
            return 0;
        }
        if (arg == "--backend") {
            std::cout << backendName() << std::endl;
            return 0;
        }
        if (arg == "-q" || arg == "--quiet") {
            echo = false;
        } else if (arg == "-c") {
            if (i + 1 >= argc) {
                std::cerr << "ztbatch: -c needs the commands to run\n";
                return kExitUsage;
            }
            steps.push_back({false, argv[++i]});
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "ztbatch: unknown option '" << arg << "' (see ztbatch --help)\n";
            return kExitUsage;
        } else {
            steps.push_back({true, arg});
        }
    }
    if (steps.empty()) {
        printUsage(std::cerr);
        return kExitUsage;
    }
    // Every script must be readable before anything runs, so a typo in the
    // last name does not leave a half-built scene behind.
    for (const Step& step : steps) {
        if (step.isFile && !readableFile(step.text)) {
            std::cerr << "ztbatch: cannot read script '" << step.text << "'\n";
            return kExitUsage;
        }
    }

    zt::host::startHost();
    // The whole run is one computation, so a Ctrl-C is never forgotten by a
    // command or node that begins its own: it stops whichever checks next
    // (a node's compute, a command's loop, or the script at its next
    // statement).
    MComputation session;
    session.beginComputation();
    installInterruptHandler();
    for (const Step& step : steps) {
        bool ok = step.isFile ? zt::mel::executeFile(step.text, echo)
                              : zt::mel::executeText(step.text, nullptr, echo);
        std::cout.flush();
        if (!ok) {
            std::cerr << "ztbatch: stopped: "
                      << (step.isFile ? "script '" + step.text + "'" : std::string("-c commands"))
                      << " failed\n";
            return interrupts > 0 ? kExitInterrupted : kExitFailed;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "ztbatch: internal error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "ztbatch: internal error\n";
    }
    return kExitFailed;
}
