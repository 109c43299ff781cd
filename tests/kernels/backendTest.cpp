// Which backend runs, chosen from ZT_DEVICE and what the build and the
// machine offer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kernels/backend.h"

namespace {

using zt::Backend;

struct ChoiceCase {
    const char* request;
    bool built;
    bool device;
    Backend expected;
    bool complains;
};

TEST(BackendChoice, FollowsRequestBuildAndDevice) {
    const ChoiceCase cases[] = {
        {nullptr, true, true, Backend::Cuda, false},  {nullptr, true, false, Backend::Cpu, false},
        {nullptr, false, false, Backend::Cpu, false}, {"", true, true, Backend::Cuda, false},
        {"auto", true, true, Backend::Cuda, false},   {"auto", false, true, Backend::Cpu, false},
        {"cpu", true, true, Backend::Cpu, false},     {"CPU", true, true, Backend::Cpu, false},
        {"cuda", true, true, Backend::Cuda, false},   {"Cuda", true, true, Backend::Cuda, false},
        {"cuda", true, false, Backend::Cpu, true},    {"cuda", false, false, Backend::Cpu, true},
        {"gpu", true, true, Backend::Cuda, true},     {"gpu", true, false, Backend::Cpu, true},
    };
    for (const ChoiceCase& c : cases) {
        const std::string label = std::string(c.request ? c.request : "(unset)") +
                                  (c.built ? " built" : " not built") +
                                  (c.device ? " device" : " no device");
        const zt::BackendChoice choice = zt::chooseBackend(c.request, c.built, c.device);
        EXPECT_EQ(choice.backend, c.expected) << label;
        EXPECT_EQ(!choice.message.empty(), c.complains) << label << ": " << choice.message;
    }
}

TEST(BackendChoice, FallbackMessagesSayWhatHappened) {
    const std::string noBuild = zt::chooseBackend("cuda", false, false).message;
    EXPECT_NE(noBuild.find("no CUDA backend"), std::string::npos) << noBuild;
    EXPECT_NE(noBuild.find("CPU backend"), std::string::npos) << noBuild;
    const std::string noDevice = zt::chooseBackend("cuda", true, false).message;
    EXPECT_NE(noDevice.find("no CUDA device"), std::string::npos) << noDevice;
    EXPECT_NE(noDevice.find("CPU backend"), std::string::npos) << noDevice;
    const std::string unknown = zt::chooseBackend("metal", true, false).message;
    EXPECT_NE(unknown.find("metal"), std::string::npos) << unknown;
}

TEST(ActiveBackend, NameAgreesWithTheChoiceAndTheEnvironment) {
    const std::string name = zt::activeBackendName();
    if (zt::activeBackend() == Backend::Cuda) {
        EXPECT_EQ(name.rfind("cuda (", 0), 0u) << name;
    } else {
        EXPECT_EQ(name.rfind("cpu (", 0), 0u) << name;
    }
    const char* request = std::getenv("ZT_DEVICE");
    if (request && std::string(request) == "cpu") {
        EXPECT_EQ(zt::activeBackend(), Backend::Cpu);
    }
    if (!zt::cudaBackendBuilt()) {
        EXPECT_EQ(zt::activeBackend(), Backend::Cpu);
    }
    // Chosen once: asking again gives the same answer.
    EXPECT_EQ(zt::activeBackendName(), name);
}

}  // namespace
