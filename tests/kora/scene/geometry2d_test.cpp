// Plane vectors, points, matrices, lines and rays; the drawing calls they make.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "KR_2D.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

void expectVector(const KR_Vector2D& v, float x, float y) {
  EXPECT_FLOAT_EQ(v.data[0], x);
  EXPECT_FLOAT_EQ(v.data[1], y);
}

}  // namespace

// --- vectors -------------------------------------------------------------------------------

TEST(Vector2DArithmetic, ConstructorsClearTheThirdComponent) {
  KR_Vector2D a, b(3, -4);
  expectVector(a, 0, 0);
  EXPECT_EQ(a.data[2], 0.0f);
  expectVector(b, 3, -4);
  EXPECT_EQ(b.data[2], 0.0f);
}

TEST(Vector2DArithmetic, OperatorsWorkOnXAndY) {
  KR_Vector2D a(1, 2), b(3, -5);
  EXPECT_FLOAT_EQ(a * b, 1 * 3 + 2 * -5);
  expectVector(a + b, 4, -3);
  expectVector(a - b, -2, 7);
  expectVector(a * 2.0f, 2, 4);
  expectVector(b / 2.0f, 1.5f, -2.5f);
  KR_Vector2D c(1, 1);
  c += a;
  expectVector(c, 2, 3);
  c -= b;
  expectVector(c, -1, 8);
  c *= 3.0f;
  expectVector(c, -3, 24);
  c /= -3.0f;
  expectVector(c, 1, -8);
}

TEST(Vector2DArithmetic, AssignmentCopiesXAndYButNotW) {
  KR_Vector2D a(5, 6), b;
  a.data[2] = 7;
  b.data[2] = 9;
  b = a;
  expectVector(b, 5, 6);
  EXPECT_EQ(b.data[2], 9.0f);
  b = b;  // self-assignment leaves it as it is
  expectVector(b, 5, 6);
}

TEST(Vector2DArithmetic, UnaryMinusNegatesTheOperandItself) {
  KR_Vector2D v(2, -3);
  KR_Vector2D& r = -v;
  EXPECT_EQ(&r, &v);
  expectVector(v, -2, 3);
}

TEST(Vector2DArithmetic, LengthAndNormalize) {
  KR_Vector2D v(3, 4);
  EXPECT_FLOAT_EQ(v.length(), 5.0f);
  EXPECT_FLOAT_EQ(v.normalize(), 5.0f);
  expectVector(v, 0.6f, 0.8f);
}

TEST(Vector2DTurns, PerpIsAQuarterTurnCounterClockwise) {
  KR_Vector2D v(1, 0);
  v.perp();
  expectVector(v, 0, 1);
  KR_Vector2D w(2, 5);
  for (int i = 0; i < 4; ++i) w.perp();
  expectVector(w, 2, 5);
  w.perp();
  expectVector(w, -5, 2);
}

TEST(Vector2DTurns, OrthogonalToleratesOnlyTinyDotProducts) {
  EXPECT_TRUE(KR_Vector2D(1, 0).orthogonal(KR_Vector2D(0.00001f, 1)));
  EXPECT_FALSE(KR_Vector2D(1, 0).orthogonal(KR_Vector2D(0.0001f, 1)));
  EXPECT_TRUE(KR_Vector2D(0, 2).orthogonal(KR_Vector2D(3, 0)));
}

TEST(Vector2DTurns, AnglesBetweenVectors) {
  EXPECT_NEAR(KR_Vector2D(1, 0).getRadsBetween(KR_Vector2D(0, 2)), HALF_PI, 1e-6);
  EXPECT_NEAR(KR_Vector2D(1, 0).getDegreesBetween(KR_Vector2D(1, 1)), 45.0f, 1e-4);
  EXPECT_NEAR(KR_Vector2D(1, 0).getDegreesBetween(KR_Vector2D(-1, 0)), 180.0f, 1e-4);
  // No guard against zero length: the result is not a number.
  EXPECT_TRUE(std::isnan(KR_Vector2D(0, 0).getRadsBetween(KR_Vector2D(1, 0))));
}

