// KR_Terrain.h - a random landscape of rounded hills, textured with "terrain.pcx" and
// compiled once into a display list that the terrain owns. The texture stays registered
// with the texture manager under the terrain as owner.
#ifndef KORA_KR_TERRAIN_H
#define KORA_KR_TERRAIN_H

#include "KR_Point3D.h"

namespace KORA {

class KR_Terrain {
 public:
  // A grid of height rows (along x) by width columns (along z), resolution apart, with
  // number_iterations hills from random(); heights run 0 .. scale. Needs a current GL context.
  KR_Terrain(int width, int height, int number_iterations, scalar resolution, int scale);
  ~KR_Terrain();
  KR_Terrain(const KR_Terrain&) = delete;
  KR_Terrain& operator=(const KR_Terrain&) = delete;

  // Draws the grid centred on the middle point.
  void drawTerrain() const;
  void setMiddlePoint(const KR_Point3D& p);

  GLuint getDisplayList() const { return displayID; }

 private:
  GLuint displayID;
  scalar displacement_x;  // half the grid's extent along x (its rows)
  scalar displacement_y;  // half the grid's extent along z (its columns)
  KR_Point3D middle;
};

}  // namespace KORA

#endif
