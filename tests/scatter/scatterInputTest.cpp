// ztScatterPoints with settings and meshes at the edge of what it accepts:
// radii below the minimum, boxes that leave the mesh out, collapsed and
// oversized meshes. Each gets a message and a defined output.

#include <gtest/gtest.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MPlug.h>
#include <maya/MVectorArray.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/pluginScene.h"
#include "common/scratchDir.h"
#include "host/src/graph/messages.h"

namespace {

using zt::host::MessageKind;
namespace fs = std::filesystem;

class ScatterInput : public PluginScene {
protected:
    // A plane of the given size and a scatter node reading its mesh and box.
    static void planeScene(float size, float radius) {
        ASSERT_TRUE(mel("polyPlane -w " + std::to_string(size) + " -h " + std::to_string(size) +
                        " -sx 4 -sy 4; createNode ztScatterPoints -n sc;"
                        "connectAttr pPlaneShape1.outMesh sc.inMesh;"
                        "connectAttr pPlaneShape1.boundingBox sc.boundingBox;"
                        "setAttr sc.radius " +
                        std::to_string(radius) + ";"));
    }

    // A scatter node on a mesh imported from OBJ text, with a box by hand.
    void objScene(const std::string& obj, const std::string& box) {
        const fs::path path = dir_.path() / "mesh.obj";
        std::ofstream(path) << obj;
        ASSERT_TRUE(mel("file -import \"" + path.string() +
                        "\"; createNode ztScatterPoints -n sc;"
                        "connectAttr meshShape.outMesh sc.inMesh;" +
                        box));
    }

    static std::vector<double> positions(const MObject& data) {
        MFnArrayAttrsData fn(data);
        MFnArrayAttrsData::Type type;
        std::vector<double> xyz;
        if (!fn.checkArrayExist("position", type)) return xyz;
        const MVectorArray p = fn.getVectorData("position");
        for (unsigned int i = 0; i < p.length(); ++i)
            xyz.insert(xyz.end(), {p[i].x, p[i].y, p[i].z});
        return xyz;
    }

    static std::string setBox(float minX, float minY, float minZ, float maxX, float maxZ) {
        return "setAttr sc.boundingBoxMinX " + std::to_string(minX) +
               "; setAttr sc.boundingBoxMinY " + std::to_string(minY) +
               "; setAttr sc.boundingBoxMinZ " + std::to_string(minZ) +
               "; setAttr sc.boundingBoxMaxX " + std::to_string(maxX) +
               "; setAttr sc.boundingBoxMaxZ " + std::to_string(maxZ) + ";";
    }

