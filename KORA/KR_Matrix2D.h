// KR_Matrix2D.h - homogeneous 3 x 3 matrix for plane translation, scaling and rotation.
// Row-major, data[row][column]; points and vectors are columns.
#ifndef KORA_KR_MATRIX2D_H
#define KORA_KR_MATRIX2D_H

#include "KR_Def.h"

namespace KORA {

class KR_Vector2D;

class KR_Matrix2D {
 public:
  scalar data[3][3];

  KR_Matrix2D() { createIdentity(); }
  // TRANSLATION_MATRIX by (x, y), SCALING_MATRIX by (x, y); any other type is the identity.
  KR_Matrix2D(byte type, scalar x, scalar y);
  KR_Matrix2D(byte type, const KR_Vector2D* v);
  // Counter-clockwise rotation by angle degrees.
  KR_Matrix2D(scalar angle);
  KR_Matrix2D(const KR_Matrix2D&) = default;

  KR_Matrix2D& operator=(const KR_Matrix2D& m);

  // Matrix product this x m.
  KR_Matrix2D operator*(const KR_Matrix2D& m) const;
  KR_Matrix2D& operator*=(const KR_Matrix2D& m);
  KR_Matrix2D operator+(const KR_Matrix2D& m) const;
  KR_Matrix2D operator-(const KR_Matrix2D& m) const;
  KR_Matrix2D& operator+=(const KR_Matrix2D& m);
  KR_Matrix2D& operator-=(const KR_Matrix2D& m);

  KR_Matrix2D operator*(scalar s) const;
  KR_Matrix2D operator/(scalar s) const;
  KR_Matrix2D& operator*=(scalar s);
  KR_Matrix2D& operator/=(scalar s);
  // Negates every element of this matrix itself and returns it.
  KR_Matrix2D& operator-();

  void createIdentity();
};

}  // namespace KORA

#endif
