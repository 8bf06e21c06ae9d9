// The demo's crystal as the object the camera follows. Its heading was the flight's angle
// measured the other way round: the nose pointed along the path at two points of the circle
// only, and the orbit (which undoes KR_Object's heading) swung sideways instead of up.
#include <gtest/gtest.h>

#include <KORA/KR_Camera.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "crystal.h"
#include "kora_gl.h"

using namespace KORA;

namespace {

class CrystalFollowed : public koratest::GLTest {};

TEST_F(CrystalFollowed, FliesNoseFirstAndTheOrbitRisesOverItsPath) {
  Crystal crystal;
  KR_Camera* camera = KR_Camera::getInstance();
  camera->setFrustumAndCamera(60, 64, 64, 0.5f, 100, KR_Point3D(0, 0, 10), KR_Point3D(0, 0, 0),
                              KR_Vector3D(0, 1, 0));
  camera->fixed_object = &crystal;
  camera->follow_angleX = 45;
  float worstLift = 0, worstSide = 0;
  for (float time = 0; time < 30; time += 0.04f) {  // once round the circle and more
    crystal.animate(time + 0.001f);
    const KR_Point3D ahead = crystal.getPosition();
    crystal.animate(time);
    KR_Vector3D path = ahead - crystal.getPosition();
    path.data[1] = 0;
    ASSERT_LT(crystal.toWorld(KR_Vector3D(0, 0, 1)).getDegreesBetween(path), 0.5f) << time;
    camera->followObject();
    const KR_Vector3D offset = camera->eye - crystal.getPosition();
    worstSide = std::max(worstSide, std::fabs(offset * crystal.toWorld(KR_Vector3D(1, 0, 0))));
    // 45 degrees above the resting place, which lies atan 0.35 = 19.29 degrees above the path.
    const float lift = std::asin(offset.data[1] / offset.length()) * 180 / float(M_PI) - 19.29f;
    worstLift = std::max(worstLift, std::fabs(lift - 45));
  }
  EXPECT_LT(worstLift, 0.01f);
  EXPECT_LT(worstSide, 1e-3f);  // out of the crystal's vertical plane, follow distance 10
  std::printf("round the circle: lifted by 45 degrees within %.1e, %.1e off the plane\n",
              double(worstLift), double(worstSide));
  camera->fixed_object = nullptr;
  camera->follow_angleX = 0;
  KR_GLState::getInstance()->projection();
  glPopMatrix();
  KR_GLState::getInstance()->modelview();
}

}  // namespace
