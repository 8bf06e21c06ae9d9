// The terrain's vertex normals the slow way: for every vertex, a scan of the whole quad list
// for the quads that use it (quadratic). The linear pass in KR_TerrainMesh is proved against
// it in the tests and measured against it in the benchmark.
#ifndef KORA_TESTS_TERRAIN_NORMAL_SCAN_H
#define KORA_TESTS_TERRAIN_NORMAL_SCAN_H

#include "KR_TerrainMesh.h"

inline void computeVertexNormalsByScan(KORA::KR_TerrainMesh& mesh) {
  for (int k = 0; k < mesh.rowCount(); ++k)
    for (int l = 0; l < mesh.columnCount(); ++l) {
      KORA::KR_Vertex* vertex = &mesh.at(k, l);
      KORA::KR_Vector3D normal_sum(0.0f, 0.0f, 0.0f);
      bool used = false;
      for (const KORA::KR_Quad& q : mesh.quadList())
        if (q.vertices[0] == vertex || q.vertices[1] == vertex || q.vertices[2] == vertex ||
            q.vertices[3] == vertex) {
          normal_sum += q.normal;
          used = true;
        }
      normal_sum.normalize();
      if (used) vertex->normal = normal_sum;
    }
}

#endif
