// KR_TerrainMesh.h - the CPU side of terrain construction: the height map with its random
// hills, the quads over it and the face and vertex normals. KR_Terrain builds one, compiles
// it into a display list and throws it away; the mesh owns its height map and quads.
#ifndef KORA_KR_TERRAINMESH_H
#define KORA_KR_TERRAINMESH_H

#include <cstddef>
#include <vector>

#include "KR_Vertex.h"

namespace KORA {

// One grid cell, corners (k + 1, l + 1), (k, l + 1), (k, l), (k + 1, l) of the height map.
class KR_Quad {
 public:
  KR_Vertex* vertices[4];  // inside the height map; not owned
  KR_Vector3D normal;      // face normal

  KR_Quad() : vertices{nullptr, nullptr, nullptr, nullptr} {}
  KR_Quad(const KR_Quad& q) = default;
  KR_Quad& operator=(const KR_Quad& q) = default;
  virtual ~KR_Quad() {}
};

class KR_TerrainMesh {
 public:
  // Builds heights, positions, quads and normals in full. A width or height of 0 or less
  // gives an empty mesh; a width below 2 or a height below 1 raises no hills.
  KR_TerrainMesh(int width, int height, int number_iterations, scalar resolution, int scale);
  // Only the grid of default vertices (all heights 0), for building step by step.
  KR_TerrainMesh(int width, int height);
  KR_TerrainMesh(const KR_TerrainMesh&) = delete;
  KR_TerrainMesh& operator=(const KR_TerrainMesh&) = delete;

  int rowCount() const { return height; }
  int columnCount() const { return width; }
  // Vertex at row k (along x), column l (along z).
  KR_Vertex& at(int k, int l) { return grid[std::size_t(k) * width + l]; }
  const KR_Vertex& at(int k, int l) const { return grid[std::size_t(k) * width + l]; }
  // The quads row by row, columns ascending.
  const std::vector<KR_Quad>& quadList() const { return quads; }

  // Vertex normals for every vertex, the last row and column included: the sum, from zero, of
  // the face normals of the one to four quads that use it, normalised. Flat ground gives
  // (0, 1, 0). Linear time: each vertex looks only at its own quads.
  void computeVertexNormals();

  // Construction steps, public so that tests can stop after any of them.
  void raiseHills(int number_iterations);
  void normaliseHeights();
  void placeVertices(scalar resolution, int scale);
  void buildQuads();

 private:
  int width;
  int height;
  std::vector<KR_Vertex> grid;  // the height map, row by row
  std::vector<KR_Quad> quads;
};

}  // namespace KORA

#endif
