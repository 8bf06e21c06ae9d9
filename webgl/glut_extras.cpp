// glut_extras.cpp - the GLU and GLUT calls Emscripten's libraries lack: mipmaps, the picking
// matrix, selection mode (no hits: a program picks with rays on the web, as kora-demo does),
// solid spheres, and freeglut's main loop controls.
#include <emscripten.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "layer.h"

namespace {

struct SphereBuffer {
  GLuint vbo = 0;
  GLsizei count = 0;
};

// A unit sphere as freeglut tessellates it: `stacks` bands from +z to -z, `slices` sectors
// round the z axis, normals pointing out.
SphereBuffer unitSphere(GLint slices, GLint stacks) {
  static std::map<std::pair<GLint, GLint>, SphereBuffer> made;
  SphereBuffer& s = made[{slices, stacks}];
  if (s.vbo != 0) return s;
  auto point = [&](int i, int j) {
    const double theta = 2 * M_PI * i / slices, phi = M_PI * j / stacks;
    webgl::Vertex v{};
    const GLfloat p[3] = {GLfloat(std::cos(theta) * std::sin(phi)),
                          GLfloat(std::sin(theta) * std::sin(phi)), GLfloat(std::cos(phi))};
    for (int k = 0; k < 3; ++k) v.position[k] = v.normal[k] = p[k];
    for (int k = 0; k < 4; ++k) v.colour[k] = 1;
    return v;
  };
  std::vector<webgl::Vertex> vertices;
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const webgl::Vertex a = point(i, j), b = point(i, j + 1), c = point(i + 1, j + 1),
                          d = point(i + 1, j);
      // Counter-clockwise seen from outside.
      if (j > 0) vertices.insert(vertices.end(), {a, b, d});
      if (j + 1 < stacks) vertices.insert(vertices.end(), {d, b, c});
    }
  glGenBuffers(1, &s.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(webgl::Vertex)),
               vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  s.count = GLsizei(vertices.size());
  return s;
}

}  // namespace

extern "C" {

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks) {
  if (slices < 3 || stacks < 2) return;
  if (webgl::recordingList()) {  // drawn when the list is called
    webgl::recordCall([=] { glutSolidSphere(radius, slices, stacks); });
    return;
  }
  const SphereBuffer s = unitSphere(slices, stacks);
  webgl_glPushMatrix();
  webgl_glScalef(GLfloat(radius), GLfloat(radius), GLfloat(radius));
  webgl::drawVertices(GL_TRIANGLES, nullptr, s.count, s.vbo);
  webgl_glPopMatrix();
}

GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
  if (width <= 0 || height <= 0 || type != GL_UNSIGNED_BYTE) return GLU_INVALID_VALUE;
  const int channels = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
  // WebGL 1 makes mipmaps of power-of-two pictures only: others are scaled down to one first
  // (nearest texels), as gluBuild2DMipmaps scales them.
  auto below = [](GLsizei n) {
    GLsizei p = 1;
    while (p * 2 <= n) p *= 2;
    return p;
  };
  const GLsizei w = below(width), h = below(height);
  const unsigned char* pixels = static_cast<const unsigned char*>(data);
  std::vector<unsigned char> scaled;
  if (w != width || h != height) {
    scaled.resize(size_t(w) * size_t(h) * size_t(channels));
    for (GLsizei y = 0; y < h; ++y)
      for (GLsizei x = 0; x < w; ++x)
        for (int c = 0; c < channels; ++c)
          scaled[(size_t(y) * size_t(w) + size_t(x)) * size_t(channels) + size_t(c)] =
              pixels[(size_t(y * height / h) * size_t(width) + size_t(x * width / w)) *
                         size_t(channels) +
                     size_t(c)];
    pixels = scaled.data();
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(target, 0, GLint(format), w, h, 0, format, type, pixels);
  glGenerateMipmap(target);
  return 0;
}

void gluPickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, GLint* viewport) {
  if (width <= 0 || height <= 0) return;
  webgl_glTranslatef(GLfloat((viewport[2] - 2 * (x - viewport[0])) / width),
                     GLfloat((viewport[3] - 2 * (y - viewport[1])) / height), 0);
  webgl_glScalef(GLfloat(viewport[2] / width), GLfloat(viewport[3] / height), 1);
}

GLint glRenderMode(GLenum) { return 0; }

int glutGetWindow(void) { return 1; }

void glutSetOption(GLenum, int) {}

void glutExit(void) {}

void glutLeaveMainLoop(void) {
  glutIdleFunc(nullptr);
  glutDisplayFunc(nullptr);
  EM_ASM({
    if (Module.onLeaveMainLoop) Module.onLeaveMainLoop();
  });
}

}  // extern "C"
