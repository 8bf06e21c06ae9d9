// The demo's crystal as the object the camera follows: it flies nose first all round its
// circle, so an orbit about its x axis lifts the camera in the plane it flies in.
#include <gtest/gtest.h>

#include <KORA/KR_Camera.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "crystal.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

class CrystalFollowed : public koratest::GLTest {
 protected:
  CrystalFollowed() : GLTest(64, 64) {}
};

// The heading was the flight's angle measured the other way round: drawn turned by it, the
// nose pointed along the path only at two points of the circle, and the camera's orbit (which
// undoes KR_Object's heading) swung sideways there instead of up.
TEST_F(CrystalFollowed, FliesNoseFirstAndTheOrbitRisesOverItsPath) {
  Crystal crystal;
  KR_Camera* camera = KR_Camera::getInstance();
  camera->setFrustumAndCamera(60, 64, 64, 0.5f, 100, KR_Point3D(0, 0, 10), KR_Point3D(0, 0, 0),
                              KR_Vector3D(0, 1, 0));
  camera->fixed_object = &crystal;
  camera->follow_distance = 16;
  camera->follow_angleX = 45;
  int sideways = 0;
  float worstLift = 0;
  for (int step = 0; step < 720; ++step) {
    const float time = float(step) * 0.04f;  // once round the circle and more
    crystal.animate(time + 0.001f);
    const KR_Point3D ahead = crystal.getPosition();
    crystal.animate(time);
    KR_Vector3D path = ahead - crystal.getPosition();
    path.data[1] = 0;
    const KR_Vector3D nose = crystal.toWorld(KR_Vector3D(0, 0, 1));
    ASSERT_LT(nose.getDegreesBetween(path), 0.5f) << "time " << time;
    camera->followObject();
    const KR_Vector3D offset = camera->eye - crystal.getPosition();
    const KR_Vector3D side = crystal.toWorld(KR_Vector3D(1, 0, 0));
    if (std::fabs(offset * side) > 1e-3f * 16) ++sideways;
    // 45 degrees above the resting place, which lies 19 degrees above the path.
    const float elevation = std::asin(offset.data[1] / offset.length()) * 180 / float(M_PI);
    EXPECT_NEAR(elevation, 45 + 19.29f, 0.05f) << "time " << time;
    worstLift = std::max(worstLift, std::fabs(elevation - (45 + 19.29f)));
  }
  EXPECT_EQ(sideways, 0);
  std::printf("720 places round the circle: lifted 45 degrees within %.1e degrees\n",
              double(worstLift));
  camera->fixed_object = nullptr;
  camera->follow_angleX = 0;
  camera->follow_distance = 10;
  KR_GLState::getInstance()->projection();
  glPopMatrix();
  KR_GLState::getInstance()->modelview();
}

}  // namespace
