// geometry.h - the web GL layer's geometry, which makes no GL calls: primitives taken apart
// into independent triangles, lines or points; large batches sorted into cells, each with its
// bounding box, and the test whether a box can be in view; lines cut at the near plane.
#ifndef WEBGL_GEOMETRY_H
#define WEBGL_GEOMETRY_H

#include <GL/gl.h>

#include <vector>

namespace webgl {

// One vertex as the layer draws it: position, normal, colour, texture coordinates.
struct Vertex {
  GLfloat position[3], normal[3], colour[4], st[2];
};

// What a primitive of `mode` is drawn as: GL_TRIANGLES, GL_LINES or GL_POINTS.
GLenum kindOf(GLenum mode);

// The primitive's vertices as independent triangles, lines or points, appended to `out`:
// polygons and fans as fans, quad strips as triangle strips (the same triangles, the same
// way round), quads as two triangles, line strips and loops as lines; an unfinished last
// primitive is dropped, as GL drops it.
void decompose(GLenum mode, const std::vector<Vertex>& vertices, std::vector<Vertex>& out);

// A run of a batch's vertices and the box that holds them.
struct Cell {
  GLint first;
  GLsizei count;
  GLfloat low[3], high[3];
};

// Sorts independent triangles into grid x grid cells over the two widest axes of their
// bounding box, by each triangle's first corner, keeping their order within a cell; the
// triangles are rearranged cell after cell. Empty cells are left out.
std::vector<Cell> divideIntoCells(std::vector<Vertex>& triangles, int grid);

// False when the box lies wholly outside one plane of the view volume of `mvp` (projection
// times modelview, column-major): nothing in it can be drawn.
bool inView(const GLfloat* mvp, const Cell& cell);

// out = a b, 4 x 4 column-major.
void multiply(const GLfloat* a, const GLfloat* b, GLfloat* out);

// Cuts independent lines at the near plane of `mvp`'s view volume: a line wholly behind it
// goes, a line across it keeps its part in front.
void clipLinesAtNearPlane(std::vector<Vertex>& lines, const GLfloat* mvp);

}  // namespace webgl

#endif
