// The maths at extreme magnitudes and at the edges of parallelism: angles, lengths and
// normalisation that must neither overflow nor underflow in float, the cross product's
// parallel test, the camera's axes and projection, the ray's sphere test and the matrix
// inverse. Each case names the wrong result it would catch.
#include <GL/gl.h>

#include <cmath>
#include <random>
#include <string>
#include <utility>

#include "camera_fixture.h"
#include "output_capture.h"

using namespace KORA;

namespace {

double dot(const KR_Vector3D& a, const KR_Vector3D& b) {
  return double(a.data[0]) * b.data[0] + double(a.data[1]) * b.data[1] +
         double(a.data[2]) * b.data[2];
}
double len(const KR_Vector3D& a) { return std::sqrt(dot(a, a)); }

// ---- lengths, angles and normalisation at any magnitude --------------------------------------

TEST(MagnitudeAngle, HugeVectorsGiveTheirAngleNotNaN) {
  // The float squares of 1e20 overflow: the angle came out NaN.
  EXPECT_NEAR(KR_Vector3D(1e20f, 0, 0).getDegreesBetween(KR_Vector3D(1e20f, 1e20f, 0)), 45.0f,
              1e-4f);
}

TEST(MagnitudeAngle, HugeAndUnitVectorOfTheSameDirectionAreZeroDegreesApart) {
  // The product of the float lengths overflowed and the angle came out 90.
  EXPECT_NEAR(KR_Vector3D(1e20f, 0, 0).getDegreesBetween(KR_Vector3D(1, 0, 0)), 0.0f, 1e-4f);
}

TEST(MagnitudeAngle, TinyVectorsGiveTheirAngle) {
  // The float squares of 1e-25 underflow to 0: the angle came out NaN.
  EXPECT_NEAR(KR_Vector3D(1e-25f, 0, 0).getDegreesBetween(KR_Vector3D(0, 1e-25f, 0)), 90.0f, 1e-4f);
  EXPECT_NEAR(KR_Vector3D(3e-25f, 4e-25f, 0).length(), 5e-25f, 1e-30f);
}

TEST(MagnitudeNormalise, HugeVectorBecomesItsDirection) {
  // The float length overflowed to inf and the result became (1, 1, 1).
  KR_Vector3D v(1.9e19f, 0, 0);
  EXPECT_NEAR(v.normalize(), 1.9e19f, 1e13f);
  EXPECT_FLOAT_EQ(v.data[0], 1.0f);
  EXPECT_EQ(v.data[1], 0.0f);
  EXPECT_EQ(v.data[2], 0.0f);
  KR_Vector3D w(3e38f, 3e38f, 3e38f);
  w.normalize();
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(w.data[i], 1.0 / std::sqrt(3.0), 1e-6) << i;
}

TEST(MagnitudeNormalise, TinyVectorBecomesItsDirection) {
  KR_Vector3D v(0, 3e-30f, 4e-30f);
  v.normalize();
  EXPECT_EQ(v.data[0], 0.0f);
  EXPECT_NEAR(v.data[1], 0.6f, 1e-6f);
  EXPECT_NEAR(v.data[2], 0.8f, 1e-6f);
}

// ---- the cross product's parallel test -------------------------------------------------------

TEST(CrossProductParallelTest, VectorsParallelWithinFloatRoundingAreRefused) {
  // The old test fired only when the float arc cosine rounded to exactly 0: about one pair in
  // five of these was accepted, with a product perpendicular to neither input.
  std::mt19937 random(20261209);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_real_distribution<float> scale(0.001f, 1000.0f);
  std::uniform_real_distribution<double> wobble(-1e-7, 1e-7);
  int accepted = 0;
  for (int i = 0; i < 200000; ++i) {
    const KR_Vector3D a(unit(random), unit(random), unit(random));
    if (len(a) < 0.1) continue;
    const float k = (i & 1 ? 1.0f : -1.0f) * scale(random);
    const KR_Vector3D b(float(a.data[0] * k * (1 + wobble(random))),
                        float(a.data[1] * k * (1 + wobble(random))),
                        float(a.data[2] * k * (1 + wobble(random))));
    KR_Vector3D c = a;
    if (c.crossProduct(b))
      ++accepted;
    else
      EXPECT_TRUE(c.data[0] == a.data[0] && c.data[1] == a.data[1] && c.data[2] == a.data[2]);
  }
  EXPECT_EQ(accepted, 0);
}

TEST(CrossProductParallelTest, AcceptedProductsArePerpendicularToBothInputs) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_real_distribution<double> degrees(0.05, 179.95);
  for (int i = 0; i < 20000; ++i) {
    const KR_Vector3D a(unit(random), unit(random), unit(random));
    KR_Vector3D side(unit(random), unit(random), unit(random));
    if (len(a) < 0.1 || !side.crossProduct(a)) continue;  // side: at right angles to a
    const double t = degrees(random) * M_PI / 180.0;
    const double la = len(a), ls = len(side);
    const KR_Vector3D b(float(std::cos(t) * a.data[0] / la + std::sin(t) * side.data[0] / ls),
                        float(std::cos(t) * a.data[1] / la + std::sin(t) * side.data[1] / ls),
                        float(std::cos(t) * a.data[2] / la + std::sin(t) * side.data[2] / ls));
    KR_Vector3D c = a;
    ASSERT_TRUE(c.crossProduct(b)) << t;
    EXPECT_LT(std::fabs(dot(c, a)) / (len(c) * len(a)), 1e-5) << t;
    EXPECT_LT(std::fabs(dot(c, b)) / (len(c) * len(b)), 1e-5) << t;
  }
}

