// The camera: basis, viewing matrix, projection, frustum planes, picking volume, tracing rays.
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <random>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "camera_fixture.h"
#include "output_capture.h"

using namespace KORA;
using koratest::recordedCalls;
using koratest::recordedText;

namespace {

class CameraSetUp : public koratest::CameraTest {};

TEST_F(CameraSetUp, BasisAndViewingMatrixForTheStandardCamera) {
  standardCamera();
  expectVector(camera->getN(), 0, 0, 1, 0);
  expectVector(camera->getU(), 1, 0, 0, 0);
  expectVector(camera->getV(), 0, 1, 0, 0);
  KR_Matrix3D expected;
  expected.data[14] = -10;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(camera->matrix.data[i], expected.data[i]) << i;
  GLfloat loaded[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(loaded[i], expected.data[i]) << i;
  expectPoint(camera->eye, 0, 0, 10, 0);
  expectPoint(camera->look, 0, 0, 0, 0);
  expectVector(camera->up, 0, 1, 0, 0);
}

TEST_F(CameraSetUp, IssuesProjectionPushThenLoadsTheViewingMatrix) {
  koratest::startRecording();
  standardCamera();
  koratest::stopRecording();
  const auto& calls = recordedCalls();
  ASSERT_EQ(calls.size(), 6u) << recordedText();
  EXPECT_EQ(calls[0].name, "glMatrixMode");
  EXPECT_EQ(calls[0].args.at(0), GL_PROJECTION);
  EXPECT_EQ(calls[1].name, "glPushMatrix");
  EXPECT_EQ(calls[2].name, "glLoadIdentity");
  EXPECT_EQ(calls[3].name, "gluPerspective");
  EXPECT_EQ(calls[3].args.at(0), 90.0);
  EXPECT_EQ(calls[3].args.at(1), 800.0f / 600.0f);
  EXPECT_EQ(calls[3].args.at(2), 1.0);
  EXPECT_EQ(calls[3].args.at(3), 100.0);
  EXPECT_EQ(calls[4].name, "glMatrixMode");
  EXPECT_EQ(calls[4].args.at(0), GL_MODELVIEW);
  EXPECT_EQ(calls[5].name, "glLoadMatrixf");
  EXPECT_EQ(calls[5].args.at(14), -10.0);
  // The pushed projection is left on the stack for the caller.
  GLint depth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 2);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(CameraSetUp, ParallelUpIsReportedOnceAndKept) {
  mirvotest::captureStderr();
  camera->setFrustumAndCamera(90, 800, 600, 1, 100, KR_Point3D(0, 0, 10), KR_Point3D(0, 0, 0),
                              KR_Vector3D(0, 0, 1));
  EXPECT_EQ(mirvotest::capturedStderr(),
            "Unable to compute crossproduct, it's likely that vectors n and u are pointing in "
            "the same direction\n");
  expectVector(camera->getU(), 0, 0, 1, 0);
  expectVector(camera->getV(), 0, 0, 1, 0);  // n x u refused: v stays n
}

const char* const PARALLEL_MESSAGE =
    "Unable to compute crossproduct, it's likely that vectors n and u are pointing in the same "
    "direction\n";

bool modelviewIsFinite() {
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (float x : m)
    if (!std::isfinite(x)) return false;
  return true;
}

// (1, 2, 3) is exactly half of the viewing direction (2, 4, 6); the float cosine of the two
// rounds short of 1, so only the product being exactly zero tells that they are parallel.
TEST_F(CameraSetUp, ExactlyParallelUpIsReportedAndLoadsAFiniteMatrix) {
  mirvotest::captureStderr();
  camera->setFrustumAndCamera(60, 640, 480, 1, 100, KR_Point3D(2, 4, 6), KR_Point3D(0, 0, 0),
                              KR_Vector3D(1, 2, 3));
  EXPECT_EQ(mirvotest::capturedStderr(), PARALLEL_MESSAGE);
  const float l = std::sqrt(14.0f);
  expectVector(camera->getU(), 1 / l, 2 / l, 3 / l);
  expectVector(camera->getV(), 1 / l, 2 / l, 3 / l);  // v stays n
  EXPECT_TRUE(modelviewIsFinite());
}

TEST_F(CameraSetUp, RandomParallelUpVectorsAreAllReported) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
  std::uniform_int_distribution<int> exponent(-6, 6);
  for (int i = 0; i < 300; ++i) {
    const KR_Point3D eye(coordinate(gen), coordinate(gen), coordinate(gen));
    const KR_Point3D look(coordinate(gen), coordinate(gen), coordinate(gen));
    // Scaling by a power of two keeps the up vector exactly parallel to eye - look.
    const KR_Vector3D up = (eye - look) * std::ldexp(i % 2 ? 1.0f : -1.0f, exponent(gen));
    mirvotest::captureStderr();
    camera->setFrustumAndCamera(60, 640, 480, 1, 100, eye, look, up);
    ASSERT_EQ(mirvotest::capturedStderr(), PARALLEL_MESSAGE) << i;
    ASSERT_TRUE(modelviewIsFinite()) << i;
    KR_GLState::getInstance()->projection();
    glPopMatrix();
    KR_GLState::getInstance()->modelview();
  }
}

TEST_F(CameraSetUp, NoMessageForAGoodUpVector) {
  mirvotest::captureStderr();
  standardCamera();
  EXPECT_EQ(mirvotest::capturedStderr(), "");
}

TEST_F(CameraSetUp, ViewingMatrixAgreesWithGlmLookAt) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> d(-50, 50);
  for (int round = 0; round < 100; ++round) {
    const glm::vec3 eye(d(rng), d(rng), d(rng)), at(d(rng), d(rng), d(rng));
    const glm::vec3 up = glm::normalize(glm::vec3(d(rng) / 10, 1.0f, d(rng) / 10));
    camera->setFrustumAndCamera(60, 640, 480, 0.5f, 500, KR_Point3D(eye.x, eye.y, eye.z),
                                KR_Point3D(at.x, at.y, at.z), KR_Vector3D(up.x, up.y, up.z));
    const glm::mat4 g = glm::lookAt(eye, at, up);
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR(camera->matrix.data[i], glm::value_ptr(g)[i], 2e-4f)
          << "round " << round << " element " << i;
    TearDown();
    SetUp();
  }
}

