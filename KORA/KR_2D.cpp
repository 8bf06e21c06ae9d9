// KR_2D.cpp - KR_Draw_2D's immediate-mode drawing.
#include "KR_2D.h"

#include <GL/glut.h>

namespace KORA {

void KR_Draw_2D::vDrawPoint(GLint x, GLint y) const {
  glBegin(GL_POINTS);
  glVertex2i(x, y);
  glEnd();
}

void KR_Draw_2D::vDrawPoint(const KR_Point2D* point) const {
  glBegin(GL_POINTS);
  glVertex2f(point->x, point->y);
  glEnd();
}

void KR_Draw_2D::vDrawLine(GLint startx, GLint starty, GLint endx, GLint endy) const {
  glBegin(GL_LINES);
  glVertex2i(startx, starty);
  glVertex2i(endx, endy);
  glEnd();
}

void KR_Draw_2D::vDrawLine(const KR_Point2D* startpoint, const KR_Point2D* endpoint) const {
  glBegin(GL_LINES);
  glVertex2f(startpoint->x, startpoint->y);
  glVertex2f(endpoint->x, endpoint->y);
  glEnd();
}

void KR_Draw_2D::vDrawPolyLine(const KR_Point2D* points, GLint number, bool closed) const {
  glBegin(closed ? GL_LINE_LOOP : GL_LINE_STRIP);
  for (GLint i = 0; i < number; ++i) glVertex2f(points[i].x, points[i].y);
  glEnd();
  glFlush();
}

void KR_Draw_2D::vDrawString(void* font, const std::string& text, GLint xpos, GLint ypos) const {
  GLint x = xpos;
  for (char c : text) {
    glRasterPos2i(x, ypos);
    glutBitmapCharacter(font, c);
    x += glutBitmapWidth(font, c);
  }
}

}  // namespace KORA
