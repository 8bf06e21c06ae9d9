// The camera as the first getInstance() makes it. This executable holds this one test, so no
// other test can have set the camera up before it, whatever order tests run in.
#include "camera_fixture.h"

using namespace KORA;

namespace {

class FreshCamera : public koratest::CameraTest {};

TEST_F(FreshCamera, StartsWithItsInitialValues) {
  EXPECT_EQ(camera, KR_Camera::getInstance());
  EXPECT_EQ(camera->follow_distance, 10.0f);
  EXPECT_EQ(camera->follow_angleX, 0);
  EXPECT_EQ(camera->follow_angleY, 0);
  EXPECT_EQ(camera->follow_angleZ, 0);
  EXPECT_TRUE(camera->normal_viewing_volume);
  EXPECT_EQ(camera->fixed_object, nullptr);
  EXPECT_EQ(camera->screen_width, 0u);
  EXPECT_TRUE(camera->matrix.isIdentity());
  expectPoint(camera->eye, 0, 0, 0);
  EXPECT_EQ(camera->eye.data[3], 1.0f);
  expectVector(camera->up, 0, 0, 0);
  expectVector(camera->getU(), 0, 0, 0);
  expectVector(camera->getN(), 0, 0, 0);
}

}  // namespace