TEST_F(CameraSetUp, ProjectionAgreesWithGlmPerspective) {
  const struct {
    float fov;
    unsigned w, h;
    float zn, zf;
  } cases[] = {{90, 800, 600, 1, 100}, {45, 640, 480, 0.1f, 1000}, {60, 300, 500, 2, 50}};
  for (const auto& c : cases) {
    camera->setFrustumAndCamera(c.fov, c.w, c.h, c.zn, c.zf, KR_Point3D(1, 2, 3),
                                KR_Point3D(0, 0, 0), KR_Vector3D(0, 1, 0));
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    const glm::mat4 g = glm::perspective(glm::radians(c.fov), float(c.w) / float(c.h), c.zn, c.zf);
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR(p[i], glm::value_ptr(g)[i],
                  1e-5f * std::max(1.0f, std::fabs(glm::value_ptr(g)[i])))
          << "fov " << c.fov << " element " << i;
    TearDown();
    SetUp();
  }
}

TEST_F(CameraSetUp, FrustumExtentsFromTheFieldOfView) {
  standardCamera();
  const auto& f = camera->getFrustumData();
  EXPECT_NEAR(f.top, 1, 1e-6);
  EXPECT_NEAR(f.bottom, -1, 1e-6);
  EXPECT_NEAR(f.right, 1.3333334f, 1e-6);
  EXPECT_NEAR(f.left, -1.3333334f, 1e-6);
  expectPoint(f.topRight, 1.3333334f, 1, 9);
  expectPoint(f.far, 0, 0, -90);
  EXPECT_EQ(f.far.data[3], 1.0f);
}