// The float cosine of (1, 1) and (2, 2) rounded above 1: NaN for one parallel pair in eight.
TEST(Vector2DTurns, ParallelAndOppositeVectorsAreZeroAndHalfATurnApart) {
  const float cases[][3] = {{1, 1, 2}, {1, 1, 3}, {1, 1, 6}, {0.1f, 0.7f, 3}, {1, 1, -2}};
  for (const auto& c : cases)  // (x, y) against k (x, y)
    EXPECT_NEAR(KR_Vector2D(c[0], c[1]).getDegreesBetween(KR_Vector2D(c[2] * c[0], c[2] * c[1])),
                c[2] > 0 ? 0.0f : 180.0f, 0.05f)
        << c[0] << " " << c[1] << " x" << c[2];
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> coordinate(-100, 100), factor(0.01f, 100);
  int nan = 0;
  for (int i = 0; i < 50000; ++i) {
    const KR_Vector2D a(coordinate(rng), coordinate(rng));
    const float k = factor(rng);
    nan += std::isnan(a.getDegreesBetween(KR_Vector2D(k * a.data[0], k * a.data[1])));
  }
  EXPECT_EQ(nan, 0);
}

TEST(Vector2DTurns, RichochetReversesTheComponentAlongTheNormal) {
  KR_Vector2D v(1, -1), n(0, 5);
  v.richochet(n);
  expectVector(v, 1, 1);
  expectVector(n, 0, 5);  // the caller's normal is not normalised in place
  KR_Vector2D w(3, 2);
  w.richochet(KR_Vector2D(-2, 0));
  expectVector(w, -3, 2);
}

// --- points and matrices -------------------------------------------------------------------

TEST(Point2DArithmetic, DifferencesAndMoves) {
  KR_Point2D a(5, 1), b(2, 3);
  KR_Vector2D d = a - b;
  expectVector(d, 3, -2);
  EXPECT_EQ(d.data[2], 0.0f);
  KR_Point2D c = b + KR_Vector2D(1, -1);
  EXPECT_FLOAT_EQ(c.x, 3);
  EXPECT_FLOAT_EQ(c.y, 2);
}

TEST(Matrix2DConstruction, IdentityTranslationAndScaling) {
  KR_Matrix2D id;
  KR_Matrix2D t(TRANSLATION_MATRIX, 4, -2);
  KR_Matrix2D s(SCALING_MATRIX, 3, 4);
  KR_Matrix2D other(7, 3, 4);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      float e = i == j ? 1.0f : 0.0f;
      EXPECT_EQ(id.data[i][j], e);
      EXPECT_EQ(other.data[i][j], e);
      if (!(j == 2 && i < 2)) {
        EXPECT_EQ(t.data[i][j], e);
      }
    }
  EXPECT_EQ(t.data[0][2], 4.0f);
  EXPECT_EQ(t.data[1][2], -2.0f);
  EXPECT_EQ(s.data[0][0], 3.0f);
  EXPECT_EQ(s.data[1][1], 4.0f);
  EXPECT_EQ(s.data[2][2], 1.0f);
  EXPECT_EQ(s.data[0][1], 0.0f);
  KR_Vector2D v(3, 4);
  KR_Matrix2D fromVector(SCALING_MATRIX, &v);
  EXPECT_EQ(fromVector.data[0][0], 3.0f);
  EXPECT_EQ(fromVector.data[1][1], 4.0f);
}

TEST(Matrix2DConstruction, ScalingByTwoThreeFour) {
  KR_Vector2D v(1, 1);
  v *= KR_Matrix2D(2, 3, 4);
  expectVector(v, 3, 4);
}

TEST(Matrix2DConstruction, RotationIsCounterClockwiseInDegrees) {
  KR_Vector2D v(1, 0);
  v *= KR_Matrix2D(90.0f);
  EXPECT_NEAR(v.data[0], 0.0f, 1e-6);
  EXPECT_NEAR(v.data[1], 1.0f, 1e-6);
  KR_Matrix2D zero(0.0f);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(zero.data[i][j], i == j ? 1.0f : 0.0f);
  KR_Matrix2D r(30.0f);
  EXPECT_FLOAT_EQ(r.data[0][0], std::cos(30.0f * DEGRAD));
  EXPECT_FLOAT_EQ(r.data[0][1], -std::sin(30.0f * DEGRAD));
  EXPECT_FLOAT_EQ(r.data[1][0], std::sin(30.0f * DEGRAD));
  EXPECT_EQ(r.data[2][2], 1.0f);
}

