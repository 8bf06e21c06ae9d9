// KR_Triangle.h - one triangle over three borrowed vertices; drawn inside the caller's
// glBegin(GL_TRIANGLES) ... glEnd().
#ifndef KORA_KR_TRIANGLE_H
#define KORA_KR_TRIANGLE_H

#include "KR_Vertex.h"

namespace KORA {

class KR_Triangle {
 public:
  KR_Vertex* vertices[3];  // the corners; not owned
  KR_Vector3D normal;      // face normal, not used when drawing

  KR_Triangle() : vertices{nullptr, nullptr, nullptr} {}

  // Emits colour (opaque white), normal, texture coordinates and position of each corner.
  void drawOpenGL() const;
};

}  // namespace KORA

#endif
