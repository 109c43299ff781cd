// Vector maths: products, rotations (axis, quaternion, matrix agree), matrix
// inverse, the row-vector convention, bounding boxes.

#include <gtest/gtest.h>

#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;

template <class T>
std::string printed(const T& value) {
    std::ostringstream os;
    os << value;
    return os.str();
}

MMatrix translation(double x, double y, double z) {
    MMatrix m;
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
    return m;
}

MMatrix scaling(double x, double y, double z) {
    MMatrix m;
    m[0][0] = x;
    m[1][1] = y;
    m[2][2] = z;
    return m;
}

class RandomValues {
public:
    explicit RandomValues(unsigned seed) : engine_(seed) {}
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(engine_);
    }
    MVector vector() { return MVector(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)); }
    MVector direction() {
        MVector v;
        do v = vector();
        while (v.length() < 0.1);
        return v.normal();
    }
    // Rotation, non-uniform scale and translation composed with a random
    // shear: invertible and reasonably conditioned.
    MMatrix transform() {
        MMatrix m = MQuaternion(uniform(-kPi, kPi), direction()).asMatrix() *
                    scaling(uniform(0.5, 3), uniform(0.5, 3), uniform(0.5, 3)) *
                    translation(uniform(-10, 10), uniform(-10, 10), uniform(-10, 10));
        m[0][1] += uniform(-0.3, 0.3);
        m[2][0] += uniform(-0.3, 0.3);
        return m;
    }

private:
    std::mt19937 engine_;
};

}  // namespace

TEST(VectorProducts, CrossDotLengthNormalAndAngle) {
    EXPECT_EQ(MVector::xAxis ^ MVector::yAxis, MVector::zAxis);
    EXPECT_EQ(MVector::yAxis ^ MVector::zAxis, MVector::xAxis);
    EXPECT_EQ(MVector::zAxis ^ MVector::xAxis, MVector::yAxis);
    EXPECT_EQ(MVector(1, 2, 3) * MVector(4, -5, 6), 12.0);

    RandomValues random(1);
    for (int i = 0; i < 100; ++i) {
        const MVector a = random.vector();
        const MVector b = random.vector();
        const MVector c = a ^ b;
        EXPECT_NEAR(c * a, 0.0, 1e-12);
        EXPECT_NEAR(c * b, 0.0, 1e-12);
        EXPECT_TRUE((b ^ a).isEquivalent(-c, 1e-15));
    }

    EXPECT_DOUBLE_EQ(MVector(3, 4, 12).length(), 13.0);
    EXPECT_TRUE(MVector(0, 0, -5).normal().isEquivalent(MVector::zNegAxis));
    MVector zero;
    EXPECT_EQ(zero.normalize(), MS::kSuccess);
    EXPECT_EQ(zero, MVector::zero);
    EXPECT_EQ(MVector::zero.normal(), MVector::zero);

    EXPECT_NEAR(MVector::xAxis.angle(MVector::yAxis), kPi / 2, 1e-15);
    EXPECT_NEAR(MVector(2, 0, 0).angle(MVector(-1, 0, 0)), kPi, 1e-15);
    EXPECT_EQ(MVector(1, 1, 0).angle(MVector(2, 2, 0)), 0.0);
    EXPECT_EQ(MVector::zero.angle(MVector::xAxis), 0.0);
    // Nearly parallel vectors keep their small angle.
    EXPECT_NEAR(MVector(1, 0, 0).angle(MVector(1, 1e-9, 0)), 1e-9, 1e-18);

    EXPECT_EQ(2 * MVector(1, 2, 3), MVector(2, 4, 6));
    EXPECT_EQ(0.5f * MVector(2, 4, 6), MVector(1, 2, 3));
    EXPECT_EQ(MVector(2, 4, 6) / 2.0, MVector(1, 2, 3));
    EXPECT_TRUE(MVector(1, 2, 3).isEquivalent(MVector(1, 2, 3 + 1e-11)));
    EXPECT_FALSE(MVector(1, 2, 3).isEquivalent(MVector(1, 2, 3 + 1e-9)));
}

