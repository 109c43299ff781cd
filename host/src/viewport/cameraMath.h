#pragma once
// Camera maths of the viewport: lens projection, projection of points to
// pixels and framing of bounding boxes.
//
// Matrices are 16 doubles in the host's row-vector convention (p' = p * M,
// element [row * 4 + col], translation in elements 12..14). That memory layout
// is also what glLoadMatrixd expects, so a matrix goes to OpenGL unchanged.

#include <array>

namespace zt::host {

using Matrix4 = std::array<double, 16>;

constexpr double kMillimetresPerInch = 25.4;

// The camera attributes that shape the projection, with the values of the
// default perspective camera. The film apertures are in inches, the focal
// length in millimetres. The film gate is fitted horizontally: the horizontal
// aperture fills the picture's width whatever the picture's aspect ratio.
struct CameraLens {
    double focalLength = 35.0;
    double horizontalFilmAperture = 1.41732;
    double verticalFilmAperture = 0.94488;
    double nearClipPlane = 0.1;
    double farClipPlane = 10000.0;
    bool orthographic = false;
    double orthographicWidth = 30.0;
};

// Whether the lens can form a picture: finite positive focal length, aperture
// and orthographic width, and 0 < near < far.
bool isValidLens(const CameraLens& lens);

Matrix4 identityMatrix();

// The product a * b: transforming by a, then by b.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);

// The inverse of m. Returns false (and leaves `inverse` unchanged) when m is
// singular or not finite.
bool invert(const Matrix4& m, Matrix4& inverse);

// The full horizontal angle of view in radians of a perspective lens.
double horizontalFieldOfView(const CameraLens& lens);

// The OpenGL projection matrix for a picture of the given aspect (width / height).
Matrix4 projectionMatrix(const CameraLens& lens, double aspect);

// A point in window coordinates: x to the right and y downwards in pixels
// from the picture's top-left corner, depth from 0 (near) to 1 (far).
struct WindowPoint {
    double x = 0.0;
    double y = 0.0;
    double depth = 0.0;
    bool inFront = false;  // in front of the camera (positive clip w)
};

WindowPoint projectToWindow(const std::array<double, 3>& point, const Matrix4& worldToCamera,
                            const Matrix4& projection, int width, int height);

// The camera-to-world matrix that keeps the camera's orientation and moves it
// along its viewing axis so that the box from boxMin to boxMax fits in its
// view (the box's bounding sphere fills the narrower angle of view, divided by
// fitFactor). For an orthographic lens the camera is also moved and the
// orthographic width needed is written to `orthographicWidth`.
Matrix4 frameBox(const Matrix4& cameraToWorld, const std::array<double, 3>& boxMin,
                 const std::array<double, 3>& boxMax, const CameraLens& lens, double aspect,
                 double fitFactor, double& orthographicWidth);

}  // namespace zt::host
