// Start-up of the stand-in host and new scenes.

#include "hostInit.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include "graph/scene.h"
#include "graph/sceneImpl.h"
#include "viewport/cameraNode.h"

namespace zt::host {

void startHost() {
    static bool started = false;
    if (started) return;
    started = true;
    registerGraphNodeTypes();
    registerMeshNodeTypes();
    registerViewportNodeTypes();
    registerRenderNodeTypes();
    registerCoreCommands();
    registerMeshCommands();
    registerViewportCommands();
    registerDeformerSupport();
    newScene();
}

void newScene() {
    clearScene();
    createDefaultSceneNodes();
}

void createDefaultSceneNodes() {
    MStatus status;
    MObject time = createNode("time", "time1", MObject::kNullObj, &status);
    if (status) {
        scene().time = nodeOf(time);
        // A new scene stands on the first frame of its playback range.
        MFnDependencyNode(time).findPlug("outTime").setValue(playbackRange().minTime);
    }
    createDefaultCamera();
}

}  // namespace zt::host