TEST(CrossProductParallelTest, HugeAndTinyPerpendicularVectorsAreNotParallel) {
  // With float lengths the angle was NaN or 90 by accident; the test must not depend on it.
  KR_Vector3D a(1e-25f, 0, 0);
  EXPECT_TRUE(a.crossProduct(KR_Vector3D(0, 1e-3f, 0)));
  EXPECT_GT(a.data[2], 0.0f);
  KR_Vector3D b(1e20f, 0, 0);
  EXPECT_FALSE(b.crossProduct(KR_Vector3D(1, 0, 0)));  // same direction, any lengths
  KR_Vector3D zero;                                    // a zero vector is parallel to everything
  EXPECT_FALSE(zero.crossProduct(KR_Vector3D(1, 2, 3)));
}

// ---- the matrix inverse and the ray's sphere test --------------------------------------------

TEST(MagnitudeInverse, OverflowingDeterminantIsRefused) {
  // A scale of 1e13 cubes to inf: the bounds test passed and the "inverse" was all zeros.
  KR_Matrix3D m(SCALING_MATRIX, 1e13f, 1e13f, 1e13f);
  const KR_Matrix3D before = m;
  EXPECT_FALSE(m.inverse());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.data[i], before.data[i]) << i;
  EXPECT_FALSE(m.isNonSingular());
}

TEST(MagnitudeInverse, LargeButFiniteScaleStillInverts) {
  KR_Matrix3D m(SCALING_MATRIX, 1e12f, 1e12f, 1e12f);
  ASSERT_TRUE(m.inverse());
  EXPECT_FLOAT_EQ(m.data[0], 1e-12f);
  EXPECT_FLOAT_EQ(m.data[15], 1.0f);
}

TEST(MagnitudeSphere, TinyDirectionGivesItsTrueParameterOrAMiss) {
  // d . d of 1e-24 is 0 in float: t was +inf and counted as a hit. The hit lies 4e24 such
  // directions ahead; a t beyond float's range (a direction of 1e-40) is a miss.
  EXPECT_FLOAT_EQ(
      KR_Ray3D(KR_Point3D(0, 0, -5), KR_Vector3D(0, 0, 1e-24f)).sphere_intersection(KR_Matrix3D()),
      4e24f);
  EXPECT_EQ(
      KR_Ray3D(KR_Point3D(0, 0, -5), KR_Vector3D(0, 0, 1e-40f)).sphere_intersection(KR_Matrix3D()),
      0.0f);
  EXPECT_EQ(KR_Ray3D(KR_Point3D(0, 0, -5), KR_Vector3D(0, 0, 0)).sphere_intersection(KR_Matrix3D()),
            0.0f);
  // An ordinary direction still hits.
  EXPECT_FLOAT_EQ(
      KR_Ray3D(KR_Point3D(0, 0, -5), KR_Vector3D(0, 0, 1)).sphere_intersection(KR_Matrix3D()),
      4.0f);
}

// ---- the camera -------------------------------------------------------------------------------

class CameraAtTheEdges : public koratest::CameraTest {
 protected:
  void expectOrthonormal(double tol) {
    const KR_Vector3D& u = camera->getU();
    const KR_Vector3D& v = camera->getV();
    const KR_Vector3D& n = camera->getN();
    EXPECT_NEAR(len(u), 1.0, tol);
    EXPECT_NEAR(len(v), 1.0, tol);
    EXPECT_NEAR(len(n), 1.0, tol);
    EXPECT_NEAR(dot(u, v), 0.0, tol);
    EXPECT_NEAR(dot(u, n), 0.0, tol);
    EXPECT_NEAR(dot(v, n), 0.0, tol);
  }
};

