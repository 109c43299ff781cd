#pragma once
// Basic types, export macros and callback signatures shared by the whole API.

#include <cstddef>

// The API level this host implements: the one the plug-ins are built against.
#define MAYA_API_VERSION 201402

// Everything the host library exports is visible; plug-ins are built with
// hidden visibility and mark only their entry points.
#define ZT_API_VISIBLE __attribute__((visibility("default")))
#define FND_EXPORT ZT_API_VISIBLE
#define OPENMAYA_EXPORT ZT_API_VISIBLE
#define OPENMAYAUI_EXPORT ZT_API_VISIBLE
#define OPENMAYAFX_EXPORT ZT_API_VISIBLE
#define OPENMAYAANIM_EXPORT ZT_API_VISIBLE
#define OPENMAYARENDER_EXPORT ZT_API_VISIBLE

// Plug-in entry points are looked up by their plain C names.
#define PLUGIN_EXPORT extern "C" ZT_API_VISIBLE

typedef signed short short2[2];
typedef signed short short3[3];
typedef signed int int2[2];
typedef signed int int3[3];
typedef signed int long2[2];
typedef signed int long3[3];
typedef float float2[2];
typedef float float3[3];
typedef double double2[2];
typedef double double3[3];
typedef double double4[4];

class MStatus;
class MSyntax;
class MObject;

typedef void* (*MCreatorFunction)();
typedef MSyntax (*MCreateSyntaxFunction)();
typedef MStatus (*MInitializeFunction)();

class OPENMAYA_EXPORT MSpace {
public:
    enum Space {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kPostTransform = 3,
        kWorld = 4,
        kObject = kPreTransform,
        kLast = 5
    };
};

// Host code reaches the shared storage of the array classes through this
// accessor (host/src/base/arrayStorage.h); the arrays befriend it.
namespace zt {
namespace host {
struct ArrayStorage;
}
}  // namespace zt
