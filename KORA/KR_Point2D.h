// KR_Point2D.h - a position in the plane.
#ifndef KORA_KR_POINT2D_H
#define KORA_KR_POINT2D_H

#include "KR_Vector2D.h"

namespace KORA {

class KR_Point2D {
 public:
  scalar x, y;

  KR_Point2D() : x(0.0f), y(0.0f) {}
  KR_Point2D(scalar _x, scalar _y) : x(_x), y(_y) {}

  // The displacement from p to this point.
  KR_Vector2D operator-(const KR_Point2D& p) const { return KR_Vector2D(x - p.x, y - p.y); }
  KR_Point2D operator+(const KR_Vector2D& v) const {
    return KR_Point2D(x + v.data[0], y + v.data[1]);
  }

  // Draws the point as a single GL point.
  void draw() const;
};

}  // namespace KORA

#endif
