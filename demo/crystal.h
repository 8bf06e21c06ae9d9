// crystal.h - the demo's moving object: a spinning crystal built from two triangle fans and a
// triangle strip over shared vertex arrays, breathing between two key frames. It is also the
// scene object (KR_Object) that the camera follows.
#ifndef KORA_DEMO_CRYSTAL_H
#define KORA_DEMO_CRYSTAL_H

#include <KORA/KR_Material.h>
#include <KORA/KR_TriangleGroup.h>
#include <KORA/external/KR_Object.h>

#include <vector>

class Crystal : public KORA::KR_Object {
 public:
  Crystal();

  // Moves along the flight path: `time` in seconds since the start.
  void animate(float time);
  // Draws the body at its position and heading, blended between the key frames.
  void draw() const;

 private:
  static const int SIDES = 10;                  // vertices in each ring
  std::vector<KORA::KR_Vertex> frameA, frameB;  // squat and stretched key frames
  KORA::KR_TriangleFan top, bottom;
  KORA::KR_TriangleStrip band;
  KORA::KR_Material material;
  float blend;  // 0 = frame A, 1 = frame B
  float spin;   // degrees about the body's own axis
};

#endif
