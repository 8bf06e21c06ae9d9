// KR_Terrain.h - a random landscape of rounded hills, textured with "terrain.pcx" and
// compiled once into a display list that the terrain owns. The texture stays registered
// with the texture manager under the terrain as owner.
//
// What a terrain reads and changes:
// - Heights come from the C library's random() and nothing else: three calls per hill, in the
//   constructor. The terrain never seeds it, so the same landscape comes back on every run
//   unless the application calls srandom() first; the calls also move the sequence that the
//   application sees afterwards.
// - The texture is "terrain.pcx", looked up by the texture manager (KR_TextureManager.h). The
//   constructor sets the manager's mipmapping flag to true and leaves it so: textures that
//   anyone requests next are mip-mapped and repeating.
// - Lighting: every vertex is sent with the colour (1, 1, 1, 1) and its normal; the surface is
//   lit with whatever material is current when the list is called (KR_Material, or GL's
//   default). The colour reaches the material only when the application has enabled
//   GL_COLOR_MATERIAL. The list leaves the current colour (1, 1, 1, 1), the current normal and
//   texture coordinate those of the last vertex, and the terrain's texture bound with 2D
//   texturing off (through the GL state tracker, whose texture flag it leaves false).
//
// Normals (how the lighting looks):
// - Each face normal is the cross product of the two edges that span the quad, normalised:
//   the one along the columns (+z) times the one along the rows (+x), each the mean of the
//   quad's two edges in that direction. It points up (+y) for every quad, flat ones give
//   exactly (0, 1, 0), and slopes face the way they fall, so any light direction shades hills
//   smoothly. (It used to be the product of two edges both along the columns, which can only
//   be (1, 1, 1) or +-x: every slope got one dark shade.)
// - Every vertex, the last row and column included, gets the normalised sum of the face
//   normals of the one to four quads around it; the sum starts at zero, so flat ground keeps
//   (0, 1, 0) and no normal is tilted towards any diagonal. (The last row and column used to
//   keep (0, 0, 0), drawing a dark line along the +x and +z edges, and the sum started at
//   (1, 1, 1).)
// - The heights, the quad order, the corner order, the texture coordinates (one whole texture
//   per quad) and the display list are as they always were.
#ifndef KORA_KR_TERRAIN_H
#define KORA_KR_TERRAIN_H

#include "KR_Point3D.h"

namespace KORA {

class KR_Terrain {
 public:
  // A grid of height rows (along x) by width columns (along z), resolution apart, with
  // number_iterations hills from random(); heights run 0 .. scale. Needs a current GL context.
  // Ends the process (exit status 255, one line on stderr) when the height map cannot be
  // allocated.
  KR_Terrain(int width, int height, int number_iterations, scalar resolution, int scale);
  ~KR_Terrain();
  KR_Terrain(const KR_Terrain&) = delete;
  KR_Terrain& operator=(const KR_Terrain&) = delete;

  // Draws the grid centred on the middle point: pushes and pops the model-view matrix around
  // one call of the display list (see above for the state the list leaves).
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
