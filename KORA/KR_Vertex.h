// KR_Vertex.h - the shared vertex record: position, normal and the vertex's own texture
// coordinates. Meshes (terrain, triangle groups) keep arrays of these.
#ifndef KORA_KR_VERTEX_H
#define KORA_KR_VERTEX_H

#include "KR_Point3D.h"
#include "KR_Vector3D.h"

namespace KORA {

class KR_Vertex {
 public:
  KR_Point3D point;
  KR_Vector3D normal;
  scalar texCoords[2];  // s, t

  // Point (0, 0, 0) with w = 1, normal (0, 0, 0, 0), texture coordinates (0, 0).
  KR_Vertex();
  KR_Vertex(const KR_Point3D& p, const KR_Vector3D& n);
  KR_Vertex(const KR_Vertex& v);
  KR_Vertex& operator=(const KR_Vertex& v);

  // Moves the position a fraction t of the way towards other's position (t is not clamped).
  void lerp3D(const KR_Vertex* other, float t);
};

}  // namespace KORA

#endif