TEST_F(CameraAtTheEdges, UpAlmostAlongTheViewLineGivesOrthonormalAxesOrTheMessage) {
  // Up vectors from a millionth of a degree to a degree off the view line: they were accepted
  // silently with axes off square by up to 0.995.
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> log_degrees(-6.0, 0.0);
  int refused = 0, accepted = 0;
  for (int i = 0; i < 400; ++i) {
    const double ex = 20 * unit(random), ey = 20 * unit(random), ez = 20 * unit(random);
    const double el = std::sqrt(ex * ex + ey * ey + ez * ez);
    if (el < 1) continue;
    // w: a unit vector at right angles to the view line n = eye / |eye|.
    double wx = unit(random), wy = unit(random), wz = unit(random);
    const double along = (wx * ex + wy * ey + wz * ez) / el;
    wx -= along * ex / el, wy -= along * ey / el, wz -= along * ez / el;
    const double wl = std::sqrt(wx * wx + wy * wy + wz * wz);
    if (wl < 0.1) continue;
    const double t = std::pow(10.0, log_degrees(random)) * M_PI / 180.0;
    const double sign = i % 2 ? 1.0 : -1.0;  // along or against the view line
    const KR_Vector3D up(float(sign * std::cos(t) * ex / el + std::sin(t) * wx / wl),
                         float(sign * std::cos(t) * ey / el + std::sin(t) * wy / wl),
                         float(sign * std::cos(t) * ez / el + std::sin(t) * wz / wl));
    mirvotest::OutputCapture capture;
    camera->setFrustumAndCamera(60, 800, 600, 1, 100, KR_Point3D(float(ex), float(ey), float(ez)),
                                KR_Point3D(0, 0, 0), up);
    const std::string err = capture.stop();
    KORA::KR_GLState::getInstance()->projection();
    glPopMatrix();
    KORA::KR_GLState::getInstance()->modelview();
    if (!err.empty()) {
      EXPECT_EQ(err.find("Unable to compute crossproduct"), 0u) << err;
      ++refused;
      continue;
    }
    ++accepted;
    SCOPED_TRACE(std::to_string(t * 180 / M_PI) + " degrees off the view line");
    expectOrthonormal(1e-6);
    // v is the part of up at right angles to the view line: the picture is not upside down.
    EXPECT_GT(dot(camera->getV(), up), 0.0);
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(accepted, 0);
}

TEST_F(CameraAtTheEdges, WindowOfHeightZeroIsRefusedAndTheCameraStays) {
  // A reshape callback can pass a height of 0: the aspect ratio became inf and the frustum
  // planes and pick rays NaN.
  standardCamera();
  const KR_Point3D eye = camera->eye;
  const KR_Matrix3D matrix = camera->matrix;
  const scalar aspect = camera->aspectRatio;
  IceMaths::Plane planes[6];
  for (int i = 0; i < 6; ++i) planes[i] = camera->getFrustum()[i];
  GLint depth_before = 0, depth_after = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth_before);
  GLfloat projection_before[16], projection_after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection_before);

  for (auto [w, h] : {std::pair<unsigned, unsigned>{800, 0}, {0, 600}}) {
    mirvotest::OutputCapture capture;
    camera->setFrustumAndCamera(90, w, h, 1, 100, KR_Point3D(5, 5, 5), KR_Point3D(0, 0, 0),
                                KR_Vector3D(0, 1, 0));
    const std::string err = capture.stop();
    EXPECT_NE(err.find("KR_Camera::setFrustumAndCamera"), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
  }
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth_after);
  glGetFloatv(GL_PROJECTION_MATRIX, projection_after);
  EXPECT_EQ(depth_after, depth_before);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(projection_after[i], projection_before[i]) << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(camera->eye.data[i], eye.data[i]);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(camera->matrix.data[i], matrix.data[i]) << i;
  EXPECT_EQ(camera->aspectRatio, aspect);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(camera->getFrustum()[i].d, planes[i].d) << i;
    EXPECT_TRUE(std::isfinite(camera->getFrustum()[i].n.x)) << i;
  }
  const KR_Ray3D ray = camera->createRayForTracing(400, 300);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(ray.direction.data[i])) << i;
}

TEST_F(CameraAtTheEdges, ManyTurnsLeaveTheAxesOrthonormal) {
  // The turns never renormalised: after a million the axes had shrunk by 1.6%.
  standardCamera();
  for (int i = 0; i < 100000; ++i) camera->rotate(0.7f, 1.1f, 0.3f);
  expectOrthonormal(1e-5);
}

TEST_F(CameraAtTheEdges, QuarterTurnsStillGiveTheDocumentedAxes) {
  standardCamera();
  camera->rotate(90, 0, 0);
  expectVector(camera->getU(), 1, 0, 0);
  expectVector(camera->getV(), 0, 0, 1);
  expectVector(camera->getN(), 0, -1, 0);
}

}  // namespace
