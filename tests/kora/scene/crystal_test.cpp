// The demo's crystal, the object the camera follows. Its heading was the flight's angle
// measured the other way round from KR_Object's: the nose pointed along the path at two points
// of the circle only, and the orbit (which undoes KR_Object's heading) swung sideways instead
// of up. The orbit itself is checked for every heading in the core tests.
#include <gtest/gtest.h>

#include "crystal.h"

using namespace KORA;

namespace {

TEST(CrystalHeading, FliesNoseFirstAllRoundItsCircle) {
  Crystal crystal;
  for (float time = 0; time < 30; time += 0.04f) {  // once round the circle and more
    crystal.animate(time + 0.001f);
    const KR_Point3D ahead = crystal.getPosition();
    crystal.animate(time);
    KR_Vector3D path = ahead - crystal.getPosition();
    path.data[1] = 0;
    ASSERT_LT(crystal.toWorld(KR_Vector3D(0, 0, 1)).getDegreesBetween(path), 0.5f) << time;
  }
}

}  // namespace
