// KR_Camera.cpp - the camera: set-up, projection, picking volume, frustum, motion, following.
#include "KR_Camera.h"

#include <GL/glu.h>

#include <cmath>
#include <iostream>

#include "external/KR_Object.h"

namespace KORA {

KR_Camera* KR_Camera::_instance = nullptr;

KR_Camera* KR_Camera::getInstance() {
  if (_instance == nullptr) _instance = new KR_Camera();
  return _instance;
}

KR_Camera::KR_Camera()
    : fixed_object(nullptr),
      follow_distance(10.0f),
      follow_angleX(0),
      follow_angleY(0),
      follow_angleZ(0),
      screen_width(0),
      screen_height(0),
      normal_viewing_volume(true),
      viewAngle(0),
      aspectRatio(0),
      nearPlane(0),
      farPlane(0),
      maxRay(0),
      math(KR_Math::getInstance()),
      state(KR_GLState::getInstance()),
      frust{{}, {}, {}, {}, {}, {}, {}, {}, 0, 0, 0, 0} {}

KR_Camera::~KR_Camera() {
  if (_instance == this) _instance = nullptr;
}

IceMaths::Plane* KR_Camera::getFrustum() { return frustum; }

void KR_Camera::loadMatrix() {
  matrix = KR_Matrix3D(eye.toVector(), u, v, n);
  glLoadMatrixf(matrix.data);
}

void KR_Camera::setFrustumAndCamera(scalar _viewAngle, unsigned int width, unsigned int height,
                                    scalar _nearPlane, scalar _farPlane, const KR_Point3D& _eye,
                                    const KR_Point3D& _look, const KR_Vector3D& _up) {
  // A window of no pixels (a reshape callback can pass one) has no aspect ratio: the
  // projection, the frustum and the pick rays would all be NaN.
  if (width == 0 || height == 0) {
    std::cerr << "KR_Camera::setFrustumAndCamera: a window of " << width << " x " << height
              << " pixels has no aspect ratio; the camera stays as it was" << std::endl;
    return;
  }
  viewAngle = _viewAngle;
  screen_width = width;
  screen_height = height;
  nearPlane = _nearPlane;
  farPlane = _farPlane;
  aspectRatio = static_cast<scalar>(width) / static_cast<scalar>(height);
  maxRay = farPlane + farPlane;

  state->projection();
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(viewAngle, aspectRatio, nearPlane, farPlane);
  state->modelview();

  eye = _eye;
  look = _look;
  up = _up;

  n = eye - look;
  // Only the directions of up and n count: made unit vectors first, their cross product fits
  // in float at any magnitude (an up of 1e38 or an eye 1e-30 from the look point).
  // (A zero vector stays zero, and is refused below as parallel to everything.)
  if (n.length() > 0) n.normalize();
  u = up;
  if (u.length() > 0) u.normalize();
  const bool crossed = u.crossProduct(n);
  if (!crossed)
    std::cerr << "Unable to compute crossproduct, it's likely that vectors n and u are pointing "
                 "in the same direction"
              << std::endl;
  n.normalize();
  u.normalize();
  v = n;
  v.crossProduct(u);
  // An up vector close to the view line leaves u with the float rounding of a short cross
  // product: make the axes orthonormal again (a refused up vector keeps its degenerate basis).
  if (crossed) orthonormalise();

  loadMatrix();

  const scalar top = nearPlane * std::tan(viewAngle * 0.5f * DEGRAD);
  frust.top = top;
  frust.bottom = -top;
  frust.right = top * aspectRatio;
  frust.left = -frust.right;
  computeFrustum();
}

void KR_Camera::setPickingVolume(int width, int height, int x, int y) {
  if (!normal_viewing_volume) return;
  state->projection();
  glPushMatrix();
  glLoadIdentity();
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluPickMatrix(x, viewport[3] - y, width, height, viewport);
  gluPerspective(viewAngle, aspectRatio, nearPlane, farPlane);
  state->modelview();
  normal_viewing_volume = false;
}

void KR_Camera::setRenderVolume() {
  if (normal_viewing_volume) return;
  state->projection();
  glPopMatrix();
  state->modelview();
  normal_viewing_volume = true;
}

void KR_Camera::orthonormalise() {
  // Gram-Schmidt in double, keeping the view line n: u loses its part along n, v = n x u.
  const double nx = n.data[0], ny = n.data[1], nz = n.data[2];
  const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(nl > 0) || !std::isfinite(nl)) return;
  const double n0 = nx / nl, n1 = ny / nl, n2 = nz / nl;
  const double along = u.data[0] * n0 + u.data[1] * n1 + u.data[2] * n2;
  double u0 = u.data[0] - along * n0, u1 = u.data[1] - along * n1, u2 = u.data[2] - along * n2;
  const double ul = std::sqrt(u0 * u0 + u1 * u1 + u2 * u2);
  if (!(ul > 0) || !std::isfinite(ul)) return;
  u0 /= ul;
  u1 /= ul;
  u2 /= ul;
  n = KR_Vector3D(scalar(n0), scalar(n1), scalar(n2));
  u = KR_Vector3D(scalar(u0), scalar(u1), scalar(u2));
  v = KR_Vector3D(scalar(n1 * u2 - n2 * u1), scalar(n2 * u0 - n0 * u2), scalar(n0 * u1 - n1 * u0));
}

