// camera_fixture.h - a headless GL fixture around the camera singleton.
#ifndef KORA_TEST_CAMERA_FIXTURE_H
#define KORA_TEST_CAMERA_FIXTURE_H

#include <KORA/KR_Camera.h>
#include <KORA/external/KR_Object.h>

#include "kora_gl.h"

namespace koratest {

class CameraTest : public GLTest {
 protected:
  CameraTest() : GLTest(800, 600) {}

  void SetUp() override {
    GLTest::SetUp();
    camera = KORA::KR_Camera::getInstance();
  }

  // Puts the follow settings back to their initial values, and pops the projections that the
  // camera pushed and left for the caller.
  void TearDown() override {
    camera->fixed_object = nullptr;
    camera->follow_distance = 10;
    camera->follow_angleX = camera->follow_angleY = camera->follow_angleZ = 0;
    camera->setRenderVolume();
    KORA::KR_GLState::getInstance()->projection();
    GLint depth = 1;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    for (; depth > 1; --depth) glPopMatrix();
    KORA::KR_GLState::getInstance()->modelview();
    GLTest::TearDown();
  }

  // Eye (0, 0, 10) looking at the origin, up (0, 1, 0), 90 degrees, 800 x 600, near 1, far 100.
  void standardCamera() {
    camera->setFrustumAndCamera(90, 800, 600, 1, 100, KORA::KR_Point3D(0, 0, 10),
                                KORA::KR_Point3D(0, 0, 0), KORA::KR_Vector3D(0, 1, 0));
  }

  static void expectVector(const KORA::KR_Vector3D& v, float x, float y, float z,
                           float tol = 1e-6f) {
    EXPECT_NEAR(v.data[0], x, tol);
    EXPECT_NEAR(v.data[1], y, tol);
    EXPECT_NEAR(v.data[2], z, tol);
  }

  static void expectPoint(const KORA::KR_Point3D& p, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(p.data[0], x, tol);
    EXPECT_NEAR(p.data[1], y, tol);
    EXPECT_NEAR(p.data[2], z, tol);
  }

  KORA::KR_Camera* camera = nullptr;
};

}  // namespace koratest

#endif
