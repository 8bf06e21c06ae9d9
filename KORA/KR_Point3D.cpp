// KR_Point3D.cpp - the point operations that need the matrix or GL.
#include "KR_Point3D.h"

#include "KR_Matrix3D.h"

namespace KORA {

KR_Point3D& KR_Point3D::operator*=(const KR_Matrix3D& m) {
  const scalar* d = m.data;
  const scalar x = data[0], y = data[1], z = data[2];
  data[0] = d[0] * x + d[4] * y + d[8] * z + d[12];
  data[1] = d[1] * x + d[5] * y + d[9] * z + d[13];
  data[2] = d[2] * x + d[6] * y + d[10] * z + d[14];
  return *this;
}

void KR_Point3D::draw() const {
  glBegin(GL_POINTS);
  glVertex3fv(data);
  glEnd();
}

}  // namespace KORA
