// KR_Matrix2D.cpp - construction and arithmetic of the 3 x 3 plane matrix.
#include "KR_Matrix2D.h"

#include <cmath>

#include "KR_Math.h"
#include "KR_Vector2D.h"

namespace KORA {

void KR_Matrix2D::createIdentity() {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] = (i == j) ? 1.0f : 0.0f;
}

KR_Matrix2D::KR_Matrix2D(byte type, scalar x, scalar y) {
  createIdentity();
  if (type == TRANSLATION_MATRIX) {
    data[0][2] = x;
    data[1][2] = y;
  } else if (type == SCALING_MATRIX) {
    data[0][0] = x;
    data[1][1] = y;
  }
}

KR_Matrix2D::KR_Matrix2D(byte type, const KR_Vector2D* v)
    : KR_Matrix2D(type, v->data[0], v->data[1]) {}

KR_Matrix2D::KR_Matrix2D(scalar angle) {
  createIdentity();
  if (angle == 0.0f) return;
  KR_Math::getInstance();
  scalar rad = angle * DEGRAD;
  scalar s = sinf(rad), c = cosf(rad);
  data[0][0] = c;
  data[0][1] = -s;
  data[1][0] = s;
  data[1][1] = c;
}

KR_Matrix2D& KR_Matrix2D::operator=(const KR_Matrix2D& m) {
  if (this != &m)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) data[i][j] = m.data[i][j];
  return *this;
}

KR_Matrix2D KR_Matrix2D::operator*(const KR_Matrix2D& m) const {
  KR_Matrix2D r(*this);
  r *= m;
  return r;
}

KR_Matrix2D& KR_Matrix2D::operator*=(const KR_Matrix2D& m) {
  KR_Matrix2D old(*this);  // m may be this matrix itself
  KR_Matrix2D rhs(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      data[i][j] = old.data[i][0] * rhs.data[0][j] + old.data[i][1] * rhs.data[1][j] +
                   old.data[i][2] * rhs.data[2][j];
  return *this;
}

KR_Matrix2D KR_Matrix2D::operator+(const KR_Matrix2D& m) const {
  KR_Matrix2D r(*this);
  r += m;
  return r;
}

KR_Matrix2D KR_Matrix2D::operator-(const KR_Matrix2D& m) const {
  KR_Matrix2D r(*this);
  r -= m;
  return r;
}

KR_Matrix2D& KR_Matrix2D::operator+=(const KR_Matrix2D& m) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] += m.data[i][j];
  return *this;
}

KR_Matrix2D& KR_Matrix2D::operator-=(const KR_Matrix2D& m) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] -= m.data[i][j];
  return *this;
}

KR_Matrix2D KR_Matrix2D::operator*(scalar s) const {
  KR_Matrix2D r(*this);
  r *= s;
  return r;
}

KR_Matrix2D KR_Matrix2D::operator/(scalar s) const {
  KR_Matrix2D r(*this);
  r /= s;
  return r;
}

KR_Matrix2D& KR_Matrix2D::operator*=(scalar s) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] *= s;
  return *this;
}

KR_Matrix2D& KR_Matrix2D::operator/=(scalar s) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] /= s;
  return *this;
}

KR_Matrix2D& KR_Matrix2D::operator-() {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) data[i][j] = -data[i][j];
  return *this;
}

}  // namespace KORA
