// 3D vectors, points and the maths singleton.
#include <KORA/KR_Camera.h>
#include <KORA/KR_Image.h>
#include <KORA/KR_Math.h>
#include <KORA/KR_Matrix2D.h>
#include <KORA/KR_Matrix3D.h>
#include <KORA/KR_Point3D.h>
#include <KORA/KR_Ray2D.h>
#include <KORA/KR_Vector3D.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <type_traits>
#include "output_capture.h"

using namespace KORA;

namespace {

void expectVector(const KR_Vector3D& v, float x, float y, float z, float tol = 1e-6f) {
  EXPECT_NEAR(v.data[0], x, tol);
  EXPECT_NEAR(v.data[1], y, tol);
  EXPECT_NEAR(v.data[2], z, tol);
}

KR_Vector3D atDegrees(double degrees) {
  const double r = degrees * 3.14159265358979323846 / 180.0;
  return KR_Vector3D(static_cast<float>(std::cos(r)), static_cast<float>(std::sin(r)), 0);
}

TEST(VectorLayout, VectorsCarryZeroAndPointsOneInTheFourthComponent) {
  const KR_Vector3D v(1, 2, 3);
  const KR_Point3D p(1, 2, 3);
  EXPECT_EQ(v.data[3], 0.0f);
  EXPECT_EQ(p.data[3], 1.0f);
  EXPECT_EQ(KR_Vector3D().data[3], 0.0f);
  EXPECT_EQ(KR_Point3D().data[3], 1.0f);
  KR_Point3D q(4, 5, 6);
  q.data[3] = 7;
  const KR_Point3D copy(q);
  EXPECT_EQ(copy.data[2], 6.0f);
  EXPECT_EQ(copy.data[3], 1.0f);
  const float raw[3] = {7, 8, 9};
  expectVector(KR_Vector3D(raw), 7, 8, 9, 0);
}

TEST(VectorArithmetic, DotSumDifferenceAndScaling) {
  KR_Vector3D a(1, 2, 3), b(4, -5, 6);
  EXPECT_EQ(a * b, 4 - 10 + 18);
  expectVector(a + b, 5, -3, 9, 0);
  expectVector(a - b, -3, 7, -3, 0);
  expectVector(a * 2, 2, 4, 6, 0);
  expectVector(b / 2, 2, -2.5f, 3, 0);
  KR_Vector3D c(a);
  c += b;
  expectVector(c, 5, -3, 9, 0);
  c -= b;
  expectVector(c, 1, 2, 3, 0);
  c *= 3;
  expectVector(c, 3, 6, 9, 0);
  c /= 3;
  expectVector(c, 1, 2, 3, 0);
}

TEST(VectorArithmetic, UnaryMinusNegatesTheVectorItself) {
  KR_Vector3D v(1, -2, 3);
  KR_Vector3D& r = -v;
  EXPECT_EQ(&r, &v);
  expectVector(v, -1, 2, -3, 0);
}

TEST(VectorArithmetic, SelfAssignmentKeepsTheValue) {
  KR_Vector3D v(1, 2, 3);
  KR_Vector3D& alias = v;
  v = alias;
  expectVector(v, 1, 2, 3, 0);
}

TEST(VectorLength, LengthAndNormalize) {
  KR_Vector3D v(3, 4, 0);
  EXPECT_EQ(v.length(), 5.0f);
  EXPECT_EQ(v.normalize(), 5.0f);
  expectVector(v, 0.6f, 0.8f, 0);
}

TEST(VectorLength, NormalizeOfTheZeroVectorGivesOnes) {
  KR_Vector3D v;
  EXPECT_EQ(v.normalize(), 0.0f);
  expectVector(v, 1, 1, 1, 0);
  KR_Vector3D negativeZero(-0.0f, 0.0f, -0.0f);
  negativeZero.normalize();
  expectVector(negativeZero, 1, 1, 1, 0);
}

TEST(VectorAngles, DegreesAndRadiansBetween) {
  EXPECT_NEAR(KR_Vector3D(1, 0, 0).getDegreesBetween(KR_Vector3D(0, 1, 0)), 90.0f, 1e-4);
  EXPECT_NEAR(KR_Vector3D(1, 0, 0).getDegreesBetween(KR_Vector3D(1, 1, 0)), 45.0f, 1e-4);
  EXPECT_NEAR(KR_Vector3D(1, 0, 0).getDegreesBetween(KR_Vector3D(-1, 0, 0)), 180.0f, 1e-4);
  EXPECT_NEAR(KR_Vector3D(1, 0, 0).getRadsBetween(KR_Vector3D(0, 0, 5)), HALF_PI, 1e-6);
  EXPECT_TRUE(KR_Vector3D(1, 2, 0).orthogonal(KR_Vector3D(-2, 1, 7)));
  EXPECT_FALSE(KR_Vector3D(1, 2, 0).orthogonal(KR_Vector3D(-2, 1.01f, 7)));
}

TEST(VectorCrossProduct, FormsTheRightHandedProduct) {
  KR_Vector3D x(1, 0, 0);
  EXPECT_TRUE(x.crossProduct(KR_Vector3D(0, 1, 0)));
  expectVector(x, 0, 0, 1, 0);
  KR_Vector3D y(0, 1, 0);
  EXPECT_TRUE(y.crossProduct(KR_Vector3D(1, 0, 0)));
  expectVector(y, 0, 0, -1, 0);
  KR_Vector3D a(1, 2, 3);
  EXPECT_TRUE(a.crossProduct(KR_Vector3D(4, 5, 6)));
  expectVector(a, 2 * 6 - 3 * 5, 3 * 4 - 1 * 6, 1 * 5 - 2 * 4, 0);
}

TEST(VectorCrossProduct, RefusesParallelAndAntiparallelVectors) {
  KR_Vector3D a(1, 0, 0);
  EXPECT_FALSE(a.crossProduct(KR_Vector3D(2, 0, 0)));
  expectVector(a, 1, 0, 0, 0);
  EXPECT_FALSE(a.crossProduct(KR_Vector3D(-1, 0, 0)));
  expectVector(a, 1, 0, 0, 0);
}

TEST(VectorCrossProduct, HundredthOfADegreeCountsAsParallelOneDegreeDoesNot) {
  KR_Vector3D a(1, 0, 0);
  EXPECT_FALSE(a.crossProduct(atDegrees(0.01)));
  expectVector(a, 1, 0, 0, 0);
  KR_Vector3D b(1, 0, 0);
  const KR_Vector3D one = atDegrees(1.0);
  EXPECT_TRUE(b.crossProduct(one));
  expectVector(b, 0, 0, one.data[1], 0);
}

TEST(VectorCrossProduct, AZeroVectorIsRefusedAndLeavesTheVector) {
  KR_Vector3D a(1, 2, 3);
  EXPECT_FALSE(a.crossProduct(KR_Vector3D(0, 0, 0)));
  expectVector(a, 1, 2, 3, 0);
  KR_Vector3D zero;
  EXPECT_FALSE(zero.crossProduct(KR_Vector3D(1, 2, 3)));
  expectVector(zero, 0, 0, 0, 0);
}

// The single-precision cosine of these pairs rounds to 0.99999994 (an angle of about 0.02
// degrees, outside the window) or past 1; their product is exactly (0, 0, 0) all the same.
TEST(VectorCrossProduct, ExactlyScaledCopiesAreRefused) {
  KR_Vector3D a(1, 2, 3);
  EXPECT_FALSE(a.crossProduct(KR_Vector3D(2, 4, 6)));
  expectVector(a, 1, 2, 3, 0);
  EXPECT_FALSE(a.crossProduct(KR_Vector3D(-3, -6, -9)));
  expectVector(a, 1, 2, 3, 0);

  // Random vectors against copies scaled by powers of two, which scale without rounding.
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> component(-100.0f, 100.0f);
  std::uniform_int_distribution<int> exponent(-12, 12);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    const KR_Vector3D v(component(gen), component(gen), component(gen));
    const float s = std::ldexp(i % 2 ? 1.0f : -1.0f, exponent(gen));
    KR_Vector3D w = v;
    if (w.crossProduct(v * s)) ++accepted;
    ASSERT_EQ(0, std::memcmp(w.data, v.data, 3 * sizeof(float)));
  }
  EXPECT_EQ(accepted, 0);
}

