// KR_Object.h - stand-in for the application's scene object, which the camera can follow
// (KR_Camera::fixed_object). It holds only what the camera reads: a position, a direction
// vector (the camera rests at position + direction * follow distance), an up vector, and the
// heading (about y) and pitch (about x) in degrees, with setters to move the object.
#ifndef KORA_EXTERNAL_KR_OBJECT_H
#define KORA_EXTERNAL_KR_OBJECT_H

#include "../KR_Def.h"
#include "../KR_Point3D.h"
#include "../KR_Vector3D.h"

namespace KORA {

class KR_Object {
 public:
  KR_Object() : direction(0, 0, 1), up(0, 1, 0), heading(0), pitch(0) {}

  scalar getXPos() const { return position.data[0]; }
  scalar getYPos() const { return position.data[1]; }
  scalar getZPos() const { return position.data[2]; }
  const KR_Point3D& getPosition() const { return position; }
  const KR_Vector3D& getDirection() const { return direction; }
  const KR_Vector3D& getUp() const { return up; }
  scalar getHeading() const { return heading; }  // degrees about y
  scalar getPitch() const { return pitch; }      // degrees about x

  void setPosition(scalar x, scalar y, scalar z) { position = KR_Point3D(x, y, z); }
  void setDirection(const KR_Vector3D& d) { direction = d; }
  void setUp(const KR_Vector3D& u) { up = u; }
  void setHeading(scalar degrees) { heading = degrees; }
  void setPitch(scalar degrees) { pitch = degrees; }

 private:
  KR_Point3D position;
  KR_Vector3D direction;
  KR_Vector3D up;
  scalar heading;
  scalar pitch;
};

}  // namespace KORA

#endif