TEST(Rotations, AxisQuaternionAndMatrixRotationsAgreeAndAreRightHanded) {
    EXPECT_TRUE(MVector::xAxis.rotateBy(MVector::kZaxis, kPi / 2).isEquivalent(MVector::yAxis));
    EXPECT_TRUE(MVector::yAxis.rotateBy(MVector::kXaxis, kPi / 2).isEquivalent(MVector::zAxis));
    EXPECT_TRUE(MVector::zAxis.rotateBy(MVector::kYaxis, kPi / 2).isEquivalent(MVector::xAxis));

    RandomValues random(2);
    for (int i = 0; i < 200; ++i) {
        const MVector v = random.vector();
        const MVector axis = random.direction();
        const double angle = random.uniform(-kPi, kPi);
        const MQuaternion q(angle, axis);
        const MVector byQuaternion = v.rotateBy(q);
        ASSERT_TRUE(byQuaternion.isEquivalent(v * q.asMatrix(), 1e-12));
        ASSERT_NEAR(byQuaternion.length(), v.length(), 1e-12);
        // The component along the axis is unchanged and the rest turns by angle.
        ASSERT_NEAR(byQuaternion * axis, v * axis, 1e-12);
        const MVector flatBefore = v - axis * (v * axis);
        const MVector flatAfter = byQuaternion - axis * (byQuaternion * axis);
        if (flatBefore.length() > 1e-3) {
            ASSERT_NEAR(flatBefore.angle(flatAfter), std::fabs(angle), 1e-9);
            ASSERT_GT(((flatBefore ^ flatAfter) * axis) * angle, 0.0);  // the sense of turn
        }
    }
    const MQuaternion aboutZ(0.7, MVector::zAxis);
    EXPECT_TRUE(MVector(1, 2, 3).rotateBy(aboutZ).isEquivalent(
        MVector(1, 2, 3).rotateBy(MVector::kZaxis, 0.7), 1e-14));
}

TEST(Rotations, ProductsComposeInOrderAndTurnOneVectorIntoAnother) {
    RandomValues random(3);
    for (int i = 0; i < 50; ++i) {
        const MQuaternion a(random.uniform(-kPi, kPi), random.direction());
        const MQuaternion b(random.uniform(-kPi, kPi), random.direction());
        EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-12));
        const MVector v = random.vector();
        EXPECT_TRUE(v.rotateBy(a * b).isEquivalent(v.rotateBy(a).rotateBy(b), 1e-12));
        EXPECT_TRUE((a * a.inverse()).isEquivalent(MQuaternion::identity, 1e-12));
        const MMatrix m = a.asMatrix();
        EXPECT_NEAR(m.det4x4(), 1.0, 1e-12);
        EXPECT_TRUE((m * m.transpose()).isEquivalent(MMatrix::identity, 1e-12));
    }

    // The shortest turn from one vector to another.
    for (int i = 0; i < 100; ++i) {
        const MVector a = random.vector() * 3.0;
        const MVector b = random.vector();
        if (a.length() < 1e-3 || b.length() < 1e-3) continue;
        const MQuaternion q(a, b);
        EXPECT_TRUE(a.normal().rotateBy(q).isEquivalent(b.normal(), 1e-12));
        // The shortest turn: the angle between them, about their common normal.
        MVector axis;
        double angle = 0.0;
        ASSERT_TRUE(q.getAxisAngle(axis, angle));
        EXPECT_NEAR(angle, a.angle(b), 1e-9);
    }
    const MVector v(0.3, -2, 1);
    EXPECT_TRUE(v.normal().rotateBy(MQuaternion(v, -v)).isEquivalent(-v.normal(), 1e-12));
    EXPECT_TRUE(MVector::xAxis.rotateBy(MQuaternion(MVector::xAxis, MVector::xNegAxis))
                    .isEquivalent(MVector::xNegAxis, 1e-12));
    EXPECT_TRUE(MQuaternion(v, v * 2.0).isEquivalent(MQuaternion::identity));
    EXPECT_TRUE(MQuaternion(MVector::zero, v).isEquivalent(MQuaternion::identity));
    EXPECT_TRUE(MQuaternion(1.0, MVector::zero).isEquivalent(MQuaternion::identity));
}

