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
  // maps into the world, or 0 for a miss. A matrix that cannot be inverted is a miss, and so is
  // a direction whose squared length is 0 in float (1e-24 and shorter) or a t that does not fit
  // in a float.
  float sphere_intersection(const KR_Matrix3D& m) const;
};

}  // namespace KORA

#endif
