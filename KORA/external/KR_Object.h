// KR_Object.h - stand-in for the application's scene object, which the camera can follow
// (KR_Camera::fixed_object). It holds only what the camera reads: a position, a direction
// vector (the camera rests at position + direction * follow distance), an up vector, and the
// heading (about y) and pitch (about x) in degrees, with setters to move the object.
//
// Heading and pitch turn the object the way KR_Camera::followObject undoes them when it orbits
// the object in the object's own frame (a turn of heading about y, then of -pitch about x, takes
// a world offset into the object's frame):
// - the object's own axes are turned by `pitch` about x, then by -`heading` about y;
// - so a positive heading turns the nose (local +z) from +z towards -x, clockwise seen from above
//   (from +y), as a compass heading turns; a positive pitch tips the nose down, towards -y;
// - drawn with orientGL() (glRotatef(-heading, 0, 1, 0), then glRotatef(pitch, 1, 0, 0)), and
//   toWorld() turns a vector of the object's frame the same way.
// Drawn with glRotatef(+heading, 0, 1, 0) instead, the orbit would leave the object's vertical
// plane for every heading but 0 and 180 degrees.
#ifndef KORA_EXTERNAL_KR_OBJECT_H
#define KORA_EXTERNAL_KR_OBJECT_H

#include "../KR_Def.h"
#include "../KR_Matrix3D.h"
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

  // A vector of the object's own frame in world axes (see the top of this file).
  KR_Vector3D toWorld(const KR_Vector3D& local) const {
    KR_Vector3D w(local);
    w *= KR_Matrix3D(X_ROTATION_MATRIX, pitch);
    w *= KR_Matrix3D(Y_ROTATION_MATRIX, -heading);
    return w;
  }
  // Turns GL's current matrix into the object's frame (after a translation to its position).
  void orientGL() const {
    glRotatef(-heading, 0, 1, 0);
    glRotatef(pitch, 1, 0, 0);
  }

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
