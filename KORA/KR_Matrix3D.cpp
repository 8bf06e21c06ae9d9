// KR_Matrix3D.cpp - the 4x4 matrix.
#include "KR_Matrix3D.h"

#include <cmath>
#include <iostream>

#include "KR_Math.h"

namespace KORA {

namespace {

void setDiagonal(scalar* d, scalar x, scalar y, scalar z) {
  for (int i = 0; i < 16; ++i) d[i] = 0;
  d[0] = x;
  d[5] = y;
  d[10] = z;
  d[15] = 1;
}

// r = a x b, with r not aliasing a or b.
inline void product(scalar* r, const scalar* a, const scalar* b) {
  for (int c = 0; c < 4; ++c) {
    const scalar b0 = b[4 * c], b1 = b[4 * c + 1], b2 = b[4 * c + 2], b3 = b[4 * c + 3];
    for (int row = 0; row < 4; ++row)
      r[4 * c + row] = a[row] * b0 + a[4 + row] * b1 + a[8 + row] * b2 + a[12 + row] * b3;
  }
}

}  // namespace

KR_Matrix3D::KR_Matrix3D(byte type, scalar x, scalar y, scalar z) {
  if (type == SCALING_MATRIX) {
    setDiagonal(data, x, y, z);
    return;
  }
  createIdentity();
  if (type == TRANSLATION_MATRIX) {
    data[12] = x;
    data[13] = y;
    data[14] = z;
  }
}

KR_Matrix3D::KR_Matrix3D(byte type, KR_Vector3D* v)
    : KR_Matrix3D(type, v->data[0], v->data[1], v->data[2]) {}

KR_Matrix3D::KR_Matrix3D(byte type, scalar angle) {
  switch (type) {
    case X_ROTATION_MATRIX: createXRotation(angle); break;
    case Y_ROTATION_MATRIX: createYRotation(angle); break;
    case Z_ROTATION_MATRIX: createZRotation(angle); break;
    default: createIdentity(); break;
  }
}

KR_Matrix3D::KR_Matrix3D(KR_Vector3D eye, const KR_Vector3D& u, const KR_Vector3D& v,
                         const KR_Vector3D& n) {
  data[0] = u.data[0];
  data[4] = u.data[1];
  data[8] = u.data[2];
  data[12] = -(u * eye);
  data[1] = v.data[0];
  data[5] = v.data[1];
  data[9] = v.data[2];
  data[13] = -(v * eye);
  data[2] = n.data[0];
  data[6] = n.data[1];
  data[10] = n.data[2];
  data[14] = -(n * eye);
  data[3] = data[7] = data[11] = 0;
  data[15] = 1;
}

KR_Matrix3D::KR_Matrix3D(scalar f[][4]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) data[4 * i + j] = f[i][j];
}

KR_Matrix3D::KR_Matrix3D(scalar* f) {
  for (int i = 0; i < 16; ++i) data[i] = f[i];
}

KR_Matrix3D& KR_Matrix3D::operator=(const KR_Matrix3D& m) {
  if (this != &m)
    for (int i = 0; i < 16; ++i) data[i] = m.data[i];
  return *this;
}

void KR_Matrix3D::createIdentity() { setDiagonal(data, 1, 1, 1); }

void KR_Matrix3D::createXRotation(scalar angle) {
  KR_Math::getInstance();
  scalar s, c;
  ::sincosf(angle * DEGRAD, &s, &c);
  setDiagonal(data, 1, c, c);
  data[6] = s;
  data[9] = -s;
}

void KR_Matrix3D::createYRotation(scalar angle) {
  KR_Math::getInstance();
  scalar s, c;
  ::sincosf(angle * DEGRAD, &s, &c);
  setDiagonal(data, c, 1, c);
  data[2] = -s;
  data[8] = s;
}

void KR_Matrix3D::createZRotation(scalar angle) {
  KR_Math::getInstance();
  scalar s, c;
  ::sincosf(angle * DEGRAD, &s, &c);
  setDiagonal(data, c, c, 1);
  data[1] = s;
  data[4] = -s;
}

KR_Matrix3D& KR_Matrix3D::operator*=(const KR_Matrix3D& m) {
  scalar a[16];
  for (int i = 0; i < 16; ++i) a[i] = data[i];
  if (&m == this) {
    product(data, a, a);
  } else {
    product(data, a, m.data);
  }
  return *this;
}

void KR_Matrix3D::preMultiply(const KR_Matrix3D& m) {
  // Both operands are copied first: m may be this matrix, and the compiler then knows that
  // writing data cannot change them.
  scalar a[16], b[16];
  for (int i = 0; i < 16; ++i) {
    a[i] = data[i];
    b[i] = m.data[i];
  }
  product(data, b, a);
}

KR_Matrix3D KR_Matrix3D::operator*(const KR_Matrix3D& m) const {
  KR_Matrix3D r(*this);
  product(r.data, data, m.data);
  return r;
}

KR_Matrix3D KR_Matrix3D::operator+(const KR_Matrix3D& m) const {
  KR_Matrix3D r(*this);
  return r += m;
}

KR_Matrix3D KR_Matrix3D::operator-(const KR_Matrix3D& m) const {
  KR_Matrix3D r(*this);
  return r -= m;
}

KR_Matrix3D KR_Matrix3D::operator-() const {
  KR_Matrix3D r(*this);
  for (scalar& x : r.data) x = -x;
  return r;
}

KR_Matrix3D KR_Matrix3D::operator*(scalar s) const {
  KR_Matrix3D r(*this);
  return r *= s;
}

KR_Matrix3D KR_Matrix3D::operator/(scalar s) const {
  KR_Matrix3D r(*this);
  return r /= s;
}

