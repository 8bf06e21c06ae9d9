// KR_2D.h - KR_Draw_2D, stateless immediate-mode drawing of points, lines, poly-lines and
// GLUT bitmap text in the current projection (usually the window of KR_Init::vSetWindow).
#ifndef KORA_KR_2D_H
#define KORA_KR_2D_H

#include <string>

#include "KR_Line2D.h"
#include "KR_Matrix2D.h"
#include "KR_Point2D.h"
#include "KR_Ray2D.h"
#include "KR_Vector2D.h"

namespace KORA {

class KR_Draw_2D {
 public:
  KR_Draw_2D() {}
  ~KR_Draw_2D() {}

  void vDrawPoint(GLint x, GLint y) const;
  void vDrawPoint(const KR_Point2D* point) const;
  void vDrawLine(GLint startx, GLint starty, GLint endx, GLint endy) const;
  void vDrawLine(const KR_Point2D* startpoint, const KR_Point2D* endpoint) const;
  // Joins the first number points (closed: back to the first) and flushes GL.
  void vDrawPolyLine(const KR_Point2D* points, GLint number, bool closed) const;
  // Draws text glyph by glyph with a GLUT bitmap font, left edge at xpos, baseline at ypos.
  void vDrawString(void* font, const std::string& text, GLint xpos, GLint ypos) const;
};

}  // namespace KORA

#endif
