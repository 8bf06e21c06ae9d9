// KR_Line2D.cpp - plane line segment.
#include "KR_Line2D.h"

namespace KORA {

KR_Line2D::KR_Line2D(const KR_Point2D& p1, const KR_Point2D& p2) : start(p1), end(p2) {
  normal = end - start;
  normal.perp();
}

scalar KR_Line2D::length() const { return (end - start).length(); }

void KR_Line2D::draw() const {
  glBegin(GL_LINES);
  glVertex2f(start.x, start.y);
  glVertex2f(end.x, end.y);
  glEnd();
}

}  // namespace KORA
