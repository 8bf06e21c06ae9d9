// KR_Vector3D.cpp - the vector operations that need the matrix or a stream.
#include "KR_Vector3D.h"

#include <iostream>

#include "KR_Matrix3D.h"

namespace KORA {

KR_Vector3D KR_Vector3D::operator*(const KR_Matrix3D& m) const {
  KR_Vector3D r(*this);
  r *= m;
  return r;
}

KR_Vector3D& KR_Vector3D::operator*=(const KR_Matrix3D& m) {
  const scalar* d = m.data;
  const scalar x = data[0], y = data[1], z = data[2];
  data[0] = d[0] * x + d[4] * y + d[8] * z;
  data[1] = d[1] * x + d[5] * y + d[9] * z;
  data[2] = d[2] * x + d[6] * y + d[10] * z;
  return *this;
}

void KR_Vector3D::print() const {
  std::cout << '(' << data[0] << ", " << data[1] << ", " << data[2] << ')' << std::endl;
}

}  // namespace KORA
