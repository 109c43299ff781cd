#pragma once
// Progress and interruption of a long compute. While alive it is the host's
// interruptible computation (Esc in an interactive session, Ctrl-C in the
// batch program) and prints how far each stage is to the error stream:
//
//     ztScatterPoints1: surface pass 40%
//
// Small computes print nothing: only work of at least `quietBelow` units is
// reported, so scripts and tests stay quiet.
//
//     zt::ComputeProgress progress(name(), 5000000);
//     settings.progress = &zt::ComputeProgress::reportTo;
//     settings.progressContext = &progress;

#include <maya/MComputation.h>
#include <maya/MString.h>

#include <cstddef>
#include <ostream>
#include <string>

namespace zt {

class ComputeProgress {
public:
    // Lines go to `out` (the error stream when null) and start with `name`.
    ComputeProgress(const MString& name, std::size_t quietBelow, std::ostream* out = nullptr);
    ~ComputeProgress();
    ComputeProgress(const ComputeProgress&) = delete;
    ComputeProgress& operator=(const ComputeProgress&) = delete;

    // `stage` is `done` (0..1) finished on a compute of `work` units. Prints
    // a line when the work reaches the threshold and the whole percentage
    // of the stage differs from the last line's. True when the user asked
    // to stop.
    bool report(const char* stage, double done, std::size_t work);

    bool interruptRequested();

    // report() for callbacks that take a function and a context pointer
    // (the context is the ComputeProgress).
    static bool reportTo(void* progress, const char* stage, float done, std::size_t work);

private:
    MComputation computation_;
    MString name_;
    std::size_t quietBelow_;
    std::ostream* out_;
    std::string lastStage_;
    int lastPercent_ = -1;
};

}  // namespace zt
