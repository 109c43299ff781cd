#include <maya/MFloatMatrix.h>
#include <maya/MMatrix.h>

#include <cmath>
#include <ostream>
#include <utility>

#include "base/numberFormat.h"

using zt::host::formatNumber;

namespace {

using Rows = double[4][4];

bool allFinite(const Rows& m) {
    for (const auto& row : m) {
        for (double v : row) {
            if (!std::isfinite(v)) return false;
        }
    }
    return true;
}

// Gauss-Jordan elimination with partial pivoting. False when the matrix is
// singular or not finite; `result` is then unspecified.
bool invert(const Rows& source, Rows& result) {
    double a[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            a[r][c] = source[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        }
        if (a[pivot][col] == 0.0) return false;
        if (pivot != col) std::swap(a[pivot], a[col]);
        const double scale = 1.0 / a[col][col];
        for (double& v : a[col]) v *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            const double factor = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= factor * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result[r][c] = a[r][c + 4];
    }
    return allFinite(result);
}

double det3(double a, double b, double c, double d, double e, double f, double g, double h,
            double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

template <class T>
std::ostream& writeRows(std::ostream& os, const T (&m)[4][4]) {
    os << '[';
    for (int r = 0; r < 4; ++r) {
        os << (r > 0 ? ", [" : "[");
        for (int c = 0; c < 4; ++c) os << (c > 0 ? ", " : "") << formatNumber(m[r][c]);
        os << ']';
    }
    return os << ']';
}

}  // namespace

const MMatrix MMatrix::identity;

MMatrix::MMatrix(const double m[4][4]) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) matrix[r][c] = m[r][c];
    }
}

MMatrix::MMatrix(const float m[4][4]) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) matrix[r][c] = m[r][c];
    }
}

MStatus MMatrix::get(double dest[4][4]) const {
    if (dest == nullptr) return MS::kInvalidParameter;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) dest[r][c] = matrix[r][c];
    }
    return MS::kSuccess;
}

MStatus MMatrix::get(float dest[4][4]) const {
    if (dest == nullptr) return MS::kInvalidParameter;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) dest[r][c] = static_cast<float>(matrix[r][c]);
    }
    return MS::kSuccess;
}

MMatrix MMatrix::transpose() const {
    MMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = matrix[c][r];
    }
    return result;
}

MMatrix& MMatrix::setToIdentity() {
    return *this = MMatrix();
}

MMatrix MMatrix::operator*(const MMatrix& right) const {
    MMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += matrix[r][k] * right.matrix[k][c];
            result.matrix[r][c] = sum;
        }
    }
    return result;
}

MMatrix& MMatrix::operator*=(const MMatrix& right) {
    return *this = *this * right;
}

MMatrix MMatrix::operator*(double scale) const {
    MMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = matrix[r][c] * scale;
    }
    return result;
}

MMatrix MMatrix::operator+(const MMatrix& right) const {
    MMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = matrix[r][c] + right.matrix[r][c];
    }
    return result;
}

MMatrix MMatrix::operator-(const MMatrix& right) const {
    MMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = matrix[r][c] - right.matrix[r][c];
    }
    return result;
}

bool MMatrix::operator==(const MMatrix& other) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (matrix[r][c] != other.matrix[r][c]) return false;
        }
    }
    return true;
}

bool MMatrix::operator!=(const MMatrix& other) const {
    return !(*this == other);
}

MMatrix MMatrix::inverse() const {
    MMatrix result;
    if (!allFinite(matrix) || !invert(matrix, result.matrix)) return MMatrix();
    return result;
}

double MMatrix::det4x4() const {
    const auto& m = matrix;
    // Expansion along the first row.
    return m[0][0] * det3(m[1][1], m[1][2], m[1][3], m[2][1], m[2][2], m[2][3], m[3][1], m[3][2],
                          m[3][3]) -
           m[0][1] * det3(m[1][0], m[1][2], m[1][3], m[2][0], m[2][2], m[2][3], m[3][0], m[3][2],
                          m[3][3]) +
           m[0][2] * det3(m[1][0], m[1][1], m[1][3], m[2][0], m[2][1], m[2][3], m[3][0], m[3][1],
                          m[3][3]) -
           m[0][3] * det3(m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2], m[3][0], m[3][1],
                          m[3][2]);
}

double MMatrix::det3x3() const {
    const auto& m = matrix;
    return det3(m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]);
}

bool MMatrix::isEquivalent(const MMatrix& other, double tolerance) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (!(std::fabs(matrix[r][c] - other.matrix[r][c]) <= tolerance)) return false;
        }
    }
    return true;
}

std::ostream& operator<<(std::ostream& os, const MMatrix& m) {
    return writeRows(os, m.matrix);
}

// MFloatMatrix

MFloatMatrix::MFloatMatrix(const double m[4][4]) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) matrix[r][c] = static_cast<float>(m[r][c]);
    }
}

MFloatMatrix::MFloatMatrix(const float m[4][4]) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) matrix[r][c] = m[r][c];
    }
}

MStatus MFloatMatrix::get(double dest[4][4]) const {
    if (dest == nullptr) return MS::kInvalidParameter;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) dest[r][c] = matrix[r][c];
    }
    return MS::kSuccess;
}

MStatus MFloatMatrix::get(float dest[4][4]) const {
    if (dest == nullptr) return MS::kInvalidParameter;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) dest[r][c] = matrix[r][c];
    }
    return MS::kSuccess;
}

MFloatMatrix MFloatMatrix::inverse() const {
    double wide[4][4];
    get(wide);
    return MFloatMatrix(MMatrix(wide).inverse().matrix);
}

MFloatMatrix MFloatMatrix::transpose() const {
    MFloatMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) result.matrix[r][c] = matrix[c][r];
    }
    return result;
}

MFloatMatrix& MFloatMatrix::setToIdentity() {
    return *this = MFloatMatrix();
}

MFloatMatrix MFloatMatrix::operator*(const MFloatMatrix& right) const {
    MFloatMatrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += matrix[r][k] * right.matrix[k][c];
            result.matrix[r][c] = sum;
        }
    }
    return result;
}

bool MFloatMatrix::operator==(const MFloatMatrix& other) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (matrix[r][c] != other.matrix[r][c]) return false;
        }
    }
    return true;
}

bool MFloatMatrix::operator!=(const MFloatMatrix& other) const {
    return !(*this == other);
}

bool MFloatMatrix::isEquivalent(const MFloatMatrix& other, float tolerance) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (!(std::fabs(matrix[r][c] - other.matrix[r][c]) <= tolerance)) return false;
        }
    }
    return true;
}

std::ostream& operator<<(std::ostream& os, const MFloatMatrix& m) {
    return writeRows(os, m.matrix);
}
