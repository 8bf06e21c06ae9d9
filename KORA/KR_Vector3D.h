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
  // false and the vector is unchanged. Parallel means |this x v| at most PARALLEL_SINE times
  // |this| |v|, all in double so that no magnitude overflows or underflows; a vector of length
  // 0 is parallel to everything. A product that does not fit in float (a component infinite,
  // as for two vectors of 1e20, or all three rounding to 0, as for two of 1e-23) is refused the
  // same way: only a finite, non-zero result is accepted.
  bool crossProduct(const KR_Vector3D& v) {
    const double ax = data[0], ay = data[1], az = data[2];
    const double bx = v.data[0], by = v.data[1], bz = v.data[2];
    const double x = ay * bz - az * by;
    const double y = az * bx - ax * bz;
    const double z = ax * by - ay * bx;
    const double sine_bound = PARALLEL_SINE * norm(ax, ay, az) * norm(bx, by, bz);
    if (!(norm(x, y, z) > sine_bound)) return false;
    // A product that overflows float (inf) or underflows to (0, 0, 0) is no direction: refused
    // like a parallel pair, so that no caller normalises it into NaN or (1, 1, 1).
    const scalar fx = scalar(x), fy = scalar(y), fz = scalar(z);
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) return false;
    if (fx == 0 && fy == 0 && fz == 0) return false;
    data[0] = fx;
    data[1] = fy;
    data[2] = fz;
    return true;
  }
  // The sine of the angle below which two vectors count as parallel: 2^-12, the sine of
  // 0.014 degrees, the largest angle whose single-precision cosine rounds to exactly 1 (so two
  // vectors 0.01 degrees apart are parallel, 1 degree apart are not). Rounding of float inputs
  // leaves vectors meant to be parallel some 1e-7 apart, far inside it.
  static constexpr double PARALLEL_SINE = 1.0 / 4096.0;

  // Length, computed in double so that it neither overflows nor underflows on the way.
  scalar length() const { return scalar(norm(data[0], data[1], data[2])); }

  // Divides x, y, z by the length (in double) and returns the length. A vector of length 0
  // becomes (1, 1, 1).
  scalar normalize() {
    const double l = norm(data[0], data[1], data[2]);
    if (l == 0) {
      data[0] = data[1] = data[2] = 1;
      return 0;
    }
    data[0] = scalar(data[0] / l);
    data[1] = scalar(data[1] / l);
    data[2] = scalar(data[2] / l);
    if (data[0] == 0 && data[1] == 0 && data[2] == 0) data[0] = data[1] = data[2] = 1;
    return scalar(l);
  }

  // Angle between the two vectors in degrees, 0 to 180, computed in double at any magnitude.
  // Only a vector of length 0 gives NaN.
  scalar getDegreesBetween(const KR_Vector3D& v) const {
    KR_Math::getInstance();
    return scalar(std::acos(cosineWith(v)) * double(RADDEG));
  }
  // The same angle in radians.
  scalar getRadsBetween(const KR_Vector3D& v) const { return scalar(std::acos(cosineWith(v))); }
  // True when the two are at right angles: |cos angle| at most 0.000001.
  bool orthogonal(const KR_Vector3D& v) const {
    const double dot =
        double(data[0]) * v.data[0] + double(data[1]) * v.data[1] + double(data[2]) * v.data[2];
    return std::fabs(dot) <=
           0.000001 * norm(data[0], data[1], data[2]) * norm(v.data[0], v.data[1], v.data[2]);
  }

  // Writes "(x, y, z)" and a newline to standard output.
  void print() const;

 private:
  static double norm(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }
  // Cosine of the angle between the two in double, clamped to [-1, 1] (rounding can overstep
  // it); NaN when one has length 0.
  double cosineWith(const KR_Vector3D& v) const {
    const double dot =
        double(data[0]) * v.data[0] + double(data[1]) * v.data[1] + double(data[2]) * v.data[2];
    const double q =
        dot / (norm(data[0], data[1], data[2]) * norm(v.data[0], v.data[1], v.data[2]));
    if (q > 1.0) return 1.0;
    if (q < -1.0) return -1.0;
    return q;
  }
};

}  // namespace KORA

#endif
