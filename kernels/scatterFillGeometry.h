#pragma once
// Plane geometry of the gap fill (scatterFill.cpp): the disk a point's ball
// cuts from a triangle's plane, and whether a triangle lies in the union of
// two such disks.

namespace zt {
namespace fill {

// A ball of radius r cut by a triangle's plane.
struct Disk {
    double x, y;  // centre in plane coordinates
    double rho2;  // squared radius
    double rho;
};

inline bool inDisk(const Disk& d, double x, double y) {
    const double dx = x - d.x, dy = y - d.y;
    return dx * dx + dy * dy <= d.rho2;
}

// Whether the triangle q (plane coordinates) lies in the union of disks a
// and b. On a's side of their radical line (where the power of a point to a
// is the smaller) the union is a alone, on b's side b alone; each side of
// the triangle is a convex polygon, which lies in a disk when its corners
// do: the triangle corners on that side and the crossings of its edges with
// the line.
inline bool inDiskPair(const double (&q)[3][2], const Disk& a, const Disk& b) {
    // f(p) = power to a - power to b, linear in p.
    const double gx = 2.0 * (b.x - a.x), gy = 2.0 * (b.y - a.y);
    const double g0 = a.x * a.x + a.y * a.y - a.rho2 - b.x * b.x - b.y * b.y + b.rho2;
    double f[3];
    for (int k = 0; k < 3; ++k) {
        f[k] = gx * q[k][0] + gy * q[k][1] + g0;
        if (f[k] <= 0.0 && !inDisk(a, q[k][0], q[k][1])) return false;
        if (f[k] >= 0.0 && !inDisk(b, q[k][0], q[k][1])) return false;
    }
    for (int k = 0; k < 3; ++k) {
        const int j = (k + 1) % 3;
        if ((f[k] < 0.0) == (f[j] < 0.0) || f[k] == f[j]) continue;
        const double u = f[k] / (f[k] - f[j]);
        const double x = q[k][0] + u * (q[j][0] - q[k][0]);
        const double y = q[k][1] + u * (q[j][1] - q[k][1]);
        if (!inDisk(a, x, y) || !inDisk(b, x, y)) return false;
    }
    return true;
}

}  // namespace fill
}  // namespace zt