    zt::testing::ScratchDir dir_{"scatter_input"};
};

TEST_F(ScatterInput, SettingsOutsideTheirLimitsAreClampedWithAWarning) {
    ASSERT_TRUE(mel("createNode ztScatterPoints -n sc;"));
    const struct {
        const char* command;
        const char* warning;  // "" when the value is in range
        double stored;
    } cases[] = {
        {"setAttr sc.radius 0",
         "sc.radius: 0 is below the attribute's minimum 0.001; 0.001 is used", 0.001},
        {"setAttr sc.radius -2.5",
         "sc.radius: -2.5 is below the attribute's minimum 0.001; 0.001 is used", 0.001},
        {"setAttr sc.radius 0.0005",
         "sc.radius: 0.0005 is below the attribute's minimum 0.001; 0.001 is used", 0.001},
        {"setAttr sc.radius 0.002", "", 0.002},
        {"setAttr sc.trials 25", "sc.trials: 25 is above the attribute's maximum 20; 20 is used",
         20},
        {"setAttr sc.trials 0", "sc.trials: 0 is below the attribute's minimum 1; 1 is used", 1},
        {"setAttr sc.trials 20", "", 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        zt::host::MessageCapture messages;
        ASSERT_TRUE(mel(std::string(c.command) + ";"));
        const std::vector<std::string> warnings = messages.texts(MessageKind::kWarning);
        if (*c.warning)
            EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
        else
            EXPECT_TRUE(warnings.empty());
        const std::string attribute = std::string(c.command).substr(8, 9);
        MPlug plug;
        ASSERT_TRUE(zt::host::plugFromString(attribute, plug)) << attribute;
        double value = 0;
        ASSERT_TRUE(plug.getValue(value));
        EXPECT_NEAR(value, c.stored, 1e-9);
    }
}

TEST_F(ScatterInput, AConnectedRadiusBelowTheMinimumIsRaisedWithAWarning) {
    // Connections bypass the attribute's limits; compute raises the radius
    // and says so, and the points equal those of the minimum radius.
    planeScene(0.02f, 0.001f);
    const std::vector<double> atMinimum = positions(points("sc.outPoints"));
    ASSERT_GT(atMinimum.size(), 30u);
    ASSERT_TRUE(mel("setAttr pPlane1.translateX 0.0000001; connectAttr pPlane1.tx sc.radius;"));
    zt::host::MessageCapture messages;
    MStatus status;
    const std::vector<double> raised = positions(points("sc.outPoints", &status));
    EXPECT_TRUE(status);
    EXPECT_EQ(raised, atMinimum);
    const std::vector<std::string> warnings = messages.texts(MessageKind::kWarning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(
        warnings[0].rfind("sc.radius: radius 1e-07 is below the minimum 0.001; 0.001 is used", 0),
        0u)
        << warnings[0];

    // Zero or a negative radius stays an error that keeps the output.
    ASSERT_TRUE(mel("setAttr pPlane1.translateX -1;"));
    zt::host::MessageCapture errors;
    EXPECT_EQ(positions(points("sc.outPoints")), atMinimum);
    EXPECT_EQ(errors.texts(MessageKind::kError),
              std::vector<std::string>{"sc.radius: the radius must be a positive finite number"});
}

TEST_F(ScatterInput, ABoxThatLeavesTheMeshOutGivesNoPointsAndAWarning) {
    planeScene(4.0f, 0.3f);
    ASSERT_GT(positions(points("sc.outPoints")).size(), 150u);
    ASSERT_TRUE(mel("disconnectAttr pPlaneShape1.boundingBox sc.boundingBox;"));
    const char* inverted =
        "sc.boundingBox: the bounding box is inverted (a maximum below its minimum); the output "
        "has no points";
    const char* outside =
        "sc.boundingBox: the bounding box does not overlap the mesh; the output has no points";
    const struct {
        const char* name;
        std::string box;
        const char* warning;  // "" when points are expected
    } cases[] = {
        {"inverted x", setBox(2, 0, -2, -2, 2), inverted},
        {"inverted z", setBox(-2, 0, 2, 2, -2), inverted},
        {"beyond x", setBox(10, 0, -2, 11, 2), outside},
        {"before z", setBox(-2, 0, -9, 2, -3), outside},
        {"above y", setBox(-2, 0.5f, -2, 2, 2), outside},
        {"part of the mesh", setBox(1, 0, 1, 3, 3), ""},
        {"touching an edge", setBox(2, -1, -2, 3, 2), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(mel(c.box));
        zt::host::MessageCapture messages;
        MStatus status;
        const MObject data = points("sc.outPoints", &status);
        EXPECT_TRUE(status);
        EXPECT_TRUE(messages.texts(MessageKind::kError).empty());
        const std::vector<std::string> warnings = messages.texts(MessageKind::kWarning);
        if (*c.warning) {
            EXPECT_EQ(warnings, std::vector<std::string>{c.warning});
            // The empty set, with its five channels, replaces the previous points.
            EXPECT_EQ(MFnArrayAttrsData(data).count(), 5u);
            EXPECT_TRUE(positions(data).empty());
        } else {
            EXPECT_TRUE(warnings.empty()) << warnings.front();
            EXPECT_GT(positions(data).size(), 0u);
        }
    }
}

TEST_F(ScatterInput, CollapsedAndOversizedMeshes) {
    // Each quad's area fits, the sum of four stacked quads does not.
    std::string stack;
    for (int y = 0; y < 4; ++y) {
        const std::string h = " " + std::to_string(y) + " ";
        stack += "v 0" + h + "0\nv 1.5e19" + h + "0\nv 1.5e19" + h + "1.5e19\nv 0" + h + "1.5e19\n";
        const int a = 4 * y + 1;
        stack += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " +
                 std::to_string(a + 2) + " " + std::to_string(a + 3) + "\n";
    }
    const struct {
        std::string obj, box;
        const char* error;  // nullptr: no message at all
    } cases[] = {
        // Every vertex at the origin: the box of zeros is its true box, and a
        // mesh without area keeps the output without an error.
        {"v 0 0 0\nv 0 0 0\nv 0 0 0\nf 1 2 3\n", "", nullptr},
        // Coordinates near the float limit: the extent does not square.
        {"v -3e38 0 -3e38\nv 3e38 0 -3e38\nv 3e38 0 3e38\nv -3e38 0 3e38\nf 1 2 3 4\n",
         setBox(-3e38f, 0, -3e38f, 3e38f, 3e38f),
         "sc.inMesh: the mesh is too large to scatter on (its extent squared exceeds the "
         "single-precision range)"},
        {stack, setBox(0, 0, 0, 1.5e19f, 1.5e19f),
         "sc.inMesh: the mesh's area exceeds the single-precision range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.obj.substr(0, 20));
        zt::host::newScene();
        objScene(c.obj, c.box);
        zt::host::MessageCapture messages;
        MStatus status;
        points("sc.outPoints", &status);
        if (c.error) {
            EXPECT_EQ(messages.texts(MessageKind::kError), std::vector<std::string>{c.error});
        } else {
            EXPECT_TRUE(status);
            EXPECT_TRUE(messages.messages().empty());
        }
    }
}

}  // namespace
