// KR_Ray3D.h - a half-line start + t * direction for simple ray tracing: carried into an
// object's space by a matrix, reflected about a normal, intersected with a unit sphere that a
// matrix places in the world, and drawn as a GL line. A plain value type.
#ifndef KORA_KR_RAY3D_H
#define KORA_KR_RAY3D_H

#include "KR_Matrix3D.h"
#include "KR_Point3D.h"
#include "KR_Vector3D.h"

namespace KORA {

class KR_Ray3D {
 public:
  KR_Point3D start;
  KR_Vector3D direction;  // need not be unit length: t is measured in direction lengths

  // A ray at the origin with a zero direction (it hits nothing).
  KR_Ray3D() {}
  KR_Ray3D(const KR_Point3D& p, const KR_Vector3D& v) : start(p), direction(v) {}
  ~KR_Ray3D() {}

  // The ray carried by inverse_m: start as a point, direction as a vector. Inverts nothing.
  KR_Ray3D createInverseTransformedRay(const KR_Matrix3D& inverse_m) const;
  // The ray reflected about n at start + direction: direction - 2 (direction . n) n.
  KR_Ray3D createReflectedRay(const KR_Vector3D& n) const;
  // One GL line from start to start + direction.
  void draw() const;
  // Parameter t of the first hit ahead of the start (t > 0.0001) with the unit sphere that m
  // maps into the world, or 0 for a miss. Worked in double: hit or miss is right for a start
  // any distance away that float can hold (to within float's rounding of start and direction,
  // about 1e-7 of their size), and for spheres of any radius. A matrix that is not affine or is
  // singular (a sphere flattened to a disc or a line) is a miss, and so is a direction of length
  // 0 or a t that does not fit in a float.
  // - The bound 0.0001 that keeps a ray from hitting the surface it starts on is on t, so in
  //   direction lengths: with a long direction it reaches far. A direction of length L passes
  //   over every surface nearer than 0.0001 L to the start: for a unit sphere whose centre
  //   lies 10 units ahead, L from 9e4 gives the far side (t = 11 / L) and L beyond 1.1e5 a
  //   miss. Give a direction of about unit length (the camera's tracing rays reach the near
  //   plane at t = 1) to keep the bound at 0.0001 units.
  float sphere_intersection(const KR_Matrix3D& m) const;
};

}  // namespace KORA

#endif
