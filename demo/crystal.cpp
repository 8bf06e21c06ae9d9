// crystal.cpp - the demo's animated object.
#include "crystal.h"

#include <algorithm>
#include <cmath>

using namespace KORA;

namespace {

const float FLIGHT_RADIUS = 70.0f;     // the path is a circle round the terrain's centre
const float FLIGHT_HEIGHT = 48.0f;     // above the lowest ground
const float FLIGHT_SPEED = 0.22f;      // radians per second along the circle
const float CAMERA_ELEVATION = 0.35f;  // how far above the path the following camera rests

// Fills a group's index and texture-coordinate arrays (the group owns them from then on).
void fill(KR_TriangleGroup& g, const std::vector<unsigned int>& idx) {
  g.numberIndices = unsigned(idx.size());
  g.indices = new unsigned int[idx.size()];
  g.texCoords = new scalar[2 * idx.size()];
  for (size_t i = 0; i < idx.size(); ++i) {
    g.indices[i] = idx[i];
    g.texCoords[2 * i] = float(i) / float(idx.size());
    g.texCoords[2 * i + 1] = 0.5f;
  }
}

// Vertices of one key frame: [0] top apex, [1 .. n] upper ring, [n + 1 .. 2n] lower ring,
// [2n + 1] bottom apex. Ring angles run clockwise seen from above, so that the fans and the
// strip face outwards.
std::vector<KR_Vertex> keyFrame(int n, float apex, float upperR, float lowerR, float ringY,
                                float twist) {
  std::vector<KR_Vertex> v(size_t(2 * n + 2));
  v[0] = KR_Vertex(KR_Point3D(0, apex, 0), KR_Vector3D(0, 1, 0));
  for (int i = 0; i < n; ++i) {
    float a = 2.0f * float(M_PI) * float(i) / float(n);
    float b = a + twist;
    KR_Vector3D up(std::cos(a), 0.45f, -std::sin(a)), down(std::cos(b), -0.45f, -std::sin(b));
    up.normalize();
    down.normalize();
    v[size_t(1 + i)] =
        KR_Vertex(KR_Point3D(upperR * std::cos(a), ringY, -upperR * std::sin(a)), up);
    v[size_t(1 + n + i)] =
        KR_Vertex(KR_Point3D(lowerR * std::cos(b), -ringY, -lowerR * std::sin(b)), down);
  }
  v[size_t(2 * n + 1)] = KR_Vertex(KR_Point3D(0, -apex * 1.6f, 0), KR_Vector3D(0, -1, 0));
  return v;
}

}  // namespace

Crystal::Crystal() : blend(0), spin(0) {
  const int n = SIDES;
  frameA = keyFrame(n, 2.2f, 1.6f, 1.3f, 0.35f, 0.0f);
  frameB = keyFrame(n, 3.4f, 2.3f, 1.0f, 0.8f, float(M_PI) / float(n));
  std::vector<unsigned int> fan{0}, strip, under{unsigned(2 * n + 1), unsigned(n + 1)};
  for (int i = 1; i <= n; ++i) fan.push_back(unsigned(i));
  fan.push_back(1);
  for (int i = 0; i <= n; ++i) {
    strip.push_back(unsigned(1 + i % n));
    strip.push_back(unsigned(1 + n + i % n));
  }
  for (int i = n - 1; i >= 0; --i) under.push_back(unsigned(1 + n + i));
  fill(top, fan);
  fill(band, strip);
  fill(bottom, under);

  material.ambient = {{0.35f, 0.22f, 0.08f, 1}};
  material.diffuse = {{1.0f, 0.62f, 0.18f, 1}};
  material.specular = {{0.9f, 0.9f, 0.8f, 1}};
  material.emissive = {{0.10f, 0.04f, 0.0f, 1}};
  material.specularExponent = 40;
  animate(0);
}

void Crystal::animate(float time) {
  float a = time * FLIGHT_SPEED;
  float x = FLIGHT_RADIUS * std::cos(a), z = FLIGHT_RADIUS * std::sin(a);
  setPosition(x, FLIGHT_HEIGHT + 4.0f * std::sin(time * 0.9f), z);
  // Flying anticlockwise seen from above: the tangent is (-sin a, 0, cos a). KR_Object's heading
  // turns the nose (local +z) clockwise seen from above, towards -x: the nose points along
  // (-sin h, 0, cos h), so h = atan2(-fx, fz).
  float fx = -std::sin(a), fz = std::cos(a);
  setHeading(std::atan2(-fx, fz) * 180.0f / float(M_PI));
  // The follow direction points back along the path and up a little, in the crystal's frame.
  KR_Vector3D back(0, CAMERA_ELEVATION, -1);
  back.normalize();
  setDirection(toWorld(back));
  setUp(KR_Vector3D(0, 1, 0));
  blend = 0.5f + 0.5f * std::sin(time * 2.0f);
  spin = std::fmod(time * 90.0f, 360.0f);
}

void Crystal::draw() const {
  material.initMaterialGL();
  glPushMatrix();
  glTranslatef(getXPos(), getYPos(), getZPos());
  orientGL();
  glRotatef(spin, 0, 1, 0);
  top.drawOpenGL(frameA.data(), frameB.data(), blend);
  band.drawOpenGL(frameA.data(), frameB.data(), blend);
  bottom.drawOpenGL(frameA.data(), frameB.data(), blend);
  glPopMatrix();
}
