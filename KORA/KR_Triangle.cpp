// KR_Triangle.cpp - immediate-mode drawing of one triangle.
#include "KR_Triangle.h"

namespace KORA {

void KR_Triangle::drawOpenGL() const {
  for (const KR_Vertex* v : vertices) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3fv(v->normal.data);
    glTexCoord2fv(v->texCoords);
    glVertex3fv(v->point.data);
  }
}

}  // namespace KORA
