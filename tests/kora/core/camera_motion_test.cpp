// Camera motion: turns about its own axes, sliding, and following an object.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "camera_fixture.h"

using namespace KORA;
using koratest::recordedCalls;
using koratest::recordedText;

namespace {

class CameraRotate : public koratest::CameraTest {};

TEST_F(CameraRotate, QuarterTurnAboutU) {
  standardCamera();
  camera->rotate(90, 0, 0);
  expectVector(camera->getU(), 1, 0, 0);
  expectVector(camera->getV(), 0, 0, 1);
  expectVector(camera->getN(), 0, -1, 0);
}

TEST_F(CameraRotate, QuarterTurnAboutV) {
  standardCamera();
  camera->rotate(0, 90, 0);
  expectVector(camera->getN(), 1, 0, 0);
  expectVector(camera->getU(), 0, 0, -1);
  expectVector(camera->getV(), 0, 1, 0);
}

TEST_F(CameraRotate, QuarterTurnAboutN) {
  standardCamera();
  camera->rotate(0, 0, 90);
  expectVector(camera->getU(), 0, 1, 0);
  expectVector(camera->getV(), -1, 0, 0);
  expectVector(camera->getN(), 0, 0, 1);
}

TEST_F(CameraRotate, TurnsRunUThenVThenNOnTheAxesLeftBefore) {
  standardCamera();
  camera->rotate(90, 90, 0);
  // After the u turn n = (0, -1, 0); the v turn (v now (0, 0, 1)) moves n onto the old u.
  expectVector(camera->getN(), 1, 0, 0);
  expectVector(camera->getU(), 0, 1, 0);
  expectVector(camera->getV(), 0, 0, 1);
}

TEST_F(CameraRotate, ReloadsTheMatrixAndFrustum) {
  standardCamera();
  koratest::startRecording();
  camera->rotate(0, 90, 0);
  koratest::stopRecording();
  ASSERT_EQ(recordedCalls().size(), 1u) << recordedText();
  EXPECT_EQ(recordedCalls()[0].name, "glLoadMatrixf");
  // Looking along -n = (-1, 0, 0) from (0, 0, 10): the row of n is (1, 0, 0) and -(n . eye) = 0;
  // u = (0, 0, -1) gives -(u . eye) = 10.
  EXPECT_NEAR(camera->matrix.data[2], 1, 1e-6);
  EXPECT_NEAR(camera->matrix.data[12], 10, 1e-5);
  const IceMaths::Plane* near = &camera->getFrustum()[5];
  EXPECT_NEAR(near->n.x, 1, 1e-5);
  EXPECT_NEAR(near->d, 1, 1e-4);  // the near plane x = -1 ... through (-1, 0, 10)
}

TEST_F(CameraRotate, ZeroTurnOnlyReloads) {
  standardCamera();
  camera->matrix.data[0] = 42;  // overwritten by the reload
  koratest::startRecording();
  camera->rotate(0, 0, 0);
  koratest::stopRecording();
  EXPECT_EQ(koratest::countCalls("glLoadMatrixf"), 1u);
  expectVector(camera->getU(), 1, 0, 0, 0);
  expectVector(camera->getV(), 0, 1, 0, 0);
  expectVector(camera->getN(), 0, 0, 1, 0);
  EXPECT_EQ(camera->matrix.data[0], 1.0f);
}

TEST_F(CameraRotate, PitchYawRollAreTheSingleTurns) {
  standardCamera();
  camera->pitch(90);
  expectVector(camera->getN(), 0, -1, 0);
  standardCamera();
  camera->yaw(90);
  expectVector(camera->getN(), 1, 0, 0);
  standardCamera();
  camera->roll(90);
  expectVector(camera->getU(), 0, 1, 0);
}

TEST_F(CameraRotate, TurnsAccumulate) {
  standardCamera();
  camera->rotate(0, 45, 0);
  camera->rotate(0, 45, 0);
  expectVector(camera->getN(), 1, 0, 0, 1e-6f);
}

TEST_F(CameraRotate, SlideMovesAlongTheCameraAxes) {
  standardCamera();
  camera->rotate(0, 90, 0);  // u = (0, 0, -1), v = (0, 1, 0), n = (1, 0, 0)
  camera->slide(2, 3, 4);
  expectPoint(camera->eye, 4, 3, 8);
  GLfloat loaded[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
  EXPECT_NEAR(loaded[12], 8, 1e-5);   // -(u . eye)
  EXPECT_NEAR(loaded[13], -3, 1e-5);  // -(v . eye)
  EXPECT_NEAR(loaded[14], -4, 1e-5);  // -(n . eye)
}

class CameraFollow : public koratest::CameraTest {
 protected:
  void SetUp() override {
    koratest::CameraTest::SetUp();
    standardCamera();
    object.setPosition(0, 0, 0);
    object.setDirection(KR_Vector3D(0, 0, 1));
    object.setUp(KR_Vector3D(0, 1, 0));
    camera->fixed_object = &object;
  }
  KR_Object object;
};

TEST_F(CameraFollow, RestsBehindTheObjectAndAimsAtIt) {
  camera->eye = KR_Point3D(50, 50, 50);
  camera->followObject();
  expectPoint(camera->eye, 0, 0, 10);
  expectVector(camera->getN(), 0, 0, 1);
  expectVector(camera->getU(), 1, 0, 0);
  expectVector(camera->getV(), 0, 1, 0);
  GLfloat loaded[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
  EXPECT_NEAR(loaded[14], -10, 1e-5);
}

TEST_F(CameraFollow, KeepsFollowDistanceFromAMovedObject) {
  object.setPosition(5, -2, 1);
  camera->follow_distance = 4;
  camera->followObject();
  expectPoint(camera->eye, 5, -2, 5);
  expectVector(camera->getN(), 0, 0, 1);
}

TEST_F(CameraFollow, OrbitAboutY) {
  camera->follow_angleY = 90;
  camera->followObject();
  expectPoint(camera->eye, 10, 0, 0);
  expectVector(camera->getN(), 1, 0, 0);
  expectVector(camera->getU(), 0, 0, -1);
}

TEST_F(CameraFollow, OrbitAboutX) {
  camera->follow_angleX = 90;
  camera->followObject();
  expectPoint(camera->eye, 0, -10, 0);
  expectVector(camera->getN(), 0, -1, 0);
}

TEST_F(CameraFollow, WholeTurnsDoNotOrbit) {
  for (int angle : {360, -360, 720}) {
    camera->follow_angleY = angle;
    camera->followObject();
    expectPoint(camera->eye, 0, 0, 10, 0);
  }
}

TEST_F(CameraFollow, FourHundredFiftyOrbitsLikeNinety) {
  camera->follow_angleY = 450;
  camera->followObject();
  expectPoint(camera->eye, 10, 0, 0, 1e-4f);
}

TEST_F(CameraFollow, OrbitHappensInTheObjectsFrame) {
  // Pitched by 90 degrees the object's y axis is the world's z axis, on which the resting
  // place lies: orbiting about it leaves the eye where it is. Without the pitch it would move
  // to (11, 2, 3).
  object.setPosition(1, 2, 3);
  object.setPitch(90);
  camera->follow_angleY = 90;
  camera->followObject();
  expectPoint(camera->eye, 1, 2, 13, 1e-4f);
  object.setPitch(0);
  camera->followObject();
  expectPoint(camera->eye, 11, 2, 3, 1e-4f);
}

TEST_F(CameraFollow, RollsByFollowAngleZ) {
  camera->follow_angleZ = 90;
  camera->followObject();
  expectVector(camera->getU(), 0, 1, 0);
  expectVector(camera->getV(), -1, 0, 0);
}

TEST_F(CameraFollow, UpEqualToDirectionFallsBackToTheDirection) {
  object.setUp(KR_Vector3D(0, 0, 1));
  camera->followObject();
  expectVector(camera->getU(), 0, 0, 1);
  expectVector(camera->getN(), 0, 0, 1);
}

TEST_F(CameraFollow, UpOppositeToTheViewUsesDirectionTimesUp) {
  // Orbiting 90 degrees about x puts the eye below the object: n = (0, -1, 0), opposite to
  // U = (0, 1, 0). U is parallel to n but not equal, so u = -(D x U) = (1, 0, 0).
  camera->follow_angleX = 90;
  camera->followObject();
  expectPoint(camera->eye, 0, -10, 0, 1e-4f);
  expectVector(camera->getN(), 0, -1, 0);
  expectVector(camera->getU(), 1, 0, 0);
  expectVector(camera->getV(), 0, 0, 1);
}

TEST_F(CameraFollow, WithoutAnObjectNothingChanges) {
  camera->fixed_object = nullptr;
  camera->follow_angleY = 90;
  const KR_Matrix3D before = camera->matrix;
  const IceMaths::Plane near = camera->getFrustum()[5];
  koratest::startRecording();
  camera->followObject();
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(camera->matrix.data[i], before.data[i]);
  expectPoint(camera->eye, 0, 0, 10, 0);
  EXPECT_EQ(camera->getFrustum()[5].d, near.d);
}

}  // namespace

namespace {

// ---- the orbit in the object's frame, for every heading ---------------------------------------

struct Orbit {
  float pitch;
  int angleX, angleY;
};

class CameraOrbitEveryHeading : public koratest::CameraTest,
                                public ::testing::WithParamInterface<Orbit> {};

// The object turned as KR_Object says (its axes by pitch about x, then by -heading about y),
// and the orbit expected from GLM in double: the resting offset D f taken into the object's
// frame, turned by angleX about x and then angleY about y, and brought back. With the heading
// undone the other way round, an orbit about x left the object's vertical plane for all
// headings but 0 and 180 degrees (at 90 it went down instead of up).
TEST_P(CameraOrbitEveryHeading, EyeOrbitsInTheObjectsFrame) {
  const Orbit o = GetParam();
  standardCamera();
  KR_Object object;
  object.setPosition(3, -2, 7);
  object.setUp(KR_Vector3D(0, 1, 0));
  object.setPitch(o.pitch);
  camera->fixed_object = &object;
  camera->follow_distance = 16;
  camera->follow_angleX = o.angleX;
  camera->follow_angleY = o.angleY;
  const glm::dvec3 centre(3, -2, 7), rest = glm::normalize(glm::dvec3(0, 0.35, -1));
  int wrong = 0;
  double worst = 0, worstPlane = 0;
  for (int tenth = -1800; tenth < 1800; ++tenth) {
    const double h = tenth / 10.0;
    object.setHeading(float(h));
    const glm::dmat4 frame =
        glm::rotate(glm::dmat4(1), glm::radians(-h), glm::dvec3(0, 1, 0)) *
        glm::rotate(glm::dmat4(1), glm::radians(double(o.pitch)), glm::dvec3(1, 0, 0));
    // KR_Object's own turn agrees with GLM's.
    const KR_Vector3D nose = object.toWorld(KR_Vector3D(0, 0, 1));
    const glm::dvec3 wantNose(frame * glm::dvec4(0, 0, 1, 0));
    ASSERT_LT(glm::length(glm::dvec3(nose.data[0], nose.data[1], nose.data[2]) - wantNose), 1e-5)
        << "heading " << h;
    const KR_Vector3D d = object.toWorld(KR_Vector3D(float(rest.x), float(rest.y), float(rest.z)));
    object.setDirection(d);
    camera->followObject();
    const glm::dmat4 turn =
        glm::rotate(glm::dmat4(1), glm::radians(double(o.angleY)), glm::dvec3(0, 1, 0)) *
        glm::rotate(glm::dmat4(1), glm::radians(double(o.angleX)), glm::dvec3(1, 0, 0));
    const glm::dvec3 offset(frame * turn * glm::dvec4(rest * 16.0, 0));
    const glm::dvec3 eye(camera->eye.data[0], camera->eye.data[1], camera->eye.data[2]);
    const double error = glm::length(eye - (centre + offset));
    worst = std::max(worst, error);
    if (error > 1e-3) ++wrong;
    if (o.angleY == 0) {
      // The object's vertical plane holds the nose and the object's up: its normal is the
      // object's x axis.
      const glm::dvec3 side(frame * glm::dvec4(1, 0, 0, 0));
      worstPlane = std::max(worstPlane, std::fabs(glm::dot(eye - centre, side)));
    }
  }
  EXPECT_EQ(wrong, 0) << "worst eye error " << worst;
  EXPECT_LT(worstPlane, 1e-3);
  std::printf("pitch %g, orbit x %d y %d, 3600 headings: worst eye error %.2e", double(o.pitch),
              o.angleX, o.angleY, worst);
  if (o.angleY == 0) std::printf(", worst distance from the vertical plane %.2e", worstPlane);
  std::printf(" (follow distance 16)\n");
}

INSTANTIATE_TEST_SUITE_P(PitchAndAngles, CameraOrbitEveryHeading,
                         ::testing::Values(Orbit{0, 45, 0}, Orbit{0, -30, 0}, Orbit{20, 45, 0},
                                           Orbit{-35, 60, 0}, Orbit{0, 0, 30}, Orbit{15, 45, -70}));

// The object's GL turn is the one the camera undoes.
TEST_F(CameraFollow, OrientGLTurnsLikeToWorld) {
  object.setHeading(37);
  object.setPitch(-12);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  object.orientGL();
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int axis = 0; axis < 3; ++axis) {
    KR_Vector3D local;
    local.data[axis] = 1;
    const KR_Vector3D w = object.toWorld(local);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(m[4 * axis + k], w.data[k], 1e-6) << axis << k;
  }
}

}  // namespace
