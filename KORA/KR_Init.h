// KR_Init.h - start-up calls for an application: GLUT initialisation, the viewport and a 2D
// orthographic window. Holds no state.
#ifndef KORA_KR_INIT_H
#define KORA_KR_INIT_H

#include "KR_Def.h"

namespace KORA {

class KR_Init {
 public:
  // glutInit on a copy of argc: the caller's count is not changed by arguments GLUT consumes
  // (GLUT may still shift the entries of argv).
  KR_Init(int argc, char** argv);
  ~KR_Init();

  // glViewport(left, top, right - left, bottom): y is top and the height is bottom.
  void vSetViewPort(GLint left, GLint right, GLint bottom, GLint top);
  // Projection = gluOrtho2D(left, right, top, bottom), top and bottom swapped: top becomes the
  // lower y bound. Leaves GL_PROJECTION current, past the GL state tracker.
  void vSetWindow(scalar left, scalar right, scalar bottom, scalar top);
};

}  // namespace KORA

#endif
