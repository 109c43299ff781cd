#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>

#include <algorithm>
#include <cmath>

namespace {

bool hasNaN(const MPoint& p) {
    return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z);
}

}  // namespace

MBoundingBox::MBoundingBox() : empty_(true) {}

MBoundingBox::MBoundingBox(const MPoint& corner1, const MPoint& corner2) : empty_(true) {
    expand(corner1);
    expand(corner2);
}

void MBoundingBox::clear() {
    empty_ = true;
    min_ = MPoint::origin;
    max_ = MPoint::origin;
}

void MBoundingBox::expand(const MPoint& point) {
    MPoint p(point);
    p.cartesianize();
    if (hasNaN(p)) return;
    if (empty_) {
        min_ = MPoint(p.x, p.y, p.z);
        max_ = min_;
        empty_ = false;
        return;
    }
    min_ = MPoint(std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z));
    max_ = MPoint(std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z));
}

void MBoundingBox::expand(const MBoundingBox& box) {
    if (box.empty_) return;
    expand(box.min_);
    expand(box.max_);
}

void MBoundingBox::transformUsing(const MMatrix& matrix) {
    if (empty_) return;
    const MPoint lo = min_;
    const MPoint hi = max_;
    clear();
    for (int corner = 0; corner < 8; ++corner) {
        const MPoint p((corner & 1) ? hi.x : lo.x, (corner & 2) ? hi.y : lo.y,
                       (corner & 4) ? hi.z : lo.z);
        expand(p * matrix);
    }
}

bool MBoundingBox::contains(const MPoint& point) const {
    if (empty_) return false;
    MPoint p(point);
    p.cartesianize();
    return p.x >= min_.x && p.x <= max_.x && p.y >= min_.y && p.y <= max_.y && p.z >= min_.z &&
           p.z <= max_.z;
}

bool MBoundingBox::intersects(const MBoundingBox& box, double tol) const {
    if (empty_ || box.empty_) return false;
    return min_.x <= box.max_.x + tol && box.min_.x <= max_.x + tol && min_.y <= box.max_.y + tol &&
           box.min_.y <= max_.y + tol && min_.z <= box.max_.z + tol && box.min_.z <= max_.z + tol;
}

double MBoundingBox::width() const {
    return empty_ ? 0.0 : max_.x - min_.x;
}
double MBoundingBox::height() const {
    return empty_ ? 0.0 : max_.y - min_.y;
}
double MBoundingBox::depth() const {
    return empty_ ? 0.0 : max_.z - min_.z;
}

MPoint MBoundingBox::center() const {
    if (empty_) return MPoint::origin;
    return MPoint((min_.x + max_.x) * 0.5, (min_.y + max_.y) * 0.5, (min_.z + max_.z) * 0.5);
}

MPoint MBoundingBox::min() const {
    return min_;
}
MPoint MBoundingBox::max() const {
    return max_;
}
