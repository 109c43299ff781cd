// Node type registration and plug-in modules.

#include <cstdlib>
#include <string>

#include "host/src/commands/commandRegistry.h"
#include "host/src/graph/plugins.h"
#include "test_graphNodes.h"

namespace graphtest {
namespace {

using Registry = GraphTest;

class Empty : public MPxNode {
public:
    static void* creator() { return new Empty; }
};

MStatus failingInitializer() {
    return MS::kFailure;
}

MObject sharedAttribute;
MObject otherAttribute;

MStatus initializerWithProblems() {
    MFnNumericAttribute n;
    sharedAttribute = n.create("shared", "sh", MFnNumericData::kInt, 0);
    otherAttribute = n.create("other", "ot", MFnNumericData::kInt, 0);
    if (!MPxNode::addAttribute(sharedAttribute)) return MS::kFailure;
    // Twice the same attribute, or a second one of the same long name,
    // is refused; a short name already used is kept by the first one.
    if (MPxNode::addAttribute(sharedAttribute)) return MS::kFailure;
    MObject sameName = n.create("shared", "zz", MFnNumericData::kInt, 0);
    if (MPxNode::addAttribute(sameName)) return MS::kFailure;
    // Affects between attributes the type does not have fails.
    if (MPxNode::attributeAffects(sharedAttribute, otherAttribute)) return MS::kFailure;
    MObject sameShort = n.create("another", "sh", MFnNumericData::kInt, 0);
    return MPxNode::addAttribute(sameShort);
}

TEST_F(Registry, NamesAndIdsAreUniqueAndRegistrationCanBeMadeToFail) {
    auto add = [](const char* name, unsigned id, MInitializeFunction initialize = nullptr) {
        return zt::host::registerBuiltinNodeType(name, MTypeId(id), Empty::creator, initialize,
                                                 MPxNode::kDependNode, MFn::kPluginDependNode);
    };
    ASSERT_TRUE(add("graphEmpty", 0x7e0020));
    EXPECT_FALSE(add("graphEmpty", 0x7e0021));
    EXPECT_FALSE(add("graphEmptyTwo", 0x7e0020));

    zt::host::testing::failNextRegistrationOf("graphEmptyTwo");
    EXPECT_FALSE(add("graphEmptyTwo", 0x7e0021));
    EXPECT_FALSE(zt::host::nodeTypeExists("graphEmptyTwo"));
    // Only the next one fails.
    EXPECT_TRUE(add("graphEmptyTwo", 0x7e0021));

    EXPECT_FALSE(add("graphBroken", 0x7e0022, failingInitializer));
    EXPECT_FALSE(zt::host::nodeTypeExists("graphBroken"));

    ASSERT_TRUE(add("graphChecked", 0x7e0023, initializerWithProblems));
    MFnDependencyNode checked(create("graphChecked"));
    EXPECT_TRUE(checked.attribute("sh") == sharedAttribute);
    EXPECT_FALSE(checked.attribute("another").isNull());
    EXPECT_FALSE(checked.hasAttribute("other"));
    // Outside an initializer there is no type to add to.
    EXPECT_FALSE(MPxNode::addAttribute(otherAttribute));
}

const std::string pluginFile = ZT_GRAPH_TEST_PLUGIN;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (hadOld_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

class Plugins : public GraphTest {
protected:
    void TearDown() override {
        if (zt::host::isPluginLoaded("graphTestPlugin")) zt::host::unloadPlugin("graphTestPlugin");
    }
};

TEST_F(Plugins, LoadByPathRegistersAndUnloadRemovesEverything) {
    std::string name, error;
    ASSERT_TRUE(zt::host::loadPlugin(pluginFile, &name, &error)) << error;
    EXPECT_EQ(name, "graphTestPlugin");
    EXPECT_TRUE(zt::host::isPluginLoaded("graphTestPlugin"));
    EXPECT_TRUE(zt::host::nodeTypeExists("graphPluginNode"));
    EXPECT_TRUE(zt::commands::commandExists("graphPluginCommand"));

    MObject node = create("graphPluginNode");
    plug(node, "value").setValue(21);
    EXPECT_EQ(plug(node, "twice").asInt(), 42);
    EXPECT_TRUE(node.hasFn(MFn::kPluginDependNode));

    // Loading again changes nothing.
    EXPECT_TRUE(zt::host::loadPlugin(pluginFile));
    EXPECT_EQ(zt::host::loadedPlugins().size(), 1u);

    ASSERT_TRUE(zt::host::unloadPlugin("graphTestPlugin", &error)) << error;
    EXPECT_FALSE(zt::host::nodeTypeExists("graphPluginNode"));
    EXPECT_FALSE(zt::commands::commandExists("graphPluginCommand"));
    EXPECT_TRUE(zt::host::listNodes("graphPluginNode").empty());
    EXPECT_FALSE(MFnDependencyNode(node).hasAttribute("value"));
    EXPECT_FALSE(zt::host::unloadPlugin("graphTestPlugin"));
}

TEST_F(Plugins, LoadByNameSearchesThePluginPathAndALibraryWithoutTheVersionIsRefused) {
    ScopedEnv path("MAYA_PLUG_IN_PATH",
                   "/nonexistent:" + pluginFile.substr(0, pluginFile.rfind('/')));
    EXPECT_TRUE(zt::host::loadPlugin("graphTestPlugin"));
    EXPECT_EQ(zt::host::pluginPath("graphTestPlugin").substr(0, 1), "/");
    ASSERT_TRUE(zt::host::unloadPlugin("graphTestPlugin"));
    EXPECT_TRUE(zt::host::loadPlugin("graphTestPlugin.so"));
    ASSERT_TRUE(zt::host::unloadPlugin("graphTestPlugin"));

    std::string error;
    EXPECT_EQ(zt::host::loadPlugin("noSuchPlugin", nullptr, &error).statusCode(),
              MStatus::kNotFound);
    EXPECT_NE(error.find("noSuchPlugin"), std::string::npos);

    const std::string library = std::string(ZT_BINARY_DIR) + "/lib/libztHost.so";
    EXPECT_FALSE(zt::host::loadPlugin(library, nullptr, &error));
    EXPECT_NE(error.find("MApiVersion"), std::string::npos) << error;
    EXPECT_FALSE(zt::host::isPluginLoaded("libztHost"));
}

TEST_F(Plugins, AFailedInitializationKeepsWhatWasRegisteredAndRegistrationFailuresReachIt) {
    {
        ScopedEnv fail("GRAPH_TEST_PLUGIN_FAIL", "1");
        EXPECT_FALSE(zt::host::loadPlugin(pluginFile));
    }
    EXPECT_TRUE(zt::host::nodeTypeExists("graphPluginNode"));
    EXPECT_FALSE(zt::commands::commandExists("graphPluginCommand"));
    // It stays in its failed state until unloaded.
    EXPECT_FALSE(zt::host::loadPlugin(pluginFile));
    zt::host::unloadPlugin("graphTestPlugin");
    EXPECT_FALSE(zt::host::nodeTypeExists("graphPluginNode"));
    EXPECT_TRUE(zt::host::loadPlugin(pluginFile));

    // A registration failure reaches the plug-in.
    ASSERT_TRUE(zt::host::unloadPlugin("graphTestPlugin"));
    zt::host::testing::failNextRegistrationOf("graphPluginNode");
    EXPECT_FALSE(zt::host::loadPlugin(pluginFile));
    EXPECT_FALSE(zt::host::nodeTypeExists("graphPluginNode"));
}

}  // namespace
}  // namespace graphtest
