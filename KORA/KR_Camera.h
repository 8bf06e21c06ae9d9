// KR_Camera.h - the viewer, a singleton: eye position, orthonormal axes u (right), v (up) and
// n (backwards, the camera looks along -n), the viewing matrix it loads into GL's model-view
// matrix, the perspective projection (also narrowed for picking) and the six view-frustum
// planes. Turning, sliding and object following move it after setFrustumAndCamera. Angles are
// in degrees. Every operation that changes the view leaves the new viewing matrix loaded with
// glLoadMatrixf into the current GL matrix, which must be the model-view matrix.
#ifndef KORA_KR_CAMERA_H
#define KORA_KR_CAMERA_H

#include "KR_Def.h"
#include "KR_GLState.h"
#include "KR_Math.h"
#include "KR_Matrix3D.h"
#include "KR_Point3D.h"
#include "KR_Ray3D.h"
#include "KR_Vector3D.h"
#include "external/IcePlane.h"

namespace KORA {

class KR_Object;

class KR_Camera {
 public:
  // The one camera, created on first use and never destroyed.
  static KR_Camera* getInstance();

  // Loads the perspective projection, places the camera at _eye looking at _look with _up,
  // loads the viewing matrix and computes the frustum.
  // - Every call pushes GL's projection matrix and leaves it pushed for the caller to pop
  //   (glMatrixMode(GL_PROJECTION); glPopMatrix()). The stack is small (32 matrices on Mesa,
  //   GL_MAX_PROJECTION_STACK_DEPTH; GL guarantees only 2), so calls without a pop (a reshape
  //   callback on every resize) overflow it within some 40 calls: GL then refuses the push
  //   (GL_STACK_OVERFLOW) and later projections overwrite the top one.
  // - Leaves the model-view matrix current, as the tracker remembers it.
  // - Only the directions of the view line and of _up count, at any length float holds (an up
  //   of 1e38, an eye 1e-30 from _look).
  // - The axes come out orthonormal, also for an up vector within a degree of the view line.
  //   An up vector parallel to the view line (within 0.014 degrees) is reported on stderr and
  //   leaves a degenerate basis (u along up, v = n).
  // - A width or height of 0 is refused with one line on stderr; nothing changes, GL included.
  void setFrustumAndCamera(scalar _viewAngle, unsigned int width, unsigned int height,
                           scalar _nearPlane, scalar _farPlane, const KR_Point3D& _eye,
                           const KR_Point3D& _look, const KR_Vector3D& _up);
  // Pushes the projection and narrows it to a width x height pick region around window
  // position (x, y) (y counted from the top of the viewport). Does nothing while a picking
  // volume is already in force.
  void setPickingVolume(int width, int height, int x, int y);
  // Pops the projection that setPickingVolume pushed and goes back to the normal viewing
  // volume; does nothing when no picking volume is in force.
  void setRenderVolume();

  // The six frustum planes: right, left, bottom, top, far, near; normals point outwards, so a
  // point X inside gives n . X + d < 0 for every plane. The camera owns the array. Built from
  // the corners relative to the eye, with the eye entering only d (in double): far from the
  // origin the normals keep their accuracy (within 0.01 degrees of the exact planes at 1e5
  // units with a near plane of 0.1), and d its float rounding, about 1e-7 of the distance.
  IceMaths::Plane* getFrustum();

  // A world-space ray from the eye through window position (x, y) (y counted from the top, as
  // in setPickingVolume); direction reaches the near plane at t = 1.
  KR_Ray3D createRayForTracing(int x, int y);

  // Moves the eye by du along u, dv along v and dn along n.
  void slide(scalar du, scalar dv, scalar dn);
  // Turns about the camera's own axes: rotate(angle, 0, 0), rotate(0, angle, 0),
  // rotate(0, 0, angle) respectively.
  void pitch(scalar angle);
  void yaw(scalar angle);
  void roll(scalar angle);

  // Turns by angleU about u, then angleV about v, then angleN about n (turns by exactly 0 are
  // skipped), makes the axes orthonormal again after any turn (so that they do not shrink over
  // many calls), reloads the viewing matrix and recomputes the frustum. Accumulates.
  void rotate(scalar angleU, scalar angleV, scalar angleN);
  // When fixed_object is set: rests the eye at the object's position + direction *
  // follow_distance, orbited by follow_angleX/Y about the object's own frame, aims at the
  // object and rolls by follow_angleZ. Does nothing when fixed_object is null.
  void followObject();

  KR_Point3D eye;
  KR_Point3D look;
  KR_Vector3D up;
  KR_Matrix3D matrix;  // the viewing matrix last loaded
  const KR_Object* fixed_object;
  scalar follow_distance;
  int follow_angleX;
  int follow_angleY;
  int follow_angleZ;
  unsigned int screen_width;
  unsigned int screen_height;
  bool normal_viewing_volume;  // false while a picking volume is in force
  scalar viewAngle;            // vertical field of view
  scalar aspectRatio;
  scalar nearPlane;
  scalar farPlane;
  scalar maxRay;  // twice farPlane

  // The frustum's construction data: outward unit normals, the near rectangle's top-right
  // corner, the far rectangle's centre and the near rectangle's extents in camera space.
  struct KR_Frustum {
    KR_Vector3D normalLeft, normalRight, normalTop, normalBottom, normalNear, normalFar;
    KR_Point3D topRight;
    KR_Point3D far;
    scalar top, bottom, left, right;
  };

  // Read-only views of the axes and the frustum data.
  const KR_Vector3D& getU() const { return u; }
  const KR_Vector3D& getV() const { return v; }
  const KR_Vector3D& getN() const { return n; }
  const KR_Frustum& getFrustumData() const { return frust; }

  // Deleting the instance lets the next getInstance() make a fresh one.
  ~KR_Camera();

 private:
  KR_Camera();
  KR_Camera(const KR_Camera&) = delete;
  KR_Camera& operator=(const KR_Camera&) = delete;

  void computeFrustum();
  void loadMatrix();
  // Makes n a unit vector, u the unit vector of its part at right angles to n and v = n x u.
  void orthonormalise();

  KR_Point3D origin;
  KR_Vector3D u, v, n;
  IceMaths::Plane frustum[6];
  KR_Math* math;
  KR_GLState* state;
  KR_Frustum frust;

  static KR_Camera* _instance;
};

}  // namespace KORA

#endif
