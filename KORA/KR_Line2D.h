// KR_Line2D.h - a line segment in the plane with its (unnormalised) left-hand normal.
#ifndef KORA_KR_LINE2D_H
#define KORA_KR_LINE2D_H

#include "KR_Point2D.h"
#include "KR_Vector2D.h"

namespace KORA {

class KR_Line2D {
 public:
  KR_Point2D start;
  KR_Point2D end;
  KR_Vector2D normal;  // (end - start) turned a quarter counter-clockwise

  KR_Line2D(const KR_Point2D& p1, const KR_Point2D& p2);
  ~KR_Line2D() {}

  scalar length() const;
  // Draws the segment as one GL line.
  void draw() const;
};

}  // namespace KORA

#endif