TEST_F(CameraSetUp, SixPlanesWithOutwardNormalsAndTheirDistances) {
  standardCamera();
  const IceMaths::Plane* planes = camera->getFrustum();
  // right, left, bottom, top, far, near; the side normals of a 90-degree 4:3 view
  const float expected[6][4] = {{0.6f, 0, 0.8f, -8},
                                {-0.6f, 0, 0.8f, -8},
                                {0, -0.70710677f, 0.70710677f, -7.0710678f},
                                {0, 0.70710677f, 0.70710677f, -7.0710678f},
                                {0, 0, -1, -90},
                                {0, 0, 1, -9}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(planes[i].n.x, expected[i][0], 1e-5) << "plane " << i;
    EXPECT_NEAR(planes[i].n.y, expected[i][1], 1e-5) << "plane " << i;
    EXPECT_NEAR(planes[i].n.z, expected[i][2], 1e-5) << "plane " << i;
    EXPECT_NEAR(planes[i].d, expected[i][3], 1e-4) << "plane " << i;
  }
}

TEST_F(CameraSetUp, InsidePointsAreNegativeForEveryPlane) {
  standardCamera();
  const IceMaths::Plane* planes = camera->getFrustum();
  for (int i = 0; i < 6; ++i) EXPECT_LT(planes[i].Distance({0, 0, 0}), 0) << "plane " << i;
  const IceMaths::Point outside[6] = {{20, 0, 0}, {-20, 0, 0}, {0, -20, 0},
                                      {0, 20, 0}, {0, 0, -95}, {0, 0, 9.5f}};
  for (int i = 0; i < 6; ++i) EXPECT_GT(planes[i].Distance(outside[i]), 0) << "plane " << i;
}

TEST_F(CameraSetUp, FrustumPlanesMatchTheProjectedVolume) {
  // A point is inside the planes exactly when the loaded projection puts it in the clip cube.
  camera->setFrustumAndCamera(50, 640, 480, 2, 60, KR_Point3D(3, 4, 5), KR_Point3D(-1, 0, -20),
                              KR_Vector3D(0, 1, 0));
  GLfloat pm[16], mv[16];
  glGetFloatv(GL_PROJECTION_MATRIX, pm);
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  const glm::mat4 clip = glm::make_mat4(pm) * glm::make_mat4(mv);
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> d(-60, 60);
  int inside = 0;
  for (int k = 0; k < 2000; ++k) {
    const glm::vec3 x(d(rng), d(rng), d(rng) - 20);
    const glm::vec4 c = clip * glm::vec4(x, 1);
    const float m = std::max({std::fabs(c.x), std::fabs(c.y), std::fabs(c.z)}) / c.w;
    if (c.w <= 0 || std::fabs(m - 1) < 1e-3f) continue;  // behind the eye, or on a face
    bool planesInside = true;
    for (int i = 0; i < 6; ++i)
      planesInside = planesInside && camera->getFrustum()[i].Distance({x.x, x.y, x.z}) < 0;
    EXPECT_EQ(planesInside, m < 1) << x.x << " " << x.y << " " << x.z;
    inside += planesInside;
  }
  EXPECT_GT(inside, 20);
}

class CameraPicking : public koratest::CameraTest {};

TEST_F(CameraPicking, FlipsWindowYAgainstTheViewportHeight) {
  standardCamera();
  glViewport(0, 0, 640, 480);
  koratest::startRecording();
  camera->setPickingVolume(5, 5, 100, 50);
  koratest::stopRecording();
  const auto pick = koratest::recordedCalls("gluPickMatrix");
  ASSERT_EQ(pick.size(), 1u) << recordedText();
  EXPECT_EQ(pick[0].args, (std::vector<double>{100, 430, 5, 5, 0, 0, 640, 480}));
  const auto names = koratest::recordedNames();
  EXPECT_EQ(names, (std::vector<std::string>{"glMatrixMode", "glPushMatrix", "glLoadIdentity",
                                             "gluPickMatrix", "gluPerspective", "glMatrixMode"}));
  EXPECT_FALSE(camera->normal_viewing_volume);
  GLint depth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 3);
}