TEST(Matrices, InversesPivotAndSingularOrNonFiniteGiveIdentity) {
    RandomValues random(5);
    for (int i = 0; i < 200; ++i) {
        const MMatrix m = random.transform();
        const MMatrix inverse = m.inverse();
        ASSERT_TRUE((m * inverse).isEquivalent(MMatrix::identity, 1e-9)) << m;
        ASSERT_TRUE((inverse * m).isEquivalent(MMatrix::identity, 1e-9)) << m;
        ASSERT_NEAR(m.det4x4() * inverse.det4x4(), 1.0, 1e-9);
    }

    // Zero on the diagonal: elimination without row exchanges would fail.
    const double rows[4][4] = {{0, 2, 0, 1}, {1, 0, 3, 0}, {0, 1, 0, 4}, {2, 0, 1, 0}};
    const MMatrix m(rows);
    EXPECT_DOUBLE_EQ(m.det4x4(), -35.0);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-12));

    const MMatrix flat = scaling(1, 0, 1);
    EXPECT_EQ(flat.det4x4(), 0.0);
    EXPECT_EQ(flat.inverse(), MMatrix::identity);
    MMatrix broken;
    broken[1][2] = std::nan("");
    EXPECT_EQ(broken.inverse(), MMatrix::identity);
}

TEST(Matrices, RowVectorConventionAccessAndPrinting) {
    const MMatrix move = translation(10, 20, 30);
    const MMatrix grow = scaling(2, 3, 4);
    EXPECT_EQ(MPoint(1, 2, 3) * move, MPoint(11, 22, 33));
    EXPECT_EQ(MVector(1, 2, 3) * move, MVector(1, 2, 3));  // directions do not translate
    // Scale first, then move: p * (S * T).
    EXPECT_EQ(MPoint(1, 1, 1) * (grow * move), MPoint(12, 23, 34));
    EXPECT_EQ(MPoint(1, 1, 1) * (move * grow), MPoint(22, 63, 124));
    MPoint p(1, 2, 3);
    p *= move;
    EXPECT_EQ(p, MPoint(11, 22, 33));
    // The column form multiplies by the transpose.
    const MMatrix m = RandomValues(6).transform();
    EXPECT_TRUE((m * MPoint(1, 2, 3, 1)).isEquivalent(MPoint(1, 2, 3, 1) * m.transpose(), 1e-12));
    EXPECT_TRUE((m * MVector(1, 2, 3)).isEquivalent(MVector(1, 2, 3) * m.transpose(), 1e-12));

    MMatrix e;
    EXPECT_EQ(e, MMatrix::identity);
    e(2, 3) = 5.0;
    EXPECT_EQ(e[2][3], 5.0);
    EXPECT_EQ(e.transpose()(3, 2), 5.0);
    EXPECT_EQ(e.setToIdentity(), MMatrix::identity);
    EXPECT_EQ(printed(translation(1, 2.5, 0)),
              "[[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [1, 2.5, 0, 1]]");
    EXPECT_EQ(scaling(2, 3, 4).det3x3(), 24.0);

    const MFloatMatrix f(translation(1, 2, 3).matrix);
    EXPECT_EQ(f(3, 1), 2.0f);
    const MFloatMatrix back = f.inverse();
    EXPECT_EQ(back(3, 2), -3.0f);
    EXPECT_TRUE((f * back).isEquivalent(MFloatMatrix()));
    EXPECT_EQ(MFloatPoint(1, 1, 1) * f, MFloatPoint(2, 3, 4));
    EXPECT_EQ(MFloatVector(1, 1, 1) * f, MFloatVector(1, 1, 1));
}

TEST(Points, HomogeneousCoordinatesAndColors) {
    EXPECT_EQ(MPoint(), MPoint(0, 0, 0, 1));
    EXPECT_EQ(MPoint(MVector(1, 2, 3)).w, 1.0);
    MPoint p(2, 4, 6, 2);
    EXPECT_EQ(p.cartesianize(), MPoint(1, 2, 3, 1));
    MPoint atInfinity(1, 2, 3, 0);
    EXPECT_EQ(atInfinity.cartesianize(), MPoint(1, 2, 3, 0));
    EXPECT_DOUBLE_EQ(MPoint(1, 2, 3).distanceTo(MPoint(4, 6, 3)), 5.0);
    EXPECT_DOUBLE_EQ(MPoint(2, 4, 6, 2).distanceTo(MPoint(1, 2, 3)), 0.0);
    EXPECT_EQ(MPoint(5, 5, 5) - MPoint(1, 2, 3), MVector(4, 3, 2));
    EXPECT_EQ(MPoint(1, 2, 3) + MVector(1, 1, 1), MPoint(2, 3, 4));
    EXPECT_EQ(printed(MPoint(0.5, -1, 2)), "[0.5, -1, 2, 1]");
    EXPECT_EQ(printed(MVector(1, 2.5, -3)), "[1, 2.5, -3]");
    // Vectors follow the stream's number format, as labels drawn with
    // fixed notation and three decimals rely on.
    std::ostringstream fixed;
    fixed << std::fixed << std::setprecision(3) << MVector(1, 2.5, -1.6223161220550537);
    EXPECT_EQ(fixed.str(), "[1.000, 2.500, -1.622]");
    EXPECT_EQ(MFloatPoint(MPoint(0.5, 1, 2)), MFloatPoint(0.5f, 1.0f, 2.0f));

    EXPECT_EQ(MColor(), MColor::kOpaqueBlack);
    EXPECT_EQ(MColor(0.5f), MColor(0, 0, 0, 0.5f));
    const float rgb[3] = {0.1f, 0.2f, 0.3f};
    EXPECT_EQ(MColor(rgb).a, 1.0f);
    EXPECT_EQ(MColor(0.5f, 1.0f, 0.0f, 1.0f) * 0.5f, MColor(0.25f, 0.5f, 0.0f, 0.5f));
    float out[3] = {};
    EXPECT_TRUE(MColor(1, 0.5f, 0.25f).get(out));
    EXPECT_EQ(out[1], 0.5f);
    EXPECT_EQ(printed(MColor(1, 0.5f, 0)), "[1, 0.5, 0, 1]");
}

