#pragma once
// Start-up of the stand-in host. Every program that uses the host (ztbatch,
// tests, benchmarks) calls startHost() once before touching the API.

namespace zt::host {

// Registers the built-in node types and commands and creates a new scene.
// Calling it again does nothing.
void startHost();

// Replaces the scene by a new one holding only the default nodes
// (time1, the persp camera). Registered types and loaded plug-ins stay.
void newScene();

// Registration hooks, one per area of the host; startHost() calls them in
// this order. Each area implements its own in its folder of host/src.
void registerGraphNodeTypes();     // graph/: time, transform
void registerMeshNodeTypes();      // mesh/: mesh
void registerViewportNodeTypes();  // viewport/: camera
void registerRenderNodeTypes();    // render/: file, ramp, colorConstant, place2dTexture
void registerCoreCommands();       // commands/: createNode, setAttr, ...
void registerMeshCommands();       // mesh/: polyPlane, polyCube, ...
void registerViewportCommands();   // viewport/: playblast, viewFit
void registerDeformerSupport();    // deformer/: deformer kind's compute, deformer
void createDefaultSceneNodes();    // graph/ time1, then viewport/ persp

}  // namespace zt::host
