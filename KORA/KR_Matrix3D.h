// KR_Matrix3D.h - a 4x4 transformation matrix in OpenGL's column-major order: the element in
// row r, column c is data[4*c + r], so data can go to glLoadMatrixf unchanged. Angles are in
// degrees. A plain value type.
#ifndef KORA_KR_MATRIX3D_H
#define KORA_KR_MATRIX3D_H

#include "KR_Def.h"
#include "KR_Point3D.h"
#include "KR_Vector3D.h"

namespace KORA {

class KR_Matrix3D {
 public:
  scalar data[16];

  // The identity.
  KR_Matrix3D() { createIdentity(); }
  // TRANSLATION_MATRIX: translation (x, y, z); SCALING_MATRIX: diagonal (x, y, z, 1);
  // any other code: the identity.
  KR_Matrix3D(byte type, scalar x, scalar y, scalar z);
  KR_Matrix3D(byte type, KR_Vector3D* v);
  // X_, Y_ or Z_ROTATION_MATRIX: rotation by angle degrees about that axis, counter-clockwise
  // looking down the axis (as glRotatef); any other code: the identity.
  KR_Matrix3D(byte type, scalar angle);
  // Viewing matrix for an eye with the orthonormal axes u (right), v (up) and n (backwards):
  // rows 0..2 are u, v, n and the translation is -(axis . eye) for each axis.
  KR_Matrix3D(KR_Vector3D eye, const KR_Vector3D& u, const KR_Vector3D& v, const KR_Vector3D& n);
  // f[i] becomes column i.
  KR_Matrix3D(scalar f[][4]);
  // The 16 values as they stand, column-major.
  KR_Matrix3D(scalar* f);
  KR_Matrix3D(const KR_Matrix3D& m) = default;

  KR_Matrix3D& operator=(const KR_Matrix3D& m);

  void createIdentity();

  // this = this x m (m applied first to a column vector).
  KR_Matrix3D& operator*=(const KR_Matrix3D& m);
  // this = m x this.
  void preMultiply(const KR_Matrix3D& m);
  // The product this x m as a new matrix; neither operand changes.
  KR_Matrix3D operator*(const KR_Matrix3D& m) const;
  // Element-wise sums and differences, new matrices.
  KR_Matrix3D operator+(const KR_Matrix3D& m) const;
  KR_Matrix3D operator-(const KR_Matrix3D& m) const;
  // Every element negated, as a new matrix.
  KR_Matrix3D operator-() const;
  // Every element times or divided by s, as a new matrix.
  KR_Matrix3D operator*(scalar s) const;
  KR_Matrix3D operator/(scalar s) const;
  KR_Matrix3D& operator+=(const KR_Matrix3D& m);
  KR_Matrix3D& operator-=(const KR_Matrix3D& m);
  KR_Matrix3D& operator*=(scalar s);
  KR_Matrix3D& operator/=(scalar s);

  void transpose();
  // Every element equal to the identity's, compared exactly (-0.0 counts as 0, NaN never).
  bool isIdentity() const;
  // The bottom row is exactly (0, 0, 0, 1).
  bool isHomogenous() const;
  // The determinant; for a homogeneous matrix that of the upper-left 3x3 block.
  scalar determinant() const;
  // True when the matrix is homogeneous and its determinant is finite with |determinant| at
  // least 0.0001.
  bool isNonSingular() const;
  // Replaces an affine matrix by its inverse. False, and the matrix unchanged, when it is not
  // homogeneous, its determinant lies strictly between -0.0001 and 0.0001 or is not finite
  // (overflowed), or an element of the inverse would not be finite.
  bool inverse();

  // Writes the four rows, tab-separated, and an empty line to std::cout.
  void print() const;

 private:
  void createXRotation(scalar angle);
  void createYRotation(scalar angle);
  void createZRotation(scalar angle);
};

}  // namespace KORA

#endif