TEST_F(CameraPicking, NarrowsTheProjectionAroundThePickPoint) {
  standardCamera();
  glViewport(0, 0, 800, 600);
  GLdouble full[16];
  glGetDoublev(GL_PROJECTION_MATRIX, full);
  camera->setPickingVolume(4, 4, 200, 100);
  GLdouble picked[16];
  glGetDoublev(GL_PROJECTION_MATRIX, picked);
  // A world point that projects to window (200, 600 - 100) lands at the pick region's centre.
  GLdouble mv[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  const GLint vp[4] = {0, 0, 800, 600};
  GLdouble wx, wy, wz;
  ASSERT_TRUE(gluUnProject(200, 500, 0.5, mv, full, vp, &wx, &wy, &wz));
  GLdouble px, py, pz;
  ASSERT_TRUE(gluProject(wx, wy, wz, mv, picked, vp, &px, &py, &pz));
  EXPECT_NEAR(px, 400, 1e-3);
  EXPECT_NEAR(py, 300, 1e-3);
}

TEST_F(CameraPicking, SecondPickWithoutRenderVolumeDoesNothing) {
  standardCamera();
  camera->setPickingVolume(5, 5, 100, 50);
  koratest::startRecording();
  camera->setPickingVolume(7, 7, 10, 10);
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
  EXPECT_FALSE(camera->normal_viewing_volume);
}

TEST_F(CameraPicking, RenderVolumePopsThePickAndAllowsTheNext) {
  standardCamera();
  GLfloat normal[16];
  glGetFloatv(GL_PROJECTION_MATRIX, normal);
  camera->setPickingVolume(5, 5, 100, 50);
  camera->setRenderVolume();
  EXPECT_TRUE(camera->normal_viewing_volume);
  GLfloat back[16];
  glGetFloatv(GL_PROJECTION_MATRIX, back);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], normal[i]) << i;
  GLint depth = 0, mode = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 2);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  koratest::startRecording();
  camera->setRenderVolume();  // nothing to pop
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
  camera->setPickingVolume(5, 5, 100, 50);
  EXPECT_FALSE(camera->normal_viewing_volume);
}

class CameraTracing : public koratest::CameraTest {};

TEST_F(CameraTracing, RaysThroughCentreAndCorner) {
  standardCamera();
  const KR_Ray3D centre = camera->createRayForTracing(400, 300);
  expectPoint(centre.start, 0, 0, 10, 0);
  expectVector(centre.direction, 0, 0, -1);
  const KR_Ray3D corner = camera->createRayForTracing(0, 0);  // top-left of the window
  expectVector(corner.direction, -1.3333334f, 1, -1);
}

TEST_F(CameraTracing, TipOfTheRayUnprojectsFromItsWindowPosition) {
  camera->setFrustumAndCamera(70, 800, 600, 1.5f, 80, KR_Point3D(-4, 3, 12), KR_Point3D(1, 0, 0),
                              KR_Vector3D(0, 1, 0));
  GLdouble mv[16], pm[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pm);
  const GLint vp[4] = {0, 0, 800, 600};
  for (const auto& xy : {std::pair<int, int>{0, 0}, {800, 600}, {123, 456}, {799, 1}}) {
    const KR_Ray3D r = camera->createRayForTracing(xy.first, xy.second);
    GLdouble wx, wy, wz;
    ASSERT_TRUE(gluUnProject(xy.first, 600 - xy.second, 0, mv, pm, vp, &wx, &wy, &wz));
    const KR_Point3D tip = r.start + r.direction;
    expectPoint(tip, float(wx), float(wy), float(wz), 1e-4f);
  }
}

}  // namespace
