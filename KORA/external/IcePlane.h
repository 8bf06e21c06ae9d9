// IcePlane.h - stand-in for OPCODE's plane record (IceMaths::Plane), which the camera uses for
// its frustum planes. OPCODE is not packaged for this platform, so the record is written here
// with only what KORA needs: a normal of three floats and d, such that a point X lies on the
// plane when n . X + d = 0 (positive in front of the plane, on the side the normal points to).
#ifndef KORA_EXTERNAL_ICEPLANE_H
#define KORA_EXTERNAL_ICEPLANE_H

namespace IceMaths {

struct Point {
  float x, y, z;
};

class Plane {
 public:
  Plane() : n{0, 0, 0}, d(0) {}
  Plane(float nx, float ny, float nz, float dist) : n{nx, ny, nz}, d(dist) {}

  // Signed distance of p (in units of the normal's length): n . p + d.
  float Distance(const Point& p) const { return n.x * p.x + n.y * p.y + n.z * p.z + d; }

  Point n;  // normal
  float d;  // distance term
};

}  // namespace IceMaths

#endif