TEST(BoundingBoxes, EmptyExpandContainAndTransform) {
    MBoundingBox box;
    EXPECT_EQ(box.width(), 0.0);
    EXPECT_EQ(box.height(), 0.0);
    EXPECT_EQ(box.depth(), 0.0);
    EXPECT_FALSE(box.contains(MPoint::origin));
    box.expand(MBoundingBox());
    EXPECT_FALSE(box.contains(MPoint::origin));
    box.transformUsing(translation(1, 2, 3));
    EXPECT_FALSE(box.contains(MPoint(1, 2, 3)));

    box.expand(MPoint(1, 2, 3));
    EXPECT_EQ(box.min(), MPoint(1, 2, 3));
    EXPECT_EQ(box.max(), MPoint(1, 2, 3));
    EXPECT_TRUE(box.contains(MPoint(1, 2, 3)));
    EXPECT_EQ(box.width(), 0.0);

    box.clear();
    EXPECT_FALSE(box.contains(MPoint(1, 2, 3)));
    box.expand(MBoundingBox(MPoint(0, 0, 0), MPoint(1, 1, 1)));
    EXPECT_EQ(box.max(), MPoint(1, 1, 1));

    MBoundingBox b(MPoint(3, -1, 2), MPoint(1, 4, 0));  // corners in any order
    EXPECT_EQ(b.min(), MPoint(1, -1, 0));
    EXPECT_EQ(b.max(), MPoint(3, 4, 2));
    EXPECT_EQ(b.center(), MPoint(2, 1.5, 1));
    EXPECT_TRUE(b.contains(MPoint(3, 4, 2)));  // faces are inside
    EXPECT_FALSE(b.contains(MPoint(3.001, 0, 1)));

    b.expand(MPoint(std::nan(""), 100, 100));  // ignored
    EXPECT_EQ(b.max(), MPoint(3, 4, 2));
    b.expand(MPoint(-2, 0, 10));
    EXPECT_EQ(b.min(), MPoint(-2, -1, 0));
    EXPECT_EQ(b.depth(), 10.0);
    b.expand(MBoundingBox(MPoint(0, 0, 0), MPoint(0, 9, 0)));
    EXPECT_EQ(b.height(), 10.0);
    EXPECT_TRUE(b.intersects(MBoundingBox(MPoint(3, 4, 10), MPoint(5, 5, 11))));
    EXPECT_FALSE(b.intersects(MBoundingBox(MPoint(3.5, 0, 0), MPoint(5, 5, 5))));

    MBoundingBox cube(MPoint(-0.5, -0.5, -0.5), MPoint(0.5, 0.5, 0.5));
    cube.transformUsing(MQuaternion(kPi / 4, MVector::zAxis).asMatrix() * translation(5, 0, 0));
    EXPECT_NEAR(cube.width(), std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(cube.height(), std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(cube.depth(), 1.0, 1e-12);
    EXPECT_TRUE(cube.center().isEquivalent(MPoint(5, 0, 0), 1e-12));

    MBoundingBox mirrored(MPoint(0, 0, 0), MPoint(1, 2, 3));
    mirrored.transformUsing(scaling(-2, 1, 1));
    EXPECT_EQ(mirrored.min(), MPoint(-2, 0, 0));
    EXPECT_EQ(mirrored.max(), MPoint(0, 2, 3));
}