TEST(Matrix2DConstruction, VectorsIgnoreTheTranslationColumn) {
  KR_Vector2D v(2, 3);
  v *= KR_Matrix2D(TRANSLATION_MATRIX, 10, 20);
  expectVector(v, 2, 3);
  KR_Vector2D w(2, 3);
  w.data[2] = 5;
  KR_Vector2D r = w * KR_Matrix2D(SCALING_MATRIX, 2, 2);
  expectVector(r, 4, 6);
  EXPECT_EQ(r.data[2], 5.0f);  // the copy keeps w
  expectVector(w, 2, 3);       // the operand is unchanged
}

TEST(Matrix2DArithmetic, ProductIsThisTimesOther) {
  KR_Matrix2D t(TRANSLATION_MATRIX, 5, 0), s(SCALING_MATRIX, 2, 2);
  KR_Matrix2D ts = t * s;  // scale first, then translate
  EXPECT_EQ(ts.data[0][0], 2.0f);
  EXPECT_EQ(ts.data[0][2], 5.0f);
  KR_Matrix2D st = s * t;  // translate first, then scale: translation doubled
  EXPECT_EQ(st.data[0][2], 10.0f);
  KR_Matrix2D a;
  a.data[0][1] = 2;
  a.data[1][0] = 3;
  a *= a;  // squaring in place reads the old values
  EXPECT_EQ(a.data[0][0], 7.0f);
  EXPECT_EQ(a.data[0][1], 4.0f);
  EXPECT_EQ(a.data[1][0], 6.0f);
  EXPECT_EQ(a.data[1][1], 7.0f);
}

TEST(Matrix2DArithmetic, ElementwiseOperationsAndNegation) {
  KR_Matrix2D a(SCALING_MATRIX, 2, 4), b;
  KR_Matrix2D sum = a + b, diff = a - b;
  EXPECT_EQ(sum.data[0][0], 3.0f);
  EXPECT_EQ(sum.data[2][2], 2.0f);
  EXPECT_EQ(diff.data[1][1], 3.0f);
  EXPECT_EQ(diff.data[2][2], 0.0f);
  KR_Matrix2D c = a * 3.0f;
  EXPECT_EQ(c.data[1][1], 12.0f);
  c /= 4.0f;
  EXPECT_EQ(c.data[1][1], 3.0f);
  EXPECT_EQ((a / 2.0f).data[0][0], 1.0f);
  c += b;
  EXPECT_EQ(c.data[0][0], 2.5f);
  c -= b;
  c *= 2.0f;
  EXPECT_EQ(c.data[0][0], 3.0f);
  KR_Matrix2D& n = -a;
  EXPECT_EQ(&n, &a);
  EXPECT_EQ(a.data[0][0], -2.0f);
  EXPECT_EQ(a.data[2][2], -1.0f);
  a.createIdentity();
  EXPECT_EQ(a.data[0][0], 1.0f);
  KR_Matrix2D copy;
  copy = a;
  copy = copy;
  EXPECT_EQ(copy.data[1][1], 1.0f);
}

// --- lines and rays --------------------------------------------------------------------------

TEST(Line2D, NormalIsTheUnnormalisedLeftPerpendicular) {
  KR_Line2D l(KR_Point2D(0, 0), KR_Point2D(2, 0));
  expectVector(l.normal, 0, 2);
  EXPECT_FLOAT_EQ(l.length(), 2.0f);
  KR_Line2D m(KR_Point2D(1, 1), KR_Point2D(4, 5));
  expectVector(m.normal, -4, 3);
  EXPECT_FLOAT_EQ(m.length(), 5.0f);
}

