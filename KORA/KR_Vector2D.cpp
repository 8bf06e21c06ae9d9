// KR_Vector2D.cpp - plane vector operations that need more than the header.
#include "KR_Vector2D.h"

#include <cmath>

#include "KR_Line2D.h"
#include "KR_Math.h"
#include "KR_Matrix2D.h"

namespace KORA {

KR_Vector2D& KR_Vector2D::operator*=(const KR_Matrix2D& m) {
  scalar x = data[0], y = data[1];
  data[0] = m.data[0][0] * x + m.data[0][1] * y;
  data[1] = m.data[1][0] * x + m.data[1][1] * y;
  return *this;
}

KR_Vector2D KR_Vector2D::operator*(const KR_Matrix2D& m) const {
  KR_Vector2D r(*this);
  r *= m;
  return r;
}

scalar KR_Vector2D::length() const { return std::sqrt(data[0] * data[0] + data[1] * data[1]); }

scalar KR_Vector2D::normalize() {
  scalar len = length();
  data[0] /= len;
  data[1] /= len;
  return len;
}

bool KR_Vector2D::orthogonal(const KR_Vector2D& v) const {
  scalar dot = *this * v;
  return dot >= -0.00001f && dot <= 0.00001f;
}

scalar KR_Vector2D::getRadsBetween(const KR_Vector2D& v) const {
  // In double, and the cosine clamped to [-1, 1]: the float quotient of parallel vectors such
  // as (1, 1) and (2, 2) rounds a little above 1, whose arc cosine is NaN.
  const double dot = double(data[0]) * v.data[0] + double(data[1]) * v.data[1];
  const double lengths = std::hypot(double(data[0]), double(data[1])) *
                         std::hypot(double(v.data[0]), double(v.data[1]));
  double q = dot / lengths;  // NaN for a vector of length 0, and stays so
  if (q > 1.0) q = 1.0;
  if (q < -1.0) q = -1.0;
  return scalar(std::acos(q));
}

scalar KR_Vector2D::getDegreesBetween(const KR_Vector2D& v) const {
  KR_Math::getInstance();
  return getRadsBetween(v) * RADDEG;
}

void KR_Vector2D::richochet(KR_Vector2D normal) {
  normal.normalize();
  scalar d = data[0] * normal.data[0] + data[1] * normal.data[1];
  data[0] = data[0] - 2.0f * d * normal.data[0];
  data[1] = data[1] - 2.0f * d * normal.data[1];
}

void KR_Vector2D::draw(scalar startx, scalar starty) const {
  KR_Line2D line(KR_Point2D(startx, starty), KR_Point2D(startx + data[0], starty + data[1]));
  line.draw();
}

}  // namespace KORA