KR_Matrix3D& KR_Matrix3D::operator+=(const KR_Matrix3D& m) {
  for (int i = 0; i < 16; ++i) data[i] += m.data[i];
  return *this;
}

KR_Matrix3D& KR_Matrix3D::operator-=(const KR_Matrix3D& m) {
  for (int i = 0; i < 16; ++i) data[i] -= m.data[i];
  return *this;
}

KR_Matrix3D& KR_Matrix3D::operator*=(scalar s) {
  for (scalar& x : data) x *= s;
  return *this;
}

KR_Matrix3D& KR_Matrix3D::operator/=(scalar s) {
  for (scalar& x : data) x /= s;
  return *this;
}

void KR_Matrix3D::transpose() {
  static const int pairs[6][2] = {{1, 4}, {2, 8}, {3, 12}, {6, 9}, {7, 13}, {11, 14}};
  for (const auto& p : pairs) {
    const scalar t = data[p[0]];
    data[p[0]] = data[p[1]];
    data[p[1]] = t;
  }
}

bool KR_Matrix3D::isIdentity() const {
  for (int i = 0; i < 16; ++i) {
    const scalar expected = (i % 5 == 0) ? 1.0f : 0.0f;
    if (!(data[i] == expected)) return false;
  }
  return true;
}

bool KR_Matrix3D::isHomogenous() const {
  return data[3] == 0 && data[7] == 0 && data[11] == 0 && data[15] == 1;
}

scalar KR_Matrix3D::determinant() const {
  const scalar* d = data;
  if (isHomogenous())
    return d[0] * (d[5] * d[10] - d[6] * d[9]) - d[1] * (d[4] * d[10] - d[6] * d[8]) +
           d[2] * (d[4] * d[9] - d[5] * d[8]);
  // General 4x4 case: Laplace expansion over 2x2 minors of the first two columns.
  const scalar s0 = d[0] * d[5] - d[4] * d[1], s1 = d[0] * d[6] - d[4] * d[2];
  const scalar s2 = d[0] * d[7] - d[4] * d[3], s3 = d[1] * d[6] - d[5] * d[2];
  const scalar s4 = d[1] * d[7] - d[5] * d[3], s5 = d[2] * d[7] - d[6] * d[3];
  const scalar c5 = d[10] * d[15] - d[14] * d[11], c4 = d[9] * d[15] - d[13] * d[11];
  const scalar c3 = d[9] * d[14] - d[13] * d[10], c2 = d[8] * d[15] - d[12] * d[11];
  const scalar c1 = d[8] * d[14] - d[12] * d[10], c0 = d[8] * d[13] - d[12] * d[9];
  return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

bool KR_Matrix3D::isNonSingular() const {
  if (!isHomogenous()) return false;
  const scalar det = determinant();
  // A determinant that overflowed (a scale of 1e13 cubes to inf) says nothing about the
  // matrix; it would pass the bounds and yield a zero "inverse".
  if (!std::isfinite(det)) return false;
  return !(det > -0.0001 && det < 0.0001);
}

bool KR_Matrix3D::inverse() {
  if (!isNonSingular()) return false;
  const scalar* d = data;
  scalar c[16];
  c[0] = d[5] * d[10] - d[6] * d[9];
  c[1] = d[2] * d[9] - d[1] * d[10];
  c[2] = d[1] * d[6] - d[2] * d[5];
  c[4] = d[6] * d[8] - d[4] * d[10];
  c[5] = d[0] * d[10] - d[2] * d[8];
  c[6] = d[2] * d[4] - d[0] * d[6];
  c[8] = d[4] * d[9] - d[5] * d[8];
  c[9] = d[1] * d[8] - d[0] * d[9];
  c[10] = d[0] * d[5] - d[1] * d[4];
  c[3] = c[7] = c[11] = 0;
  c[12] = -(d[4] * (d[9] * d[14] - d[10] * d[13]) - d[5] * (d[8] * d[14] - d[10] * d[12]) +
            d[6] * (d[8] * d[13] - d[9] * d[12]));
  c[13] = d[0] * (d[9] * d[14] - d[10] * d[13]) - d[1] * (d[8] * d[14] - d[10] * d[12]) +
          d[2] * (d[8] * d[13] - d[9] * d[12]);
  c[14] = -(d[0] * (d[5] * d[14] - d[6] * d[13]) - d[1] * (d[4] * d[14] - d[6] * d[12]) +
            d[2] * (d[4] * d[13] - d[5] * d[12]));
  c[15] = d[0] * (d[5] * d[10] - d[6] * d[9]) - d[1] * (d[4] * d[10] - d[6] * d[8]) +
          d[2] * (d[4] * d[9] - d[5] * d[8]);
  const scalar f = 1 / (c[15] * d[15]);
  for (int i = 0; i < 16; ++i) {
    c[i] *= f;
    if (!std::isfinite(c[i])) return false;  // a cofactor overflowed: no usable inverse
  }
  for (int i = 0; i < 16; ++i) data[i] = c[i];
  // det * (1 / det) can miss 1 by a rounding step; keep the inverse affine so that it can be
  // inverted again.
  data[15] = 1;
  return true;
}

void KR_Matrix3D::print() const {
  static const char* const sep[4][3] = {
      {"\t", "\t ", "\t "},
      {"\t ", "\t ", "\t "},
      {"\t ", "\t ", "\t"},
      {"\t ", "\t ", "\t "},
  };
  for (int r = 0; r < 4; ++r)
    std::cout << data[r] << sep[r][0] << data[r + 4] << sep[r][1] << data[r + 8] << sep[r][2]
              << data[r + 12] << std::endl;
  std::cout << std::endl;
}

}  // namespace KORA
