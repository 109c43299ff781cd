// The host's own "locator" type: a marker shape drawn as three crossing
// lines, one along each axis, spanning localScale around localPosition.
// spaceLocator makes one under a new transform.

#include <maya/M3dView.h>
#include <maya/MBoundingBox.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MPoint.h>
#include <maya/MPxLocatorNode.h>
#include <maya/MTypeId.h>

#include "graph/registry.h"

namespace zt::host {

namespace {

class LocatorNode : public MPxLocatorNode {
public:
    static void* creator() { return new LocatorNode; }

    void draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
              M3dView::DisplayStatus status) override {
        MPoint lo, hi;
        extent(lo, hi);
        const MPoint c(0.5 * (lo.x + hi.x), 0.5 * (lo.y + hi.y), 0.5 * (lo.z + hi.z));
        const MColor color = colorRGB(status);
        view.beginGL();
        glBegin(GL_LINES);
        glColor3f(color.r, color.g, color.b);
        glVertex3d(lo.x, c.y, c.z);
        glVertex3d(hi.x, c.y, c.z);
        glVertex3d(c.x, lo.y, c.z);
        glVertex3d(c.x, hi.y, c.z);
        glVertex3d(c.x, c.y, lo.z);
        glVertex3d(c.x, c.y, hi.z);
        glEnd();
        view.endGL();
    }

    bool isBounded() const override { return true; }

    MBoundingBox boundingBox() const override {
        MPoint lo, hi;
        extent(lo, hi);
        return MBoundingBox(lo, hi);
    }

private:
    // The cross's corners in the locator's space.
    void extent(MPoint& lo, MPoint& hi) const {
        MObject self = thisMObject();
        const MPlug position(self, localPosition), scale(self, localScale);
        for (unsigned int k = 0; k < 3; ++k) {
            const double p = position.child(k).asDouble();
            const double s = scale.child(k).asDouble();
            lo[k] = p - s;
            hi[k] = p + s;
        }
    }
};

}  // namespace

MStatus registerLocatorNodeType() {
    // 'LCTR'
    return registerBuiltinNodeType("locator", MTypeId(0x4C435452), LocatorNode::creator, nullptr,
                                   MPxNode::kLocatorNode, MFn::kLocator);
}

}  // namespace zt::host
