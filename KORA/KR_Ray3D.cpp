// KR_Ray3D.cpp - the 3D ray.
#include "KR_Ray3D.h"

#include <cmath>

namespace KORA {

KR_Ray3D KR_Ray3D::createInverseTransformedRay(const KR_Matrix3D& inverse_m) const {
  KR_Ray3D r(*this);
  r.start *= inverse_m;
  r.direction *= inverse_m;
  return r;
}

KR_Ray3D KR_Ray3D::createReflectedRay(const KR_Vector3D& n) const {
  const scalar k = 2 * (direction * n);
  const KR_Vector3D r(direction.data[0] - k * n.data[0], direction.data[1] - k * n.data[1],
                      direction.data[2] - k * n.data[2]);
  return KR_Ray3D(start + direction, r);
}

void KR_Ray3D::draw() const {
  const KR_Point3D end = start + direction;
  glBegin(GL_LINES);
  glVertex3fv(start.data);
  glVertex3fv(end.data);
  glEnd();
}

float KR_Ray3D::sphere_intersection(const KR_Matrix3D& m) const {
  KR_Matrix3D inv(m);
  // Without an inverse the ray cannot be taken into the sphere's space: count it a miss.
  if (!inv.inverse()) return 0;
  const KR_Ray3D local = createInverseTransformedRay(inv);
  const KR_Vector3D s = local.start.toVector();
  const KR_Vector3D& d = local.direction;
  const scalar a = d * d;
  const scalar b = s * d;
  const scalar c = s * s - 1;
  // A direction whose squared length is 0 (or underflows to 0) has no parameter t.
  if (a == 0) return 0;
  const scalar discrim = b * b - a * c;
  if (discrim < 0) return 0;
  // The root and the two parameters are compared with the bound before any rounding to float:
  // a root just inside the bound must not round up past it.
  const double discRoot = std::sqrt(double(discrim));
  const double t1 = (-double(b) - discRoot) / double(a);
  // A root that does not fit in a float (a tiny direction) is no hit either.
  if (t1 > 0.0001) return std::isfinite(float(t1)) ? float(t1) : 0;
  const double t2 = (-double(b) + discRoot) / double(a);
  if (t2 > 0.0001) return std::isfinite(float(t2)) ? float(t2) : 0;
  return 0;
}

}  // namespace KORA
