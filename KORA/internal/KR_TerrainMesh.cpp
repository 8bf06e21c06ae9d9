// KR_TerrainMesh.cpp - height map, hills, quads and normals of a terrain.
#include "KR_TerrainMesh.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <stdexcept>

namespace KORA {

namespace {

// Face normal of a quad: the cross product of the two edges that span it, the one along the
// columns (+z) and the one along the rows (+x), normalised. Each spanning edge is the mean of
// the quad's two edges in its direction, so all four corners count. With resolution r the
// edges are (0, dy1, r) and (r, dy2, 0), whose product has y = r * r: every face normal
// points up, however steep the quad, and a flat quad gives exactly (0, 1, 0). Edges of no
// length (resolution 0) give (0, 1, 0) too.
KR_Vector3D faceNormal(const KR_Quad& q) {
  const KR_Point3D& p0 = q.vertices[0]->point;           // (k + 1, l + 1)
  const KR_Point3D& p1 = q.vertices[1]->point;           // (k, l + 1)
  const KR_Point3D& p2 = q.vertices[2]->point;           // (k, l)
  const KR_Point3D& p3 = q.vertices[3]->point;           // (k + 1, l)
  const KR_Vector3D a = ((p1 - p2) + (p0 - p3)) * 0.5f;  // along the columns
  const KR_Vector3D b = ((p3 - p2) + (p0 - p1)) * 0.5f;  // along the rows
  KR_Vector3D n(a.data[1] * b.data[2] - a.data[2] * b.data[1],
                a.data[2] * b.data[0] - a.data[0] * b.data[2],
                a.data[0] * b.data[1] - a.data[1] * b.data[0]);
  if (n.data[0] == 0 && n.data[1] == 0 && n.data[2] == 0) return KR_Vector3D(0.0f, 1.0f, 0.0f);
  n.normalize();
  return n;
}

[[noreturn]] void heightMapAllocationFailed() {
  std::cerr << "Unable to allocate memory for height_map" << std::endl;
  std::cerr.flush();
  std::exit(-1);
}

}  // namespace

KR_TerrainMesh::KR_TerrainMesh(int columns, int rows) : width(columns), height(rows) {
  // Negative sizes make an empty mesh instead of a failing allocation.
  if (width < 0 || height < 0) width = height = 0;
  try {
    grid.resize(std::size_t(width) * std::size_t(height));
  } catch (const std::bad_alloc&) {
    heightMapAllocationFailed();
  } catch (const std::length_error&) {
    heightMapAllocationFailed();
  }
}

KR_TerrainMesh::KR_TerrainMesh(int columns, int rows, int number_iterations, scalar resolution,
                               int scale)
    : KR_TerrainMesh(columns, rows) {
  raiseHills(number_iterations);
  normaliseHeights();
  placeVertices(resolution, scale);
  buildQuads();
  computeVertexNormals();
}

void KR_TerrainMesh::raiseHills(int number_iterations) {
  // random() mod (width / 2) and mod height need both to be at least 1.
  if (width < 2 || height < 1) return;
  for (int i = 0; i < number_iterations; ++i) {
    long center_x = random() % width;
    long center_y = random() % height;
    long r = random() % (width / 2);
    long s = 2 * r;
    // value = s - dy^2 - dx^2 is positive only where |dy| and |dx| are at most sqrt(s),
    // so the rows and columns beyond that are left alone (they would be unchanged).
    long reach = 0;
    while ((reach + 1) * (reach + 1) < s) ++reach;
    long k0 = center_y - reach < 0 ? 0 : center_y - reach;
    long k1 = center_y + reach > height - 1 ? height - 1 : center_y + reach;
    long l0 = center_x - reach < 0 ? 0 : center_x - reach;
    long l1 = center_x + reach > width - 1 ? width - 1 : center_x + reach;
    for (long k = k0; k <= k1; ++k)
      for (long l = l0; l <= l1; ++l) {
        long dy = center_y - k, dx = center_x - l;
        scalar value = scalar(int(s - dy * dy - dx * dx));
        if (value > 0.0f) {
          scalar& h = at(k, l).point.data[1];
          if (h > 0.0f)
            h += value;
          else
            h = value;
        }
      }
  }
}

void KR_TerrainMesh::normaliseHeights() {
  if (height <= 0) return;
  int max = 0, min = INT_MAX;
  for (int k = 0; k < height; ++k)
    for (int l = 0; l < width; ++l) {
      scalar h = at(k, l).point.data[1];
      if (h > max)
        max = int(h);
      else if (h < min)
        min = int(h);
    }
  scalar range = scalar(max - min);
  if (range == 0.0f) range = 0.0001f;
  for (int k = 0; k < height; ++k)
    for (int l = 0; l < width; ++l) {
      scalar& h = at(k, l).point.data[1];
      h = (h - scalar(min)) / range;
    }
  for (int k = 0; k < height; ++k)
    for (int l = 0; l < width; ++l) {
      scalar& h = at(k, l).point.data[1];
      h = h * h;
    }
}

void KR_TerrainMesh::placeVertices(scalar resolution, int scale) {
  for (int k = 0; k < height; ++k)
    for (int l = 0; l < width; ++l) {
      KR_Point3D& p = at(k, l).point;
      p.data[0] = scalar(k) * resolution;
      p.data[2] = scalar(l) * resolution;
      p.data[1] = p.data[1] * scalar(scale);
    }
}

void KR_TerrainMesh::buildQuads() {
  quads.clear();
  if (height < 2 || width < 2) return;
  quads.reserve(size_t(height - 1) * size_t(width - 1));
  for (int k = 0; k < height - 1; ++k)
    for (int l = 0; l < width - 1; ++l) {
      KR_Quad q;
      q.vertices[0] = &at(k + 1, l + 1);
      q.vertices[1] = &at(k, l + 1);
      q.vertices[2] = &at(k, l);
      q.vertices[3] = &at(k + 1, l);
      q.normal = faceNormal(q);
      quads.push_back(q);
    }
}

void KR_TerrainMesh::computeVertexNormals() {
  // Quad (k', l') sits at index k' * (width - 1) + l' and uses the vertices (k', l'),
  // (k' + 1, l'), (k', l' + 1) and (k' + 1, l' + 1). So vertex (k, l) is used by the quads
  // (k - 1, l - 1), (k - 1, l), (k, l - 1), (k, l) that exist: one to four of them, also on
  // the last row and column. The sum starts at zero, so flat ground keeps (0, 1, 0).
  if (quads.empty()) return;
  const int quadRows = height - 1, quadColumns = width - 1;
  for (int k = 0; k < height; ++k)
    for (int l = 0; l < width; ++l) {
      KR_Vector3D normal_sum(0.0f, 0.0f, 0.0f);
      for (int qk = k - 1; qk <= k; ++qk)
        for (int ql = l - 1; ql <= l; ++ql)
          if (qk >= 0 && ql >= 0 && qk < quadRows && ql < quadColumns)
            normal_sum += quads[size_t(qk) * quadColumns + ql].normal;
      // Face normals all point up, so the sum cannot be 0; the guard keeps normalize's
      // (1, 1, 1) out all the same.
      if (normal_sum.data[0] == 0 && normal_sum.data[1] == 0 && normal_sum.data[2] == 0)
        normal_sum = KR_Vector3D(0.0f, 1.0f, 0.0f);
      normal_sum.normalize();
      at(k, l).normal = normal_sum;
    }
}

}  // namespace KORA
