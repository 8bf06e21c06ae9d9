// KR_Vector2D.h - a direction or displacement in the plane, for 2D effects and overlays.
#ifndef KORA_KR_VECTOR2D_H
#define KORA_KR_VECTOR2D_H

#include "KR_Def.h"

namespace KORA {

class KR_Matrix2D;

class KR_Vector2D {
 public:
  scalar data[3];  // x, y and a third component w that only the matrix product carries

  KR_Vector2D() : data{0.0f, 0.0f, 0.0f} {}
  KR_Vector2D(scalar x, scalar y) : data{x, y, 0.0f} {}

  // Copies x and y only; w keeps its value.
  KR_Vector2D& operator=(const KR_Vector2D& v) {
    if (this != &v) {
      data[0] = v.data[0];
      data[1] = v.data[1];
    }
    return *this;
  }
  KR_Vector2D(const KR_Vector2D&) = default;

  // Dot product.
  scalar operator*(const KR_Vector2D& v) const { return data[0] * v.data[0] + data[1] * v.data[1]; }
  KR_Vector2D operator*(scalar s) const { return KR_Vector2D(data[0] * s, data[1] * s); }
  KR_Vector2D operator/(scalar s) const { return KR_Vector2D(data[0] / s, data[1] / s); }
  KR_Vector2D operator+(const KR_Vector2D& v) const {
    return KR_Vector2D(data[0] + v.data[0], data[1] + v.data[1]);
  }
  KR_Vector2D operator-(const KR_Vector2D& v) const {
    return KR_Vector2D(data[0] - v.data[0], data[1] - v.data[1]);
  }
  // Negates this vector itself and returns it.
  KR_Vector2D& operator-() {
    data[0] = -data[0];
    data[1] = -data[1];
    return *this;
  }

  KR_Vector2D& operator+=(const KR_Vector2D& v) {
    data[0] += v.data[0];
    data[1] += v.data[1];
    return *this;
  }
  KR_Vector2D& operator-=(const KR_Vector2D& v) {
    data[0] -= v.data[0];
    data[1] -= v.data[1];
    return *this;
  }
  KR_Vector2D& operator*=(scalar s) {
    data[0] *= s;
    data[1] *= s;
    return *this;
  }
  KR_Vector2D& operator/=(scalar s) {
    data[0] /= s;
    data[1] /= s;
    return *this;
  }
  // Linear part of m applied to (x, y); the translation column is ignored.
  KR_Vector2D& operator*=(const KR_Matrix2D& m);
  KR_Vector2D operator*(const KR_Matrix2D& m) const;

  scalar length() const;
  // Scales to unit length and returns the old length (no guard against zero).
  scalar normalize();
  // Quarter turn counter-clockwise: (x, y) becomes (-y, x).
  void perp() {
    scalar x = data[0];
    data[0] = -data[1];
    data[1] = x;
  }
  // True when the dot product lies within +-0.00001.
  bool orthogonal(const KR_Vector2D& v) const;
  // Angle to v in radians, 0 to pi: the arc cosine of the normalised dot product, worked in
  // double and clamped, so that parallel vectors give 0 (or pi); NaN only for a vector of
  // length 0.
  scalar getRadsBetween(const KR_Vector2D& v) const;
  // The same angle in degrees.
  scalar getDegreesBetween(const KR_Vector2D& v) const;
  // Reflects this vector about the given (not necessarily unit) normal.
  void richochet(KR_Vector2D normal);
  // Draws the vector as a line from (startx, starty).
  void draw(scalar startx, scalar starty) const;
};

}  // namespace KORA

#endif
