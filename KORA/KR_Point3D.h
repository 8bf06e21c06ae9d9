// KR_Point3D.h - a 3D position: x, y, z and w = 1, so that data can go to glVertex3fv or
// glVertex4fv as it stands. Arithmetic reads x, y and z only.
#ifndef KORA_KR_POINT3D_H
#define KORA_KR_POINT3D_H

#include "KR_Def.h"
#include "KR_Vector3D.h"

namespace KORA {

class KR_Matrix3D;

class KR_Point3D {
 public:
  scalar data[4];

  KR_Point3D() : data{0, 0, 0, 1} {}
  KR_Point3D(scalar x, scalar y, scalar z) : data{x, y, z, 1} {}
  KR_Point3D(const KR_Point3D& p) : data{p.data[0], p.data[1], p.data[2], 1} {}

  KR_Point3D& operator=(const KR_Point3D& p) {
    if (this != &p) {
      data[0] = p.data[0];
      data[1] = p.data[1];
      data[2] = p.data[2];
    }
    return *this;
  }

  KR_Point3D operator+(const KR_Vector3D& v) const {
    return KR_Point3D(data[0] + v.data[0], data[1] + v.data[1], data[2] + v.data[2]);
  }
  KR_Point3D operator-(const KR_Vector3D& v) const {
    return KR_Point3D(data[0] - v.data[0], data[1] - v.data[1], data[2] - v.data[2]);
  }
  // The vector from p to this point.
  KR_Vector3D operator-(const KR_Point3D& p) const {
    return KR_Vector3D(data[0] - p.data[0], data[1] - p.data[1], data[2] - p.data[2]);
  }
  // The component sums, as a vector (used for midpoints: (a + b) * 0.5).
  KR_Vector3D operator+(const KR_Point3D& p) const {
    return KR_Vector3D(data[0] + p.data[0], data[1] + p.data[1], data[2] + p.data[2]);
  }

  KR_Point3D& operator+=(const KR_Vector3D& v) {
    data[0] += v.data[0];
    data[1] += v.data[1];
    data[2] += v.data[2];
    return *this;
  }
  KR_Point3D& operator-=(const KR_Vector3D& v) {
    data[0] -= v.data[0];
    data[1] -= v.data[1];
    data[2] -= v.data[2];
    return *this;
  }
  // Replaces the point by m times (x, y, z, 1); no division, w untouched.
  KR_Point3D& operator*=(const KR_Matrix3D& m);

  // Moves the point to the place the vector points at from the origin (w = 1).
  void set(const KR_Vector3D& v) {
    data[0] = v.data[0];
    data[1] = v.data[1];
    data[2] = v.data[2];
    data[3] = 1;
  }
  KR_Vector3D toVector() const { return KR_Vector3D(data[0], data[1], data[2]); }

  // Draws the point as one GL_POINTS vertex in the current colour and point size.
  void draw() const;
};

}  // namespace KORA

#endif
