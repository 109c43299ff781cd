#include "core/computeProgress.h"

#include <maya/MIOStream.h>

#include <algorithm>
#include <cmath>

namespace zt {

ComputeProgress::ComputeProgress(const MString& name, std::size_t quietBelow, std::ostream* out)
    : name_(name), quietBelow_(quietBelow), out_(out != nullptr ? out : &cerr) {
    computation_.beginComputation();
}

ComputeProgress::~ComputeProgress() {
    computation_.endComputation();
}

bool ComputeProgress::report(const char* stage, double done, std::size_t work) {
    if (work >= quietBelow_) {
        const double clamped = std::isfinite(done) ? std::min(1.0, std::max(0.0, done)) : 0.0;
        const int percent = static_cast<int>(std::floor(100.0 * clamped));
        if (stage != lastStage_ || percent != lastPercent_) {
            lastStage_ = stage;
            lastPercent_ = percent;
            *out_ << name_.asChar() << ": " << stage << " " << percent << "%" << std::endl;
        }
    }
    return interruptRequested();
}

bool ComputeProgress::interruptRequested() {
    return computation_.isInterruptRequested();
}

bool ComputeProgress::reportTo(void* progress, const char* stage, float done, std::size_t work) {
    return static_cast<ComputeProgress*>(progress)->report(stage, done, work);
}

}  // namespace zt
