// KR_Ray2D.h - a ray in the plane (start point and direction) with line intersection.
#ifndef KORA_KR_RAY2D_H
#define KORA_KR_RAY2D_H

#include "KR_Line2D.h"

namespace KORA {

class KR_Ray2D {
 public:
  KR_Point2D start;
  KR_Vector2D direction;  // its length is the length drawn

  KR_Ray2D(const KR_Point2D& p, const KR_Vector2D& v);
  KR_Ray2D(const KR_Line2D& l);

  // Draws start .. start + direction.
  void draw() const;
  // Intersects the lines of this ray and r. Returns -2 when this start lies on r's line,
  // 0 when the two are parallel (p untouched in both cases), otherwise stores the
  // intersection in p and returns 1 or -1 by the sign of the denominator (1 when negative).
  int intersection(const KR_Ray2D& r, KR_Point2D& p) const;
};

}  // namespace KORA

#endif
