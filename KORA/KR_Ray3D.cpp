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
  // The ray is carried into the sphere's space by m's inverse, worked out here in double rather
  // than by KR_Matrix3D::inverse(): that one refuses a 3x3 determinant under 0.0001, which
  // would make every sphere of radius below 0.0464 a miss. Only a matrix that is not affine,
  // not finite, or singular to double precision has no inverse: a miss.
  const scalar* e = m.data;
  if (e[3] != 0 || e[7] != 0 || e[11] != 0 || e[15] == 0) return 0;
  const double w = e[15];
  const double a[3][3] = {{e[0] / w, e[4] / w, e[8] / w},
                          {e[1] / w, e[5] / w, e[9] / w},
                          {e[2] / w, e[6] / w, e[10] / w}};
  double inv[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      // The cofactor of (c, r): the adjugate is the transposed cofactor matrix.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inv[r][c] = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
    }
  const double det = a[0][0] * inv[0][0] + a[0][1] * inv[1][0] + a[0][2] * inv[2][0];
  const double columns = std::sqrt((a[0][0] * a[0][0] + a[1][0] * a[1][0] + a[2][0] * a[2][0]) *
                                   (a[0][1] * a[0][1] + a[1][1] * a[1][1] + a[2][1] * a[2][1]) *
                                   (a[0][2] * a[0][2] + a[1][2] * a[1][2] + a[2][2] * a[2][2]));
  // The determinant against the product of the column lengths: 0 for a flattened sphere, 1
  // for a turned and scaled one, whatever its size.
  if (!std::isfinite(det) || !(std::fabs(det) > 1e-12 * columns)) return 0;
  const double from[3] = {start.data[0] - e[12] / w, start.data[1] - e[13] / w,
                          start.data[2] - e[14] / w};
  double s[3], d[3];
  for (int r = 0; r < 3; ++r) {
    s[r] = (inv[r][0] * from[0] + inv[r][1] * from[1] + inv[r][2] * from[2]) / det;
    d[r] = (inv[r][0] * direction.data[0] + inv[r][1] * direction.data[1] +
            inv[r][2] * direction.data[2]) /
           det;
  }
  const double A = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  // A direction of length 0 has no parameter t.
  if (!(A > 0) || !std::isfinite(A)) return 0;
  const double B = s[0] * d[0] + s[1] * d[1] + s[2] * d[2];
  // The discriminant B^2 - A C (C = s . s - 1) as A (1 - |q|^2), q the point of the line
  // nearest the centre: the difference of two large numbers when the start lies far from the
  // sphere, of which float kept nothing at a thousand radii, is never formed.
  const double along = B / A;
  const double q[3] = {s[0] - along * d[0], s[1] - along * d[1], s[2] - along * d[2]};
  const double half = 1 - (q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);  // (half chord)^2
  if (half < 0) return 0;
  const double reach = std::sqrt(half / A);  // half the chord, in direction lengths
  // Compared with the bound before any rounding to float, so that a root just inside the bound
  // does not round up past it; a root that does not fit in a float is no hit either.
  const double t1 = -along - reach;
  if (t1 > 0.0001) return std::isfinite(float(t1)) ? float(t1) : 0;
  const double t2 = -along + reach;
  if (t2 > 0.0001) return std::isfinite(float(t2)) ? float(t2) : 0;
  return 0;
}

}  // namespace KORA