TEST(Ray2DIntersection, CrossingRayFromBelowGivesOne) {
  KR_Ray2D a(KR_Point2D(0, 0), KR_Vector2D(1, 0));
  KR_Ray2D b(KR_Point2D(5, -1), KR_Vector2D(0, 2));
  KR_Point2D p(-7, -7);
  EXPECT_EQ(a.intersection(b, p), 1);
  EXPECT_FLOAT_EQ(p.x, 5.0f);
  EXPECT_FLOAT_EQ(p.y, 0.0f);
}

TEST(Ray2DIntersection, ReversedDirectionGivesMinusOne) {
  KR_Ray2D a(KR_Point2D(0, 0), KR_Vector2D(1, 0));
  KR_Ray2D b(KR_Point2D(5, -1), KR_Vector2D(0, -2));
  KR_Point2D p(-7, -7);
  EXPECT_EQ(a.intersection(b, p), -1);
  EXPECT_FLOAT_EQ(p.x, 5.0f);
  EXPECT_FLOAT_EQ(p.y, 0.0f);
}

TEST(Ray2DIntersection, ParallelRaysGiveZeroAndLeavePUnchanged) {
  KR_Ray2D a(KR_Point2D(0, 0), KR_Vector2D(1, 0));
  KR_Ray2D b(KR_Point2D(0, 1), KR_Vector2D(1, 0));
  KR_Point2D p(-7, 8);
  EXPECT_EQ(a.intersection(b, p), 0);
  EXPECT_EQ(p.x, -7.0f);
  EXPECT_EQ(p.y, 8.0f);
}

TEST(Ray2DIntersection, StartOnTheOtherLineGivesMinusTwo) {
  KR_Ray2D a(KR_Point2D(5, 3), KR_Vector2D(1, 1));
  KR_Ray2D b(KR_Point2D(5, -1), KR_Vector2D(0, 2));
  KR_Point2D p(-7, 8);
  EXPECT_EQ(a.intersection(b, p), -2);
  EXPECT_EQ(p.x, -7.0f);
  // Even when the rays are parallel as well, the start test comes first.
  KR_Ray2D c(KR_Point2D(0, 0), KR_Vector2D(1, 0)), d(KR_Point2D(3, 0), KR_Vector2D(2, 0));
  EXPECT_EQ(c.intersection(d, p), -2);
}

// 0.0001f is a little below 0.0001: as a numerator or denominator it lies inside the bounds.
TEST(Ray2DIntersection, BoundsAreTheDoubleConstant) {
  KR_Ray2D a(KR_Point2D(0, 0), KR_Vector2D(1, 0));
  KR_Ray2D b(KR_Point2D(5, 0.0001f), KR_Vector2D(1, 0));  // numerator exactly 0.0001f
  KR_Point2D p(-7, 8);
  EXPECT_EQ(a.intersection(b, p), -2);
  KR_Ray2D c(KR_Point2D(0, 0), KR_Vector2D(0.0001f, 1));  // unit direction x stays 0.0001f
  KR_Ray2D d(KR_Point2D(5, 0), KR_Vector2D(0, 1));        // denominator exactly -0.0001f
  EXPECT_EQ(c.intersection(d, p), 0);
  EXPECT_EQ(p.x, -7.0f);
  EXPECT_EQ(p.y, 8.0f);
}

TEST(Ray2DIntersection, LinesMeetBehindTheStartToo) {
  // The lines meet at (-2, 0), behind this ray's start: s is negative.
  KR_Ray2D a(KR_Point2D(0, 0), KR_Vector2D(3, 0));
  KR_Ray2D b(KR_Point2D(-2, 4), KR_Vector2D(0, 1));
  KR_Point2D p;
  EXPECT_EQ(a.intersection(b, p), 1);  // normal (-1, 0): numerator 2, denominator -1, s = -2
  EXPECT_FLOAT_EQ(p.x, -2.0f);
  EXPECT_FLOAT_EQ(p.y, 0.0f);
}

