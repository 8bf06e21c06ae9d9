// KR_Ray2D.cpp - plane ray and the intersection of two rays' lines.
#include "KR_Ray2D.h"

namespace KORA {

namespace {
// Below this magnitude a numerator or denominator counts as zero (compared in double).
const double INTERSECTION_EPSILON = 0.0001;
}  // namespace

KR_Ray2D::KR_Ray2D(const KR_Point2D& p, const KR_Vector2D& v) : start(p), direction(v) {}

KR_Ray2D::KR_Ray2D(const KR_Line2D& l) : start(l.start), direction(l.end - l.start) {}

void KR_Ray2D::draw() const {
  KR_Line2D line(start, start + direction);
  line.draw();
}

int KR_Ray2D::intersection(const KR_Ray2D& r, KR_Point2D& p) const {
  KR_Vector2D normal = r.direction;
  normal.perp();
  KR_Vector2D bMina = r.start - start;
  KR_Vector2D temp = direction;
  temp.normalize();
  scalar numerator = normal * bMina;
  scalar denominator = normal * temp;
  if (numerator > -INTERSECTION_EPSILON && numerator < INTERSECTION_EPSILON) return -2;
  if (denominator > -INTERSECTION_EPSILON && denominator < INTERSECTION_EPSILON) return 0;
  scalar s = numerator / denominator;
  p = start + temp * s;
  return denominator < 0.0f ? 1 : -1;
}

}  // namespace KORA
