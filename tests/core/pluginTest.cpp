// Loading and unloading the ztNodes module: the nineteen node types and the
// cache command in their fixed order, ids and kinds, and what a failed
// registration leaves behind.

#include <gtest/gtest.h>
#include <maya/MPxNode.h>

#include <string>
#include <vector>

#include "host/src/commands/commandRegistry.h"
#include "host/src/graph/messages.h"
#include "host/src/graph/plugins.h"
#include "host/src/graph/registry.h"
#include "host/src/graph/registryImpl.h"
#include "host/src/hostInit.h"

namespace {

struct Row {
    const char* name;
    unsigned int id;
    MPxNode::Type kind;
};

// The module's registration order.
const std::vector<Row> kRows = {
    {"ztDisplayPoints", 0xB4, MPxNode::kLocatorNode},
    {"ztPointsRotation", 0xB3, MPxNode::kDependNode},
    {"ztColorBuffer", 0xB5, MPxNode::kDependNode},
    {"ztPointsUV", 0xB6, MPxNode::kDependNode},
    {"ztPointsScale", 0xB7, MPxNode::kDependNode},
    {"ztPointsObjectId", 0xB8, MPxNode::kDependNode},
    {"ztDisplayContainer", 0xB9, MPxNode::kLocatorNode},
    {"ztPointsContainer", 0xC0, MPxNode::kDependNode},
    {"ztPointsNormal", 0xC1, MPxNode::kDependNode},
    {"ztPointsMerge", 0xC2, MPxNode::kDependNode},
    {"ztPointsEmitter", 0xC3, MPxNode::kEmitterNode},
    {"ztPointsAttrShuffle", 0xC4, MPxNode::kDependNode},
    {"ztPlantPoints", 0xC5, MPxNode::kDependNode},
    {"ztPointsSelection", 0xC6, MPxNode::kDependNode},
    {"ztPointsCache", 0xC7, MPxNode::kDependNode},
    {"ztPointsTransform", 0xC8, MPxNode::kDependNode},
    {"ztNoiseLocator", 0xC9, MPxNode::kLocatorNode},
    {"ztNoise", 0xD0, MPxNode::kDeformerNode},
    {"ztScatterPoints", 0xB2, MPxNode::kDependNode},
};
const char* const kCommand = "doZtPointsCache";

std::vector<std::string> registeredTypes() {
    std::vector<std::string> names;
    for (const auto& type : zt::host::registry().types) {
        if (type->owner == "ztNodes") names.push_back(type->name);
    }
    return names;
}

std::vector<std::string> namesOfRows(std::size_t count) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) names.push_back(kRows[i].name);
    return names;
}

class PluginLoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() { zt::host::startHost(); }

    // Removes whatever a load left, whether it succeeded or not.
    void TearDown() override {
        if (zt::host::isPluginLoaded("ztNodes")) zt::host::unloadPlugin("ztNodes");
        for (const Row& row : kRows) {
            if (zt::host::nodeTypeExists(row.name)) zt::host::deregisterNodeType(MTypeId(row.id));
        }
        if (zt::commands::commandExists(kCommand)) {
            zt::commands::deregisterCommand(kCommand);
        }
    }

    // Loads the module, returning whether it succeeded and what it printed.
    bool load(std::string* out = nullptr) {
        ::testing::internal::CaptureStdout();
        const MStatus status = zt::host::loadPlugin(ZT_PLUGIN_FILE);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        if (out) *out = printed;
        return static_cast<bool>(status);
    }
};

TEST_F(PluginLoad, RegistersTheNineteenTypesAndTheCommandInOrder) {
    zt::host::MessageCapture messages;
    std::string printed;
    ASSERT_TRUE(load(&printed));
    EXPECT_NE(printed.find("ztScatterPoints initialized\n"), std::string::npos);
    EXPECT_TRUE(messages.texts(zt::host::MessageKind::kError).empty());
    EXPECT_EQ(registeredTypes(), namesOfRows(kRows.size()));
    for (const Row& row : kRows) {
        const zt::host::NodeTypePtr type = zt::host::findNodeType(row.name);
        ASSERT_TRUE(type) << row.name;
        EXPECT_EQ(type->id.id(), row.id) << row.name;
        EXPECT_EQ(type->kind, row.kind) << row.name;
    }
    EXPECT_TRUE(zt::commands::commandExists(kCommand));

    ASSERT_TRUE(zt::host::unloadPlugin("ztNodes"));
    EXPECT_TRUE(registeredTypes().empty());
    EXPECT_FALSE(zt::commands::commandExists(kCommand));
}

TEST_F(PluginLoad, AFailedRowStopsTheLoadAndKeepsTheRowsBeforeIt) {
    const struct {
        const char* failing;
        const char* error;  // "" when the row fails without a message
        std::size_t kept;
        bool command;      // the command is registered after the fourteenth row
        bool initialized;  // the last row prints before it registers
    } cases[] = {
        {"ztPointsUV", "Can not register ztPointsUV node", 3, false, false},
        {"ztPointsCache", "Can not register ztPointsCache node", 14, true, false},
        {"ztDisplayContainer", "", 6, false, false},
        {"ztScatterPoints", "", 18, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        zt::host::MessageCapture messages;
        zt::host::testing::failNextRegistrationOf(c.failing);
        std::string printed;
        EXPECT_FALSE(load(&printed));
        const std::vector<std::string> errors = messages.texts(zt::host::MessageKind::kError);
        EXPECT_EQ(errors,
                  *c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
        EXPECT_EQ(registeredTypes(), namesOfRows(c.kept));
        EXPECT_EQ(zt::commands::commandExists(kCommand), c.command);
        EXPECT_EQ(printed.find("ztScatterPoints initialized\n") != std::string::npos,
                  c.initialized);
        TearDown();
    }
}

TEST_F(PluginLoad, AFailedCommandIsReportedAndTheLoadGoesOn) {
    // A command of the same name already exists, so registering it fails.
    zt::commands::CommandSpec spec;
    spec.name = kCommand;
    spec.handler = [](const zt::commands::ParsedArgs&, zt::commands::CommandResult&) {};
    ASSERT_TRUE(zt::commands::registerCommand(spec));
    zt::host::MessageCapture messages;
    EXPECT_TRUE(load());
    EXPECT_EQ(messages.texts(zt::host::MessageKind::kError),
              std::vector<std::string>{"registerCommand doZtPointsCacheCmd"});
    EXPECT_EQ(registeredTypes(), namesOfRows(kRows.size()));
}

}  // namespace
