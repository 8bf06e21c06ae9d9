// KR_Point2D.cpp - drawing of a plane point.
#include "KR_Point2D.h"

namespace KORA {

void KR_Point2D::draw() const {
  glBegin(GL_POINTS);
  glVertex2f(x, y);
  glEnd();
}

}  // namespace KORA
