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

// ---- the orbit in the object's frame, for every heading ---------------------------------------

struct Orbit {
  float pitch;
  int angleX, angleY;
};

class CameraOrbitEveryHeading : public koratest::CameraTest,
                                public ::testing::WithParamInterface<Orbit> {};

// The object turned as KR_Object says (its axes by pitch about x, then by -heading about y);
// the eye expected from GLM in double: the resting offset taken into the object's frame,
// turned by angleX about x, then angleY about y, and brought back. With the heading undone the
// other way round, an orbit about x left the object's vertical plane for all headings but 0
// and 180 degrees (at 90 it went down instead of up).
TEST_P(CameraOrbitEveryHeading, EyeOrbitsInTheObjectsFrame) {
  const Orbit o = GetParam();
  standardCamera();
  KR_Object object;
  object.setPosition(3, -2, 7);
  object.setPitch(o.pitch);
  camera->fixed_object = &object;
  camera->follow_distance = 16;
  camera->follow_angleX = o.angleX;
  camera->follow_angleY = o.angleY;
  const glm::dvec3 centre(3, -2, 7), rest = glm::normalize(glm::dvec3(0, 0.35, -1));
  const auto turn = [](double degrees, double x, double y) {
    return glm::rotate(glm::dmat4(1), glm::radians(degrees), glm::dvec3(x, y, 0));
  };
  double worst = 0;
  for (int tenth = -1800; tenth < 1800; ++tenth) {
    const double h = tenth / 10.0;
    object.setHeading(float(h));
    object.setDirection(object.toWorld(KR_Vector3D(float(rest.x), float(rest.y), float(rest.z))));
    camera->followObject();
    const glm::dmat4 frame = turn(-h, 0, 1) * turn(o.pitch, 1, 0);
    const glm::dvec3 want = centre + glm::dvec3(frame * turn(o.angleY, 0, 1) *
                                                turn(o.angleX, 1, 0) * glm::dvec4(rest * 16.0, 0));
    worst = std::max(worst, glm::length(glm::dvec3(camera->eye.data[0], camera->eye.data[1],
                                                   camera->eye.data[2]) -
                                        want));
  }
  EXPECT_LT(worst, 1e-4);
  std::printf("pitch %g, orbit x %d y %d, 3600 headings: worst eye error %.1e (distance 16)\n",
              double(o.pitch), o.angleX, o.angleY, worst);
}

INSTANTIATE_TEST_SUITE_P(PitchAndAngles, CameraOrbitEveryHeading,
                         ::testing::Values(Orbit{0, 45, 0}, Orbit{20, -30, 0}, Orbit{0, 0, 30},
                                           Orbit{15, 45, -70}));

}  // namespace