TEST(Ray2DConstruction, FromALine) {
  KR_Line2D l(KR_Point2D(1, 2), KR_Point2D(4, 6));
  KR_Ray2D r(l);
  EXPECT_FLOAT_EQ(r.start.x, 1);
  EXPECT_FLOAT_EQ(r.start.y, 2);
  expectVector(r.direction, 3, 4);
  KR_Vector2D v(1, 2);
  v.data[2] = 3;
  KR_Ray2D s(KR_Point2D(0, 0), v);
  EXPECT_EQ(s.direction.data[2], 3.0f);  // all three components
}

// --- drawing -------------------------------------------------------------------------------

class Draw2D : public koratest::GLTest {};

TEST_F(Draw2D, PointsAndLinesEmitTheirVertices) {
  KR_Draw_2D d;
  KR_Point2D a(1.5f, 2.5f), b(3, 4);
  koratest::startRecording();
  d.vDrawPoint(3, 4);
  d.vDrawPoint(&a);
  d.vDrawLine(1, 2, 3, 4);
  d.vDrawLine(&a, &b);
  a.draw();
  KR_Line2D(a, b).draw();
  KR_Vector2D(2, 1).draw(10, 20);
  KR_Ray2D(a, KR_Vector2D(1, 1)).draw();
  koratest::stopRecording();
  auto calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 29u) << koratest::recordedText();
  EXPECT_EQ(calls[0].str(), "glBegin(GL_POINTS)");
  EXPECT_EQ(calls[1].str(), "glVertex2i(3, 4)");
  EXPECT_EQ(calls[4].str(), "glVertex2f(1.5, 2.5)");
  EXPECT_EQ(calls[6].str(), "glBegin(GL_LINES)");
  EXPECT_EQ(calls[7].str(), "glVertex2i(1, 2)");
  EXPECT_EQ(calls[8].str(), "glVertex2i(3, 4)");
  EXPECT_EQ(calls[12].str(), "glVertex2f(3, 4)");
  EXPECT_EQ(calls[15].str(), "glVertex2f(1.5, 2.5)");  // the point
  EXPECT_EQ(calls[22].str(), "glVertex2f(10, 20)");    // the vector from (10, 20)
  EXPECT_EQ(calls[23].str(), "glVertex2f(12, 21)");
  EXPECT_EQ(calls[27].str(), "glVertex2f(2.5, 3.5)");  // the ray's end
}

TEST_F(Draw2D, PolyLineOpenOrClosedThenFlush) {
  KR_Draw_2D d;
  KR_Point2D tri[3] = {{0, 0}, {4, 0}, {0, 3}};
  koratest::startRecording();
  d.vDrawPolyLine(tri, 3, true);
  d.vDrawPolyLine(tri, 3, false);
  d.vDrawPolyLine(tri, 0, false);
  koratest::stopRecording();
  auto calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 6u + 6u + 3u) << koratest::recordedText();
  EXPECT_EQ(calls[0].str(), "glBegin(GL_LINE_LOOP)");
  EXPECT_EQ(calls[3].str(), "glVertex2f(0, 3)");
  EXPECT_EQ(calls[4].name, "glEnd");
  EXPECT_EQ(calls[5].name, "glFlush");
  EXPECT_EQ(calls[6].str(), "glBegin(GL_LINE_STRIP)");
  EXPECT_EQ(calls[12].str(), "glBegin(GL_LINE_STRIP)");
  EXPECT_EQ(calls[13].name, "glEnd");
  EXPECT_EQ(calls[14].name, "glFlush");
}

TEST_F(Draw2D, ClosedPolyLineOutlinesATriangleOnScreen) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width_, 0, height_, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  KR_Point2D tri[3] = {{100.5f, 100.5f}, {300.5f, 100.5f}, {100.5f, 300.5f}};
  auto pixel = [](int x, int y) {
    unsigned char p[4];
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return int(p[0]);
  };
  KR_Draw_2D().vDrawPolyLine(tri, 3, false);
  EXPECT_EQ(pixel(200, 100), 255);  // first segment
  EXPECT_EQ(pixel(100, 200), 0);    // open: no closing segment
  KR_Draw_2D().vDrawPolyLine(tri, 3, true);
  EXPECT_EQ(pixel(100, 200), 255);  // the loop closes
  EXPECT_EQ(pixel(150, 150), 0);    // outline only
}
