// KR_Vector3D.h - a 3D direction or displacement: x, y, z and a fourth component 0, so that
// data can go to OpenGL as it stands. Arithmetic reads x, y and z only.
#ifndef KORA_KR_VECTOR3D_H
#define KORA_KR_VECTOR3D_H

#include <cmath>

#include "KR_Def.h"
#include "KR_Math.h"

namespace KORA {

class KR_Matrix3D;

class KR_Vector3D {
 public:
  scalar data[4];

  KR_Vector3D() : data{0, 0, 0, 0} {}
  KR_Vector3D(scalar x, scalar y, scalar z) : data{x, y, z, 0} {}
  // x, y, z from f[0..2].
  KR_Vector3D(scalar* f) : data{f[0], f[1], f[2], 0} {}
  KR_Vector3D(const scalar* f) : data{f[0], f[1], f[2], 0} {}
  KR_Vector3D(const KR_Vector3D& v) : data{v.data[0], v.data[1], v.data[2], 0} {}
  ~KR_Vector3D() {}

  KR_Vector3D& operator=(const KR_Vector3D& v) {
    if (this != &v) {
      data[0] = v.data[0];
      data[1] = v.data[1];
      data[2] = v.data[2];
    }
    return *this;
  }

  // Dot product.
  scalar operator*(const KR_Vector3D& v) const {
    return data[0] * v.data[0] + data[1] * v.data[1] + data[2] * v.data[2];
  }
  KR_Vector3D operator+(const KR_Vector3D& v) const {
    return KR_Vector3D(data[0] + v.data[0], data[1] + v.data[1], data[2] + v.data[2]);
  }
  KR_Vector3D operator-(const KR_Vector3D& v) const {
    return KR_Vector3D(data[0] - v.data[0], data[1] - v.data[1], data[2] - v.data[2]);
  }
  KR_Vector3D operator*(scalar s) const {
    return KR_Vector3D(data[0] * s, data[1] * s, data[2] * s);
  }
  KR_Vector3D operator/(scalar s) const {
    return KR_Vector3D(data[0] / s, data[1] / s, data[2] / s);
  }
  // The upper-left 3x3 block of m times this vector, as a new vector (no translation).
  KR_Vector3D operator*(const KR_Matrix3D& m) const;

  // Negates this vector itself and returns it.
  KR_Vector3D& operator-() {
    data[0] = -data[0];
    data[1] = -data[1];
    data[2] = -data[2];
    return *this;
  }

  KR_Vector3D& operator+=(const KR_Vector3D& v) {
    data[0] += v.data[0];
    data[1] += v.data[1];
    data[2] += v.data[2];
    return *this;
  }
  KR_Vector3D& operator-=(const KR_Vector3D& v) {
    data[0] -= v.data[0];
    data[1] -= v.data[1];
    data[2] -= v.data[2];
    return *this;
  }
  KR_Vector3D& operator*=(scalar s) {
    data[0] *= s;
    data[1] *= s;
    data[2] *= s;
    return *this;
  }
  KR_Vector3D& operator/=(scalar s) {
    data[0] /= s;
    data[1] /= s;
    data[2] /= s;
    return *this;
  }
  // Replaces (x, y, z) by the upper-left 3x3 block of m times (x, y, z); no translation.
  KR_Vector3D& operator*=(const KR_Matrix3D& m);

  // Replaces this vector by this x v and returns true, unless the two are parallel: then
  // false and the vector is unchanged. Parallel means an angle within 0.00001 degrees of 0 or
  // 180, or a product of exactly (0, 0, 0), which float rounding of the angle can hide (and
  // which a zero-length operand also gives).
  bool crossProduct(const KR_Vector3D& v) {
    const scalar a = getDegreesBetween(v);
    if ((a > -0.00001 && a < 0.00001) || (a > 179.99999 && a < 180.00001)) return false;
    const scalar x = data[1] * v.data[2] - data[2] * v.data[1];
    const scalar y = data[2] * v.data[0] - data[0] * v.data[2];
    const scalar z = data[0] * v.data[1] - data[1] * v.data[0];
    if (x == 0 && y == 0 && z == 0) return false;
    data[0] = x;
    data[1] = y;
    data[2] = z;
    return true;
  }

  scalar length() const {
    return std::sqrt(data[0] * data[0] + data[1] * data[1] + data[2] * data[2]);
  }

  // Divides x, y, z by the length and returns the length. A result of exactly (0, 0, 0)
  // (the length overflowed) becomes (1, 1, 1), and so does a vector of length 0.
  scalar normalize() {
    const scalar l = length();
    if (l == 0) {
      data[0] = data[1] = data[2] = 1;
      return l;
    }
    data[0] /= l;
    data[1] /= l;
    data[2] /= l;
    if (data[0] == 0 && data[1] == 0 && data[2] == 0) data[0] = data[1] = data[2] = 1;
    return l;
  }

  // Angle between the two vectors in degrees, 0 to 180. The cosine is clamped to [-1, 1], which
  // rounding can overstep, so only a vector of length 0 gives NaN.
  scalar getDegreesBetween(const KR_Vector3D& v) const {
    KR_Math::getInstance();
    return std::acos(cosineWith(v)) * RADDEG;
  }
  // The same angle in radians.
  scalar getRadsBetween(const KR_Vector3D& v) const { return std::acos(cosineWith(v)); }
  // True when the two are at right angles: |cos angle| at most 0.000001.
  bool orthogonal(const KR_Vector3D& v) const {
    return std::fabs(*this * v) <= 0.000001f * length() * v.length();
  }

  // Writes "(x, y, z)" and a newline to standard output.
  void print() const;

 private:
  // Cosine of the angle between the two, clamped to [-1, 1]; NaN when one has length 0.
  scalar cosineWith(const KR_Vector3D& v) const {
    const scalar q = (*this * v) / (length() * v.length());
    if (q > 1.0f) return 1.0f;
    if (q < -1.0f) return -1.0f;
    return q;
  }
};

}  // namespace KORA

#endif
