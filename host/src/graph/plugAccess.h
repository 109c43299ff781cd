#pragma once
// Conversions between MPlug and the host's PlugRef.

#include <maya/MPlug.h>

#include "graph/node.h"

namespace zt::host {

struct PlugAccess {
    static MPlug make(const PlugRef& ref) {
        MPlug plug;
        if (ref.isNull()) return plug;
        plug.node_ = ref.node->object();
        plug.attr_ = wrapAttribute(ref.attr);
        plug.indices_ = ref.indices;
        return plug;
    }
    // A null reference for a null plug or a plug of a deleted node.
    static PlugRef ref(const MPlug& plug) {
        PlugRef r;
        r.node = liveNodeOf(plug.node_);
        r.attr = attributeOf(plug.attr_);
        if (!r.node || !r.attr) return PlugRef{};
        r.indices = plug.indices_;
        return r;
    }
};

}  // namespace zt::host
