#pragma once
// 4x4 double matrix, row-major, row-vector convention (p' = p * M, translation
// in row 3). The memory layout is the one glLoadMatrixd expects.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

#define MMatrix_kTol 1.0e-10

class OPENMAYA_EXPORT MMatrix {
public:
    constexpr MMatrix() : matrix{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    MMatrix(const MMatrix& src) = default;
    MMatrix(const double m[4][4]);
    MMatrix(const float m[4][4]);
    ~MMatrix() = default;

    MMatrix& operator=(const MMatrix&) = default;
    double operator()(unsigned int row, unsigned int col) const {
        assert(row < 4 && col < 4);
        return matrix[row][col];
    }
    double& operator()(unsigned int row, unsigned int col) {
        assert(row < 4 && col < 4);
        return matrix[row][col];
    }
    const double* operator[](unsigned int row) const {
        assert(row < 4);
        return matrix[row];
    }
    double* operator[](unsigned int row) {
        assert(row < 4);
        return matrix[row];
    }
    MStatus get(double dest[4][4]) const;
    MStatus get(float dest[4][4]) const;
    MMatrix transpose() const;
    MMatrix& setToIdentity();
    MMatrix operator*(const MMatrix& right) const;
    MMatrix& operator*=(const MMatrix& right);
    MMatrix operator*(double) const;
    MMatrix operator+(const MMatrix& right) const;
    MMatrix operator-(const MMatrix& right) const;
    bool operator==(const MMatrix& other) const;
    bool operator!=(const MMatrix& other) const;
    // General inverse; a singular (or non-finite) matrix gives the identity.
    MMatrix inverse() const;
    double det4x4() const;
    double det3x3() const;
    bool isEquivalent(const MMatrix& other, double tolerance = MMatrix_kTol) const;

    friend MMatrix operator*(double s, const MMatrix& m) { return m * s; }
    // Writes "[[a, b, c, d], [e, f, g, h], ...]" row by row.
    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MMatrix& m);

    double matrix[4][4];

    static const MMatrix identity;
};