namespace {

// a . (x, y, z) in double.
double dotWith(const KR_Vector3D& a, double x, double y, double z) {
  return a.data[0] * x + a.data[1] * y + a.data[2] * z;
}

}  // namespace

void KR_Camera::computeFrustum() {
  // The corners are taken relative to the eye, and the eye enters only the planes' d, in
  // double: corners in world coordinates lose the frustum's shape to float rounding far from
  // the origin (planes 5 degrees off at 1e5 units with a near plane of 0.1).
  const scalar width = frust.right - frust.left;
  const KR_Vector3D topLeft = n * -nearPlane + v * frust.top + u * frust.left;
  const KR_Vector3D topRight = topLeft + u * width;
  const KR_Vector3D bottomLeft = topLeft - v * (2 * frust.top);
  const KR_Vector3D bottomRight = bottomLeft + u * width;
  frust.topRight = eye + topRight;

  // Each normal starts as the first difference and stays so when the cross product refuses.
  frust.normalLeft = topLeft;
  frust.normalLeft.crossProduct(bottomLeft);
  frust.normalLeft.normalize();
  frust.normalRight = bottomRight;
  frust.normalRight.crossProduct(topRight);
  frust.normalRight.normalize();
  frust.normalTop = topRight;
  frust.normalTop.crossProduct(topLeft);
  frust.normalTop.normalize();
  frust.normalBottom = bottomLeft;
  frust.normalBottom.crossProduct(bottomRight);
  frust.normalBottom.normalize();
  frust.normalNear = topRight - bottomRight;
  frust.normalNear.crossProduct(topLeft - topRight);
  frust.normalNear.normalize();
  frust.normalFar = frust.normalNear;
  -frust.normalFar;

  const KR_Point3D farCentre = eye - n * farPlane;
  frust.far.data[0] = farCentre.data[0];
  frust.far.data[1] = farCentre.data[1];
  frust.far.data[2] = farCentre.data[2];

  // d = (origin - P) . normal for a point P of the plane: the eye for the sides, the far
  // centre E - n F and the near corner E + topRight, each expanded so that E is not rounded
  // into a sum first.
  const double ex = eye.data[0], ey = eye.data[1], ez = eye.data[2];
  const KR_Vector3D* normals[6] = {&frust.normalRight, &frust.normalLeft, &frust.normalBottom,
                                   &frust.normalTop,   &frust.normalFar,  &frust.normalNear};
  double dist[6];
  for (int i = 0; i < 4; ++i) dist[i] = -dotWith(*normals[i], ex, ey, ez);
  dist[4] = -dotWith(frust.normalFar, ex, ey, ez) +
            double(farPlane) * dotWith(frust.normalFar, n.data[0], n.data[1], n.data[2]);
  dist[5] = -dotWith(frust.normalNear, ex, ey, ez) -
            dotWith(frust.normalNear, topRight.data[0], topRight.data[1], topRight.data[2]);
  for (int i = 0; i < 6; ++i) {
    frustum[i].n.x = normals[i]->data[0];
    frustum[i].n.y = normals[i]->data[1];
    frustum[i].n.z = normals[i]->data[2];
    frustum[i].d = scalar(dist[i]);
  }
}

