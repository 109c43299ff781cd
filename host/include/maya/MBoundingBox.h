#pragma once
// Axis-aligned box. A default box is empty: it contains nothing, measures 0
// and the first expand() makes it the point or box given.

#include <maya/MPoint.h>
#include <maya/MTypes.h>

class MMatrix;

class OPENMAYA_EXPORT MBoundingBox {
public:
    MBoundingBox();
    MBoundingBox(const MBoundingBox& src) = default;
    // The box spanned by two opposite corners, in any order.
    MBoundingBox(const MPoint& corner1, const MPoint& corner2);
    ~MBoundingBox() = default;

    void clear();
    // Replaces the box by the bounds of its eight transformed corners.
    void transformUsing(const MMatrix& matrix);
    // Points with a NaN coordinate are ignored.
    void expand(const MPoint& point);
    void expand(const MBoundingBox& box);
    bool contains(const MPoint& point) const;
    bool intersects(const MBoundingBox& box, double tol = 0.0) const;
    double width() const;
    double height() const;
    double depth() const;
    MPoint center() const;
    MPoint min() const;
    MPoint max() const;
    MBoundingBox& operator=(const MBoundingBox& other) = default;

private:
    bool empty_;
    MPoint min_;
    MPoint max_;
};
