// The 4x4 matrix: constructors, products, inverse, identity test, print format.
#include <KORA/KR_Matrix3D.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include "output_capture.h"

using namespace KORA;

namespace {

KR_Matrix3D fromValues(std::initializer_list<float> values) {
  float f[16];
  int i = 0;
  for (float v : values) f[i++] = v;
  return KR_Matrix3D(f);
}

void expectMatrix(const KR_Matrix3D& m, std::initializer_list<float> expected, float tol = 0) {
  int i = 0;
  for (float e : expected) {
    EXPECT_NEAR(m.data[i], e, tol) << "element " << i;
    ++i;
  }
}

bool sameElements(const KR_Matrix3D& a, const KR_Matrix3D& b) {
  for (int i = 0; i < 16; ++i)
    if (!(a.data[i] == b.data[i])) return false;
  return true;
}

TEST(MatrixConstruction, DefaultIsIdentity) {
  KR_Matrix3D m;
  expectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  EXPECT_TRUE(m.isIdentity());
}

TEST(MatrixConstruction, TranslationAndScaling) {
  expectMatrix(KR_Matrix3D(TRANSLATION_MATRIX, 1, 2, 3),
               {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
  expectMatrix(KR_Matrix3D(SCALING_MATRIX, 2, 4, 8),
               {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 1});
  KR_Vector3D v(5, 6, 7);
  expectMatrix(KR_Matrix3D(TRANSLATION_MATRIX, &v),
               {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1});
  expectMatrix(KR_Matrix3D(SCALING_MATRIX, &v), {5, 0, 0, 0, 0, 6, 0, 0, 0, 0, 7, 0, 0, 0, 0, 1});
}

TEST(MatrixConstruction, WrongTypeCodeGivesIdentity) {
  EXPECT_TRUE(KR_Matrix3D(X_ROTATION_MATRIX, 5, 6, 7).isIdentity());
  EXPECT_TRUE(KR_Matrix3D(TRANSLATION_MATRIX, 30.0f).isIdentity());
  EXPECT_TRUE(KR_Matrix3D(SCALING_MATRIX, 30.0f).isIdentity());
  EXPECT_TRUE(KR_Matrix3D(byte(99), 1, 2, 3).isIdentity());
}

TEST(MatrixConstruction, RotationCodes) {
  const KR_Matrix3D z(Z_ROTATION_MATRIX, 90);
  EXPECT_NEAR(z.data[1], 1, 1e-7);
  EXPECT_NEAR(z.data[4], -1, 1e-7);
  EXPECT_NEAR(z.data[0], 0, 1e-7);
  KR_Vector3D x(1, 0, 0);
  x *= z;  // the x axis goes to the y axis
  EXPECT_NEAR(x.data[1], 1, 1e-7);
  const KR_Matrix3D rx(X_ROTATION_MATRIX, 90);
  KR_Vector3D y(0, 1, 0);
  y *= rx;  // y goes to z
  EXPECT_NEAR(y.data[2], 1, 1e-7);
  const KR_Matrix3D ry(Y_ROTATION_MATRIX, 90);
  KR_Vector3D zz(0, 0, 1);
  zz *= ry;  // z goes to x
  EXPECT_NEAR(zz.data[0], 1, 1e-7);
  const float s = std::sin(30 * DEGRAD), c = std::cos(30 * DEGRAD);
  expectMatrix(KR_Matrix3D(X_ROTATION_MATRIX, 30),
               {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1});
  expectMatrix(KR_Matrix3D(Y_ROTATION_MATRIX, 30),
               {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
  expectMatrix(KR_Matrix3D(Z_ROTATION_MATRIX, 30),
               {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST(MatrixConstruction, RotationsAgreeWithGlmRotate) {
  const glm::vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const byte codes[3] = {X_ROTATION_MATRIX, Y_ROTATION_MATRIX, Z_ROTATION_MATRIX};
  for (int a = 0; a < 3; ++a)
    for (float angle : {-170.0f, -33.0f, 12.5f, 90.0f, 181.0f}) {
      const glm::mat4 g = glm::rotate(glm::mat4(1.0f), glm::radians(angle), axes[a]);
      const KR_Matrix3D m(codes[a], angle);
      for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m.data[i], glm::value_ptr(g)[i], 1e-6) << "axis " << a << " angle " << angle;
    }
}

TEST(MatrixConstruction, ArraysAndViewingMatrix) {
  float cols[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
  expectMatrix(KR_Matrix3D(cols), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  const KR_Vector3D eye(1, 2, 3);
  const KR_Matrix3D view(eye, KR_Vector3D(1, 0, 0), KR_Vector3D(0, 1, 0), KR_Vector3D(0, 0, 1));
  expectMatrix(view, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1});
  const KR_Matrix3D turned(KR_Vector3D(0, 0, 5), KR_Vector3D(0, 0, -1), KR_Vector3D(0, 1, 0),
                           KR_Vector3D(1, 0, 0));
  // rows are u, v, n; translation -(axis . eye)
  expectMatrix(turned, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 5, 0, 0, 1});
}

TEST(MatrixProduct, OperandOrderAndAliasing) {
  const KR_Matrix3D t(TRANSLATION_MATRIX, 1, 0, 0);
  const KR_Matrix3D s(SCALING_MATRIX, 2, 2, 2);
  KR_Matrix3D ts(t);
  ts *= s;  // scale first, then translate
  KR_Point3D p(1, 0, 0);
  p *= ts;
  EXPECT_EQ(p.data[0], 3.0f);
  KR_Matrix3D st(t);
  st.preMultiply(s);  // translate first, then scale
  KR_Point3D q(1, 0, 0);
  q *= st;
  EXPECT_EQ(q.data[0], 4.0f);
  const KR_Matrix3D prod = t * s;
  EXPECT_TRUE(sameElements(prod, ts));
  EXPECT_TRUE(KR_Matrix3D(TRANSLATION_MATRIX, 1, 0, 0).isHomogenous());
  EXPECT_EQ(t.data[12], 1.0f);  // operands of * unchanged
}

TEST(MatrixProduct, SquaringInBothOrders) {
  const KR_Matrix3D m = fromValues({1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 1, 0, 5, 6, 0, 1});
  // column-major: rows (1 3 0 5), (2 4 0 6), (0 0 1 0), (0 0 0 1)
  const std::initializer_list<float> square = {7, 10, 0, 0, 15, 22, 0, 0, 0, 0, 1, 0, 28, 40, 0, 1};
  KR_Matrix3D a(m);
  a *= a;
  expectMatrix(a, square);
  KR_Matrix3D b(m);
  b.preMultiply(b);
  expectMatrix(b, square);
}

TEST(MatrixProduct, AgreesWithGlm) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> dist(-3, 3);
  for (int round = 0; round < 50; ++round) {
    glm::mat4 ga(1.0f), gb(1.0f);
    float fa[16], fb[16];
    for (int i = 0; i < 16; ++i) {
      fa[i] = glm::value_ptr(ga)[i] = dist(rng);
      fb[i] = glm::value_ptr(gb)[i] = dist(rng);
    }
    KR_Matrix3D a(fa), b(fb);
    const glm::mat4 gab = ga * gb, gba = gb * ga;
    KR_Matrix3D ab(a);
    ab *= b;
    KR_Matrix3D ba(a);
    ba.preMultiply(b);
    for (int i = 0; i < 16; ++i) {
      EXPECT_NEAR(ab.data[i], glm::value_ptr(gab)[i], 1e-4);
      EXPECT_NEAR(ba.data[i], glm::value_ptr(gba)[i], 1e-4);
    }
  }
}

TEST(MatrixElementwise, SumsDifferencesAndScalars) {
  const KR_Matrix3D i;
  const KR_Matrix3D t(TRANSLATION_MATRIX, 1, 2, 3);
  expectMatrix(i + t, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 2});
  expectMatrix(t - i, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 0});
  expectMatrix(-t, {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, -1, -2, -3, -1});
  expectMatrix(t * 2.0f, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 2});
  expectMatrix(t / 2.0f, {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 1, 1.5f, 0.5f});
  KR_Matrix3D m(t);
  m += i;
  m -= t;
  EXPECT_TRUE(m.isIdentity());
  m *= 3.0f;
  m /= 3.0f;
  EXPECT_TRUE(m.isIdentity());
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
  KR_Matrix3D m = fromValues({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
  m.transpose();
  expectMatrix(m, {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15});
}

TEST(MatrixIdentity, NegativeZeroCountsNaNAndOneUlpDoNot) {
  KR_Matrix3D m;
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14}) m.data[i] = -0.0f;
  EXPECT_TRUE(m.isIdentity());
  for (int i = 0; i < 16; ++i) {
    KR_Matrix3D n;
    n.data[i] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(n.isIdentity()) << "NaN at " << i;
    KR_Matrix3D u;
    u.data[i] = std::nextafter(u.data[i], 2.0f);
    EXPECT_FALSE(u.isIdentity()) << "one step at " << i;
  }
}

TEST(MatrixHomogeneous, BottomRowExactly0001) {
  for (int i : {3, 7, 11}) {
    KR_Matrix3D m;
    m.data[i] = 1e-30f;
    EXPECT_FALSE(m.isHomogenous());
  }
  KR_Matrix3D m;
  m.data[15] = 2;
  EXPECT_FALSE(m.isHomogenous());
  EXPECT_TRUE(KR_Matrix3D(SCALING_MATRIX, 5, 5, 5).isHomogenous());
}

TEST(MatrixDeterminant, BlockDeterminantAndFullDeterminant) {
  EXPECT_EQ(KR_Matrix3D(SCALING_MATRIX, 2, 4, 8).determinant(), 64.0f);
  EXPECT_EQ(KR_Matrix3D(TRANSLATION_MATRIX, 9, 9, 9).determinant(), 1.0f);
  // Not homogeneous: the full 4x4 determinant (diag 2, 3, 4, 5).
  KR_Matrix3D m(SCALING_MATRIX, 2, 3, 4);
  m.data[15] = 5;
  EXPECT_EQ(m.determinant(), 120.0f);
}

TEST(MatrixInverse, IdentityScalingAndTranslation) {
  KR_Matrix3D i;
  EXPECT_TRUE(i.inverse());
  EXPECT_TRUE(i.isIdentity());
  KR_Matrix3D s(SCALING_MATRIX, 2, 4, 8);
  EXPECT_TRUE(s.inverse());
  expectMatrix(s, {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 1});
  KR_Matrix3D t(TRANSLATION_MATRIX, 1, 2, 3);
  EXPECT_TRUE(t.inverse());
  expectMatrix(t, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1});
}

TEST(MatrixInverse, RefusesNonHomogeneousAndLeavesItUnchanged) {
  KR_Matrix3D m(TRANSLATION_MATRIX, 1, 2, 3);
  m.data[15] = 2;
  const KR_Matrix3D before(m);
  EXPECT_FALSE(m.inverse());
  EXPECT_FALSE(m.isNonSingular());
  EXPECT_TRUE(sameElements(m, before));
  KR_Matrix3D n(SCALING_MATRIX, 2, 2, 2);
  n.data[3] = 0.5f;
  const KR_Matrix3D nb(n);
  EXPECT_FALSE(n.inverse());
  EXPECT_TRUE(sameElements(n, nb));
}

TEST(MatrixInverse, DeterminantBoundIsOneTenThousandth) {
  KR_Matrix3D tiny(SCALING_MATRIX, 0.05f, 0.001f, 1);  // det 0.00005
  const KR_Matrix3D before(tiny);
  EXPECT_FALSE(tiny.isNonSingular());
  EXPECT_FALSE(tiny.inverse());
  EXPECT_TRUE(sameElements(tiny, before));
  KR_Matrix3D small(SCALING_MATRIX, 0.1f, 0.01f, 1);  // det 0.001
  EXPECT_TRUE(small.isNonSingular());
  EXPECT_TRUE(small.inverse());
  EXPECT_NEAR(small.data[0], 10, 1e-4);
  EXPECT_NEAR(small.data[5], 100, 1e-3);
  KR_Matrix3D negative(SCALING_MATRIX, -0.05f, 0.001f, 1);  // det -0.00005
  EXPECT_FALSE(negative.inverse());
}

TEST(MatrixInverse, AgreesWithGlmOnRandomAffineMatrices) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> angle(-180, 180), scale(0.3f, 3), move(-20, 20);
  for (int round = 0; round < 200; ++round) {
    glm::mat4 g(1.0f);
    g = glm::translate(g, glm::vec3(move(rng), move(rng), move(rng)));
    g = glm::rotate(g, glm::radians(angle(rng)),
                    glm::normalize(glm::vec3(move(rng), move(rng), 1.0f)));
    g = glm::scale(g, glm::vec3(scale(rng), scale(rng), scale(rng)));
    KR_Matrix3D m(glm::value_ptr(g));
    ASSERT_TRUE(m.inverse()) << "round " << round;
    const glm::mat4 gi = glm::inverse(g);
    for (int i = 0; i < 16; ++i) {
      const float e = glm::value_ptr(gi)[i];
      EXPECT_NEAR(m.data[i], e, 1e-4f * std::max(1.0f, std::fabs(e)))
          << "round " << round << " element " << i;
    }
    EXPECT_EQ(m.data[3], 0.0f);
    EXPECT_EQ(m.data[7], 0.0f);
    EXPECT_EQ(m.data[11], 0.0f);
    EXPECT_EQ(m.data[15], 1.0f);  // exactly: the inverse stays affine
    KR_Matrix3D back(m);
    ASSERT_TRUE(back.inverse()) << "round " << round << ": the inverse must invert again";
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR(back.data[i], glm::value_ptr(g)[i],
                  1e-3f * std::max(1.0f, std::fabs(glm::value_ptr(g)[i])));
  }
}

TEST(MatrixPrint, IdentityPrintsWithItsSeparators) {
  mirvotest::captureStdout();
  KR_Matrix3D().print();
  EXPECT_EQ(mirvotest::capturedStdout(),
            "1\t0\t 0\t 0\n"
            "0\t 1\t 0\t 0\n"
            "0\t 0\t 1\t0\n"
            "0\t 0\t 0\t 1\n"
            "\n");
}

TEST(MatrixPrint, RowsReadAcrossColumnsWithSixDigits) {
  mirvotest::captureStdout();
  KR_Matrix3D m(TRANSLATION_MATRIX, 1.5f, -2, 1.0f / 3);
  m.print();
  EXPECT_EQ(mirvotest::capturedStdout(),
            "1\t0\t 0\t 1.5\n"
            "0\t 1\t 0\t -2\n"
            "0\t 0\t 1\t0.333333\n"
            "0\t 0\t 0\t 1\n"
            "\n");
}

TEST(MatrixAssignment, CopiesAllSixteenAndSurvivesSelfAssignment) {
  KR_Matrix3D a(TRANSLATION_MATRIX, 1, 2, 3);
  KR_Matrix3D b;
  b = a;
  EXPECT_TRUE(sameElements(a, b));
  KR_Matrix3D& alias = a;
  a = alias;
  EXPECT_EQ(a.data[14], 3.0f);
}

}  // namespace