TEST(VectorAngles, RoundingPastOneStillGivesAnAngle) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> component(-100.0f, 100.0f), factor(0.1f, 10.0f);
  for (int i = 0; i < 20000; ++i) {
    const KR_Vector3D v(component(gen), component(gen), component(gen));
    const float s = factor(gen);
    const float same = v.getDegreesBetween(v * s), opposite = v.getDegreesBetween(v * -s);
    ASSERT_FALSE(std::isnan(same)) << i;
    ASSERT_FALSE(std::isnan(opposite)) << i;
    EXPECT_LT(same, 0.05f);
    EXPECT_GT(opposite, 179.95f);
    ASSERT_FALSE(std::isnan(v.getRadsBetween(v * s))) << i;
  }
}

// Callers written against the documented constructors convert implicitly, and may delete the
// camera.
static_assert(std::is_convertible<float*, KR_Vector3D>::value, "KR_Vector3D(scalar*)");
static_assert(std::is_convertible<const KR_Line2D&, KR_Ray2D>::value, "KR_Ray2D(const KR_Line2D&)");
static_assert(std::is_convertible<float, KR_Matrix2D>::value, "KR_Matrix2D(scalar)");
static_assert(std::is_convertible<const std::string&, KR_Image>::value,
              "KR_Image(const std::string&)");
static_assert(std::is_destructible<KR_Camera>::value, "public ~KR_Camera()");

TEST(VectorConstruction, FromAnArrayTakesThreeComponents) {
  float f[4] = {1.5f, -2.0f, 3.25f, 9.0f};
  const KR_Vector3D v = f;
  EXPECT_EQ(v.data[0], 1.5f);
  EXPECT_EQ(v.data[1], -2.0f);
  EXPECT_EQ(v.data[2], 3.25f);
  EXPECT_EQ(v.data[3], 0.0f);
}