KR_Ray3D KR_Camera::createRayForTracing(int x, int y) {
  const scalar wx = static_cast<scalar>(x) / static_cast<scalar>(screen_width);
  const scalar wy =
      static_cast<scalar>(static_cast<int>(screen_height) - y) / static_cast<scalar>(screen_height);
  const scalar cu = frust.left + (frust.right - frust.left) * wx;
  const scalar cv = frust.bottom + (frust.top - frust.bottom) * wy;
  const KR_Vector3D direction = n * -nearPlane + u * cu + v * cv;
  return KR_Ray3D(eye, direction);
}

void KR_Camera::slide(scalar du, scalar dv, scalar dn) {
  eye += u * du + v * dv + n * dn;
  loadMatrix();
  computeFrustum();
}

void KR_Camera::pitch(scalar angle) { rotate(angle, 0, 0); }
void KR_Camera::yaw(scalar angle) { rotate(0, angle, 0); }
void KR_Camera::roll(scalar angle) { rotate(0, 0, angle); }

void KR_Camera::rotate(scalar angleU, scalar angleV, scalar angleN) {
  scalar s, c;
  if (angleU != 0) {
    ::sincosf(angleU * DEGRAD, &s, &c);
    const KR_Vector3D t(v);
    v = t * c + n * s;
    n = t * (-s) + n * c;
  }
  if (angleV != 0) {
    ::sincosf(angleV * DEGRAD, &s, &c);
    const KR_Vector3D t(n);
    n = t * c + u * s;
    u = t * (-s) + u * c;
  }
  if (angleN != 0) {
    ::sincosf(angleN * DEGRAD, &s, &c);
    const KR_Vector3D t(u);
    u = t * c + v * s;
    v = t * (-s) + v * c;
  }
  // Each turn rounds the axes a little shorter and less square; a million turns would shrink
  // them by more than a percent.
  if (angleU != 0 || angleV != 0 || angleN != 0) orthonormalise();
  loadMatrix();
  computeFrustum();
}

void KR_Camera::followObject() {
  if (fixed_object == nullptr) return;
  const KR_Object& object = *fixed_object;
  const KR_Point3D centre(object.getXPos(), object.getYPos(), object.getZPos());
  const KR_Vector3D& D = object.getDirection();
  const KR_Vector3D& U = object.getUp();
  const scalar h = object.getHeading();
  const scalar p = object.getPitch();

  eye = centre + D * follow_distance;

  const bool followX = follow_angleX % 360 != 0;
  const bool followY = follow_angleY % 360 != 0;
  if (followX || followY) {
    KR_Vector3D toCentre = centre.toVector();
    eye *= KR_Matrix3D(TRANSLATION_MATRIX, -toCentre.data[0], -toCentre.data[1], -toCentre.data[2]);
    eye *= KR_Matrix3D(Y_ROTATION_MATRIX, h);
    eye *= KR_Matrix3D(X_ROTATION_MATRIX, -p);
    if (followX) eye *= KR_Matrix3D(X_ROTATION_MATRIX, static_cast<scalar>(follow_angleX));
    if (followY) eye *= KR_Matrix3D(Y_ROTATION_MATRIX, static_cast<scalar>(follow_angleY));
    eye *= KR_Matrix3D(X_ROTATION_MATRIX, p);
    eye *= KR_Matrix3D(Y_ROTATION_MATRIX, -h);
    eye *= KR_Matrix3D(TRANSLATION_MATRIX, &toCentre);
  }

  n = eye - centre;
  n.normalize();

  u = U;
  if (!u.crossProduct(n)) {
    KR_Vector3D w = D;
    w.crossProduct(U);
    u.normalize();
    if (u.data[0] == n.data[0] && u.data[1] == n.data[1] && u.data[2] == n.data[2]) {
      u = w;
    } else {
      u = -w;
    }
  }
  u.normalize();

  v = n;
  v.crossProduct(u);

  rotate(0, 0, static_cast<scalar>(follow_angleZ));
}

}  // namespace KORA
