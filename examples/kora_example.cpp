// kora_example - casts a ray at a sphere that a matrix places in the world, and checks the
// answer. Needs no window: it uses only KORA's maths.
#include <KORA/KR_Matrix3D.h>
#include <KORA/KR_Ray3D.h>

#include <cmath>
#include <cstdio>

int main() {
  using namespace KORA;
  // A sphere of radius 2 centred at (0, 0, 3).
  KR_Matrix3D place(TRANSLATION_MATRIX, 0, 0, 3);
  place *= KR_Matrix3D(SCALING_MATRIX, 2, 2, 2);
  const KR_Ray3D ray(KR_Point3D(0, 0, -5), KR_Vector3D(0, 0, 1));
  const float t = ray.sphere_intersection(place);
  std::printf("ray from (0, 0, -5) along +z hits the sphere at t = %g\n", t);

  KR_Matrix3D inverse(place);
  const bool inverted = inverse.inverse();
  KR_Point3D centre(0, 0, 3);
  centre *= inverse;
  std::printf("the sphere's centre in its own space: (%g, %g, %g)\n", centre.data[0],
              centre.data[1], centre.data[2]);
  return (std::fabs(t - 6) < 1e-5f && inverted && std::fabs(centre.data[2]) < 1e-6f) ? 0 : 1;
}
