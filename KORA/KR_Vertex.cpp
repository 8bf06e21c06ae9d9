// KR_Vertex.cpp - the vertex record.
#include "KR_Vertex.h"

namespace KORA {

KR_Vertex::KR_Vertex() : texCoords{0.0f, 0.0f} {}

KR_Vertex::KR_Vertex(const KR_Point3D& p, const KR_Vector3D& n)
    : point(p), normal(n), texCoords{0.0f, 0.0f} {}

KR_Vertex::KR_Vertex(const KR_Vertex& v)
    : point(v.point), normal(v.normal), texCoords{v.texCoords[0], v.texCoords[1]} {}

KR_Vertex& KR_Vertex::operator=(const KR_Vertex& v) {
  if (this != &v) {
    point = v.point;
    normal = v.normal;
    texCoords[0] = v.texCoords[0];
    texCoords[1] = v.texCoords[1];
  }
  return *this;
}

void KR_Vertex::lerp3D(const KR_Vertex* other, float t) {
  for (int i = 0; i < 3; ++i)
    point.data[i] = point.data[i] + t * (other->point.data[i] - point.data[i]);
}

}  // namespace KORA
