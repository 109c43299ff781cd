#include "viewport/cameraMath.h"

#include <algorithm>
#include <cmath>

namespace zt::host {

bool isValidLens(const CameraLens& lens) {
    auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
    if (!positive(lens.nearClipPlane) || !positive(lens.farClipPlane) ||
        lens.farClipPlane <= lens.nearClipPlane)
        return false;
    if (lens.orthographic) return positive(lens.orthographicWidth);
    return positive(lens.focalLength) && positive(lens.horizontalFilmAperture);
}

Matrix4 identityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[row * 4 + k] * b[k * 4 + col];
            r[row * 4 + col] = sum;
        }
    return r;
}

bool invert(const Matrix4& m, Matrix4& inverse) {
    // Gauss-Jordan elimination with partial pivoting on [m | I].
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            if (!std::isfinite(m[r * 4 + c])) return false;
            a[r][c] = m[r * 4 + c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300) return false;
        if (pivot != col)
            for (int c = 0; c < 8; ++c) std::swap(a[pivot][c], a[col][c]);
        const double scale = 1.0 / a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            const double f = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) inverse[r * 4 + c] = a[r][c + 4];
    return true;
}

namespace {

// tan of half the horizontal angle of view.
double halfWidthSlope(const CameraLens& lens) {
    return lens.horizontalFilmAperture * kMillimetresPerInch * 0.5 / lens.focalLength;
}

}  // namespace

double horizontalFieldOfView(const CameraLens& lens) {
    return 2.0 * std::atan(halfWidthSlope(lens));
}

Matrix4 projectionMatrix(const CameraLens& lens, double aspect) {
    const double n = lens.nearClipPlane;
    const double f = lens.farClipPlane;
    Matrix4 p{};
    if (lens.orthographic) {
        const double right = lens.orthographicWidth * 0.5;
        const double top = right / aspect;
        p[0] = 1.0 / right;
        p[5] = 1.0 / top;
        p[10] = -2.0 / (f - n);
        p[14] = -(f + n) / (f - n);
        p[15] = 1.0;
        return p;
    }
    const double right = n * halfWidthSlope(lens);
    const double top = right / aspect;
    p[0] = n / right;
    p[5] = n / top;
    p[10] = -(f + n) / (f - n);
    p[11] = -1.0;
    p[14] = -2.0 * f * n / (f - n);
    return p;
}

WindowPoint projectToWindow(const std::array<double, 3>& point, const Matrix4& worldToCamera,
                            const Matrix4& projection, int width, int height) {
    const Matrix4 m = multiply(worldToCamera, projection);
    double clip[4];
    for (int c = 0; c < 4; ++c)
        clip[c] = point[0] * m[c] + point[1] * m[4 + c] + point[2] * m[8 + c] + m[12 + c];
    WindowPoint w;
    w.inFront = clip[3] > 0.0;
    if (clip[3] == 0.0) return w;
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
    w.x = (nx + 1.0) * 0.5 * width;
    w.y = (1.0 - ny) * 0.5 * height;
    w.depth = (nz + 1.0) * 0.5;
    return w;
}

Matrix4 frameBox(const Matrix4& cameraToWorld, const std::array<double, 3>& boxMin,
                 const std::array<double, 3>& boxMax, const CameraLens& lens, double aspect,
                 double fitFactor, double& orthographicWidth) {
    double centre[3], radius2 = 0.0;
    for (int i = 0; i < 3; ++i) {
        centre[i] = 0.5 * (boxMin[i] + boxMax[i]);
        const double half = 0.5 * (boxMax[i] - boxMin[i]);
        radius2 += half * half;
    }
    const double factor = fitFactor > 0.0 ? fitFactor : 1.0;
    const double radius = std::max(std::sqrt(radius2), 1e-6) / factor;

    // The camera looks down its own -z axis, so it backs away along +z.
    double back[3] = {cameraToWorld[8], cameraToWorld[9], cameraToWorld[10]};
    const double backLength = std::sqrt(back[0] * back[0] + back[1] * back[1] + back[2] * back[2]);
    if (backLength > 0.0)
        for (double& b : back) b /= backLength;
    else
        back[0] = 0.0, back[1] = 0.0, back[2] = 1.0;

    double distance;
    if (lens.orthographic) {
        orthographicWidth = 2.0 * radius * std::max(1.0, aspect);
        distance = radius + lens.nearClipPlane + 1.0;
    } else {
        const double slopeX = halfWidthSlope(lens);
        const double slopeY = slopeX / aspect;
        const double halfAngle = std::atan(std::min(slopeX, slopeY));
        distance = radius / std::sin(halfAngle);
        orthographicWidth = lens.orthographicWidth;
    }
    Matrix4 framed = cameraToWorld;
    for (int i = 0; i < 3; ++i) framed[12 + i] = centre[i] + back[i] * distance;
    return framed;
}

}  // namespace zt::host
