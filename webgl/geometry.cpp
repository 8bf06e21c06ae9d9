// geometry.cpp - primitives taken apart, batches sorted into cells, view tests and lines cut
// at the near plane, for the web GL layer.
#include "geometry.h"

#include <algorithm>

namespace webgl {

GLenum kindOf(GLenum mode) {
  switch (mode) {
    case GL_POINTS: return GL_POINTS;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_LINE_LOOP: return GL_LINES;
    default: return GL_TRIANGLES;
  }
}

void decompose(GLenum mode, const std::vector<Vertex>& v, std::vector<Vertex>& out) {
  const size_t n = v.size();
  switch (mode) {
    case GL_POINTS:
    case GL_LINES:
    case GL_TRIANGLES: {
      const size_t whole = mode == GL_TRIANGLES ? n - n % 3 : mode == GL_LINES ? n - n % 2 : n;
      out.insert(out.end(), v.begin(), v.begin() + long(whole));
      break;
    }
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      for (size_t i = 0; i + 1 < n; ++i) out.insert(out.end(), {v[i], v[i + 1]});
      if (mode == GL_LINE_LOOP && n > 2) out.insert(out.end(), {v[n - 1], v[0]});
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:  // convex, as GL requires: a fan
      for (size_t i = 1; i + 1 < n; ++i) out.insert(out.end(), {v[0], v[i], v[i + 1]});
      break;
    case GL_TRIANGLE_STRIP:
    case GL_QUAD_STRIP:  // quad k is vertices 2k, 2k+1, 2k+3, 2k+2: a strip's two triangles
      for (size_t i = 0; i + 2 < n; ++i) {
        if (mode == GL_QUAD_STRIP && i % 2 == 0 && i + 3 >= n) break;  // half a quad
        if (i % 2 == 0)
          out.insert(out.end(), {v[i], v[i + 1], v[i + 2]});
        else
          out.insert(out.end(), {v[i + 1], v[i], v[i + 2]});
      }
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4)
        out.insert(out.end(), {v[i], v[i + 1], v[i + 2], v[i], v[i + 2], v[i + 3]});
      break;
    default: break;
  }
}

namespace {

void bound(const std::vector<Vertex>& vertices, size_t first, size_t count, GLfloat* low,
           GLfloat* high) {
  for (int k = 0; k < 3; ++k) low[k] = high[k] = vertices[first].position[k];
  for (size_t i = first; i < first + count; ++i)
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], vertices[i].position[k]);
      high[k] = std::max(high[k], vertices[i].position[k]);
    }
}

}  // namespace

std::vector<Cell> divideIntoCells(std::vector<Vertex>& triangles, int grid) {
  std::vector<Cell> cells;
  const size_t whole = triangles.size() - triangles.size() % 3;
  if (whole == 0 || grid < 1) return cells;
  GLfloat low[3], high[3];
  bound(triangles, 0, whole, low, high);
  int narrow = 0;
  for (int k = 1; k < 3; ++k)
    if (high[k] - low[k] < high[narrow] - low[narrow]) narrow = k;
  const int a = narrow == 0 ? 1 : 0, c = narrow == 2 ? 1 : 2;
  auto slot = [&](GLfloat v, int k) {
    const GLfloat extent = high[k] - low[k];
    const int i = extent > 0 ? int((v - low[k]) / extent * GLfloat(grid)) : 0;
    return std::max(0, std::min(grid - 1, i));
  };
  std::vector<std::vector<Vertex>> sorted(size_t(grid) * size_t(grid));
  for (size_t t = 0; t < whole; t += 3) {
    const GLfloat* p = triangles[t].position;
    std::vector<Vertex>& to = sorted[size_t(slot(p[a], a) * grid + slot(p[c], c))];
    to.insert(to.end(), &triangles[t], &triangles[t] + 3);
  }
  triangles.clear();
  for (const std::vector<Vertex>& s : sorted) {
    if (s.empty()) continue;
    Cell cell{GLint(triangles.size()), GLsizei(s.size()), {}, {}};
    triangles.insert(triangles.end(), s.begin(), s.end());
    bound(triangles, size_t(cell.first), s.size(), cell.low, cell.high);
    cells.push_back(cell);
  }
  return cells;
}

bool inView(const GLfloat* mvp, const Cell& cell) {
  GLfloat clip[8][4];
  for (int i = 0; i < 8; ++i) {
    const GLfloat p[3] = {i & 1 ? cell.high[0] : cell.low[0], i & 2 ? cell.high[1] : cell.low[1],
                          i & 4 ? cell.high[2] : cell.low[2]};
    for (int r = 0; r < 4; ++r)
      clip[i][r] = mvp[r] * p[0] + mvp[4 + r] * p[1] + mvp[8 + r] * p[2] + mvp[12 + r];
  }
  // -w <= x, y, z <= w inside; a box with all corners beyond one of the six planes is out.
  for (int axis = 0; axis < 3; ++axis)
    for (int side = -1; side <= 1; side += 2) {
      bool outside = true;
      for (int i = 0; i < 8 && outside; ++i) outside = GLfloat(side) * clip[i][axis] > clip[i][3];
      if (outside) return false;
    }
  return true;
}

void multiply(const GLfloat* a, const GLfloat* b, GLfloat* out) {
  for (int col = 0; col < 4; ++col)
    for (int r = 0; r < 4; ++r) {
      GLfloat sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[col * 4 + k];
      out[col * 4 + r] = sum;
    }
}

void clipLinesAtNearPlane(std::vector<Vertex>& lines, const GLfloat* mvp) {
  // How far a point lies inside the near plane: z + w in clip coordinates.
  auto inside = [mvp](const Vertex& v) {
    const GLfloat* p = v.position;
    return (mvp[2] + mvp[3]) * p[0] + (mvp[6] + mvp[7]) * p[1] + (mvp[10] + mvp[11]) * p[2] +
           mvp[14] + mvp[15];
  };
  std::vector<Vertex> kept;
  for (size_t i = 0; i + 1 < lines.size(); i += 2) {
    Vertex a = lines[i], b = lines[i + 1];
    const GLfloat da = inside(a), db = inside(b);
    if (da < 0 && db < 0) continue;
    if (da < 0 || db < 0) {
      const GLfloat t = da / (da - db);  // where the line meets the plane, from a to b
      Vertex& cut = da < 0 ? a : b;
      for (int k = 0; k < 3; ++k)
        cut.position[k] =
            lines[i].position[k] + t * (lines[i + 1].position[k] - lines[i].position[k]);
    }
    kept.insert(kept.end(), {a, b});
  }
  lines.swap(kept);
}

}  // namespace webgl
