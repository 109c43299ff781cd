#pragma once
// 4x4 float matrix, row-major, row-vector convention like MMatrix.

#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <cassert>
#include <iosfwd>

#define MFloatMatrix_kTol 1.0e-5F

class OPENMAYA_EXPORT MFloatMatrix {
public:
    constexpr MFloatMatrix() : matrix{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    MFloatMatrix(const MFloatMatrix& src) = default;
    MFloatMatrix(const double m[4][4]);
    MFloatMatrix(const float m[4][4]);
    ~MFloatMatrix() = default;

    MFloatMatrix& operator=(const MFloatMatrix&) = default;
    float operator()(unsigned int row, unsigned int col) const {
        assert(row < 4 && col < 4);
        return matrix[row][col];
    }
    float& operator()(unsigned int row, unsigned int col) {
        assert(row < 4 && col < 4);
        return matrix[row][col];
    }
    const float* operator[](unsigned int row) const {
        assert(row < 4);
        return matrix[row];
    }
    float* operator[](unsigned int row) {
        assert(row < 4);
        return matrix[row];
    }
    MStatus get(double dest[4][4]) const;
    MStatus get(float dest[4][4]) const;
    // Computed in double precision; a singular matrix gives the identity.
    MFloatMatrix inverse() const;
    MFloatMatrix transpose() const;
    MFloatMatrix& setToIdentity();
    MFloatMatrix operator*(const MFloatMatrix& right) const;
    bool operator==(const MFloatMatrix& other) const;
    bool operator!=(const MFloatMatrix& other) const;
    bool isEquivalent(const MFloatMatrix& other, float tolerance = MFloatMatrix_kTol) const;

    friend OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& os, const MFloatMatrix& m);

    float matrix[4][4];
};