TEST(PointArithmetic, PointsAndVectors) {
  const KR_Point3D p(1, 2, 3);
  const KR_Vector3D d = p - KR_Point3D(0, 0, 1);
  expectVector(d, 1, 2, 2, 0);
  EXPECT_EQ(d.data[3], 0.0f);
  const KR_Point3D q = p + KR_Vector3D(1, 1, 1);
  EXPECT_EQ(q.data[0], 2.0f);
  EXPECT_EQ(q.data[3], 1.0f);
  const KR_Point3D r = p - KR_Vector3D(1, 1, 1);
  EXPECT_EQ(r.data[2], 2.0f);
  expectVector(p + KR_Point3D(1, 1, 1), 2, 3, 4, 0);
  KR_Point3D s(p);
  s += KR_Vector3D(1, 0, 0);
  s -= KR_Vector3D(0, 0, 3);
  EXPECT_EQ(s.data[0], 2.0f);
  EXPECT_EQ(s.data[2], 0.0f);
  s.set(KR_Vector3D(9, 8, 7));
  EXPECT_EQ(s.data[0], 9.0f);
  EXPECT_EQ(s.data[3], 1.0f);
  expectVector(p.toVector(), 1, 2, 3, 0);
}

TEST(PointsAndVectorsTimesMatrix, TranslationMovesPointsButNotVectors) {
  const KR_Matrix3D t(TRANSLATION_MATRIX, 1, 2, 3);
  KR_Point3D p(1, 1, 1);
  p *= t;
  EXPECT_EQ(p.data[0], 2.0f);
  EXPECT_EQ(p.data[1], 3.0f);
  EXPECT_EQ(p.data[2], 4.0f);
  EXPECT_EQ(p.data[3], 1.0f);
  KR_Vector3D v(1, 1, 1);
  v *= t;
  expectVector(v, 1, 1, 1, 0);
}

TEST(PointsAndVectorsTimesMatrix, UseTheUpperLeftBlockColumnMajor) {
  float f[16];
  for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(i + 1);
  f[3] = f[7] = f[11] = 0;
  const KR_Matrix3D m(f);
  KR_Vector3D v(1, 2, 3);
  const KR_Vector3D w = v * m;
  // x' = d0 x + d4 y + d8 z, ...
  expectVector(w, 1 + 5 * 2 + 9 * 3, 2 + 6 * 2 + 10 * 3, 3 + 7 * 2 + 11 * 3, 0);
  expectVector(v, 1, 2, 3, 0);
  KR_Point3D p(1, 2, 3);
  p.data[3] = 5;  // w is neither read nor written
  p *= m;
  EXPECT_EQ(p.data[0], 1 + 5 * 2 + 9 * 3 + 13.0f);
  EXPECT_EQ(p.data[1], 2 + 6 * 2 + 10 * 3 + 14.0f);
  EXPECT_EQ(p.data[2], 3 + 7 * 2 + 11 * 3 + 15.0f);
  EXPECT_EQ(p.data[3], 5.0f);
}

TEST(VectorPrint, WritesTheThreeComponents) {
  mirvotest::captureStdout();
  KR_Vector3D(1, -2.5f, 3).print();
  EXPECT_EQ(mirvotest::capturedStdout(), "(1, -2.5, 3)\n");
}

TEST(MathsSingleton, OneInstanceWithWholeDegreeTables) {
  KR_Math* m = KR_Math::getInstance();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m, KR_Math::getInstance());
  EXPECT_EQ(m->getSin(0), 0.0f);
  EXPECT_EQ(m->getSin(90), 1.0f);
  EXPECT_EQ(m->getCos(90), 0.0f);
  EXPECT_EQ(m->getCos(180), -1.0f);
  EXPECT_EQ(m->getSin(270), -1.0f);
  EXPECT_NEAR(m->getSin(30), 0.5f, 1e-7);
  EXPECT_NEAR(m->getCos(60), 0.5f, 1e-7);
  EXPECT_EQ(m->getSin(-90), -1.0f);
  EXPECT_EQ(m->getSin(450), 1.0f);
  EXPECT_EQ(m->getCos(-360), 1.0f);
}

TEST(MathsSingleton, ConversionsGoThroughTheConstants) {
  KR_Math* m = KR_Math::getInstance();
  EXPECT_EQ(m->degreeToRad(180), 180 * DEGRAD);
  EXPECT_EQ(m->fDegreeToRad(45.5f), 45.5f * DEGRAD);
  EXPECT_EQ(m->fRadToDegree(1.0f), RADDEG);
  EXPECT_EQ(m->radToDegree(Pi), 180);
  EXPECT_EQ(m->radToDegree(-HALF_PI), -90);
  EXPECT_EQ(m->radToDegree(0.0087f), 0);  // 0.498 degrees rounds down
  EXPECT_EQ(m->round(2.5f), 3.0f);
  EXPECT_EQ(m->round(-2.4f), -2.0f);
}

}  // namespace
