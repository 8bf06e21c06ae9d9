// KR_Init.cpp - GLUT, viewport and 2D window set-up.
#include "KR_Init.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

namespace KORA {

KR_Init::KR_Init(int argc, char** argv) {
  int count = argc;
  glutInit(&count, argv);
}

KR_Init::~KR_Init() {}

void KR_Init::vSetViewPort(GLint left, GLint right, GLint bottom, GLint top) {
  glViewport(left, top, right - left, bottom);
}

void KR_Init::vSetWindow(scalar left, scalar right, scalar bottom, scalar top) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(left, right, top, bottom);
}

}  // namespace KORA
