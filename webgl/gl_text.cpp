// gl_text.cpp - the raster position, GLUT's bitmap text and glDrawPixels, which WebGL does not
// have: each font becomes a texture of its glyphs (white, opaque where the glyph's bits are
// set), and a string's characters are queued as quads in window coordinates, drawn together
// in the colour that was current at glRasterPos, as glBitmap draws them.
#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "layer.h"

namespace {

struct FontRecord {
  const unsigned char* glyphs;
  int height;
  float xorig, yorig;
};

#include "glut_fonts.inc"

const int FONT_COUNT = int(sizeof FONT_RECORDS / sizeof FONT_RECORDS[0]);

}  // namespace

// The fonts' handles: GLUT_BITMAP_9_BY_15 and the others are their addresses.
extern "C" {
void* glutBitmap9By15;
void* glutBitmap8By13;
void* glutBitmapHelvetica10;
void* glutBitmapHelvetica12;
void* glutBitmapHelvetica18;
void* glutBitmapTimesRoman10;
void* glutBitmapTimesRoman24;
}

namespace webgl {
namespace {

// A font's glyphs, and where each lies in its texture.
struct Font {
  const FontRecord* record = nullptr;
  std::vector<const unsigned char*> glyphs;  // FONT_FIRST .. FONT_LAST
  std::vector<int> column;                   // left column of each glyph in the texture
  int textureWidth = 0;
  GLuint texture = 0;
};

struct Raster {
  GLfloat x = 0, y = 0;
  bool valid = true;
  GLfloat colour[4] = {1, 1, 1, 1};
  GLfloat zoomX = 1, zoomY = 1;
};

struct GlyphQuad {
  int font;
  GLfloat x0, y0, x1, y1, s0, s1;
  GLfloat colour[4];
};

Raster raster;
std::vector<GlyphQuad> queued;
std::vector<Vertex> quadVertices;
GLuint pixelTexture = 0;

int fontIndex(void* font) {
  void* const handles[] = {&glutBitmap9By15, &glutBitmap8By13, &glutBitmapHelvetica10,
                           &glutBitmapHelvetica12, &glutBitmapHelvetica18};
  for (int i = 0; i < FONT_COUNT; ++i)
    if (handles[i] == font) return i;
  return -1;
}

Font& font(int index) {
  static Font fonts[sizeof FONT_RECORDS / sizeof FONT_RECORDS[0]];
  Font& f = fonts[index];
  if (f.record) return f;
  f.record = &FONT_RECORDS[index];
  const unsigned char* p = f.record->glyphs;
  for (int c = FONT_FIRST; c <= FONT_LAST; ++c) {
    f.glyphs.push_back(p);
    f.column.push_back(f.textureWidth);
    f.textureWidth += p[0] + 1;  // a clear column between glyphs
    p += 1 + f.record->height * ((p[0] + 7) / 8);
  }
  return f;
}

const unsigned char* glyph(int index, int character) {
  if (index < 0 || character < FONT_FIRST || character > FONT_LAST) return nullptr;
  return font(index).glyphs[size_t(character - FONT_FIRST)];
}

// The font's texture, made on first use: row 0 is the glyphs' bottom row.
GLuint fontTexture(Font& f) {
  if (f.texture != 0) return f.texture;
  const int w = f.textureWidth, h = f.record->height;
  std::vector<unsigned char> rgba(size_t(w) * size_t(h) * 4, 0);
  for (size_t g = 0; g < f.glyphs.size(); ++g) {
    const unsigned char* bits = f.glyphs[g] + 1;
    const int width = f.glyphs[g][0], rowBytes = (width + 7) / 8;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < width; ++x) {
        if (!(bits[y * rowBytes + x / 8] & (0x80 >> (x % 8)))) continue;
        unsigned char* texel = &rgba[(size_t(y) * size_t(w) + size_t(f.column[g] + x)) * 4];
        texel[0] = texel[1] = texel[2] = texel[3] = 255;
      }
  }
  glGenTextures(1, &f.texture);
  glBindTexture(GL_TEXTURE_2D, f.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, tracked().texture);
  return f.texture;
}

void pushQuad(std::vector<Vertex>& out, GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat s0,
              GLfloat t0, GLfloat s1, GLfloat t1, const GLfloat* colour) {
  const GLfloat corners[6][4] = {{x0, y0, s0, t0}, {x1, y0, s1, t0}, {x1, y1, s1, t1},
                                 {x0, y0, s0, t0}, {x1, y1, s1, t1}, {x0, y1, s0, t1}};
  for (const auto& c : corners) {
    Vertex v{};
    v.position[0] = c[0];
    v.position[1] = c[1];
    v.normal[2] = 1;
    std::memcpy(v.colour, colour, sizeof v.colour);
    v.st[0] = c[2];
    v.st[1] = c[3];
    out.push_back(v);
  }
}

// A pixel position from a window coordinate as glBitmap rounds it (a hair above, so that an
// exact integer computed in float lands on itself).
GLfloat pixel(GLfloat v) { return std::floor(v + 1.0f / 64); }

void transform(const GLfloat* m, const GLfloat* v, GLfloat* out) {
  for (int r = 0; r < 4; ++r)
    out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r] * v[3];
}

}  // namespace

WindowDrawing::WindowDrawing() : saved(tracked()) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLfloat l = GLfloat(viewport[0]), r = l + GLfloat(viewport[2]);
  const GLfloat b = GLfloat(viewport[1]), t = b + GLfloat(viewport[3]);
  const GLfloat ortho[16] = {2 / (r - l), 0, 0, 0,  0, 2 / (t - b),        0,
                             0,           0, 0, -1, 0, -(r + l) / (r - l), -(t + b) / (t - b),
                             0,           1};
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadMatrixf(ortho);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_DEPTH_TEST, GL_ALPHA_TEST})
    glDisable(cap);
}

WindowDrawing::~WindowDrawing() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(saved.matrixMode);
  const struct {
    GLenum cap;
    bool on;
  } caps[] = {{GL_LIGHTING, saved.lighting},    {GL_FOG, saved.fog},
              {GL_CULL_FACE, saved.cullFace},   {GL_DEPTH_TEST, saved.depthTest},
              {GL_ALPHA_TEST, saved.alphaTest}, {GL_TEXTURE_2D, saved.texture2D},
              {GL_BLEND, saved.blend}};
  for (const auto& c : caps)
    if (c.on)
      glEnable(c.cap);
    else
      glDisable(c.cap);
  glBindTexture(GL_TEXTURE_2D, saved.texture);
  glBlendFunc(saved.blendSource, saved.blendDestination);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved.textureEnv);
}

void flushText() {
  if (queued.empty()) return;
  std::vector<GlyphQuad> quads;
  quads.swap(queued);  // drawing below must not flush again
  WindowDrawing window;
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  for (int f = 0; f < FONT_COUNT; ++f) {
    quadVertices.clear();
    for (const GlyphQuad& q : quads)
      if (q.font == f) pushQuad(quadVertices, q.x0, q.y0, q.x1, q.y1, q.s0, 0, q.s1, 1, q.colour);
    if (quadVertices.empty()) continue;
    glBindTexture(GL_TEXTURE_2D, fontTexture(font(f)));
    drawVertices(GL_TRIANGLES, quadVertices.data(), GLsizei(quadVertices.size()));
  }
}

}  // namespace webgl

using namespace webgl;

extern "C" {

void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) {
  GLfloat modelview[16], projection[16];
  GLint viewport[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLfloat object[4] = {x, y, z, 1};
  GLfloat eye[4], clip[4];
  transform(modelview, object, eye);
  transform(projection, eye, clip);
  raster.valid = clip[3] > 0 && std::fabs(clip[0]) <= clip[3] && std::fabs(clip[1]) <= clip[3] &&
                 std::fabs(clip[2]) <= clip[3];
  if (clip[3] != 0) {
    raster.x = GLfloat(viewport[0]) + (clip[0] / clip[3] + 1) * 0.5f * GLfloat(viewport[2]);
    raster.y = GLfloat(viewport[1]) + (clip[1] / clip[3] + 1) * 0.5f * GLfloat(viewport[3]);
  }
  std::memcpy(raster.colour, tracked().colour, sizeof raster.colour);
}

void glRasterPos2f(GLfloat x, GLfloat y) { glRasterPos3f(x, y, 0); }
void glRasterPos2i(GLint x, GLint y) { glRasterPos3f(GLfloat(x), GLfloat(y), 0); }

void glutBitmapCharacter(void* handle, int character) {
  const int index = fontIndex(handle);
  const unsigned char* g = glyph(index, character);
  if (!g) return;
  Font& f = font(index);
  const int width = g[0];
  if (raster.valid && width > 0) {
    GlyphQuad q;
    q.font = index;
    q.x0 = pixel(raster.x - f.record->xorig);
    q.y0 = pixel(raster.y - f.record->yorig);
    q.x1 = q.x0 + GLfloat(width);
    q.y1 = q.y0 + GLfloat(f.record->height);
    const int column = f.column[size_t(character - FONT_FIRST)];
    q.s0 = GLfloat(column) / GLfloat(f.textureWidth);
    q.s1 = GLfloat(column + width) / GLfloat(f.textureWidth);
    std::memcpy(q.colour, raster.colour, sizeof q.colour);
    queued.push_back(q);
  }
  raster.x += GLfloat(width);
}

int glutBitmapWidth(void* handle, int character) {
  const unsigned char* g = glyph(fontIndex(handle), character);
  return g ? g[0] : 0;
}

int glutBitmapLength(void* handle, const unsigned char* text) {
  int length = 0;
  for (; text && *text; ++text) length += glutBitmapWidth(handle, *text);
  return length;
}

void glPixelZoom(GLfloat x, GLfloat y) {
  raster.zoomX = x;
  raster.zoomY = y;
}

void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels) {
  if (!raster.valid || width <= 0 || height <= 0 || type != GL_UNSIGNED_BYTE ||
      (format != GL_RGBA && format != GL_RGB && format != GL_LUMINANCE))
    return;
  flushText();
  WindowDrawing window;
  if (pixelTexture == 0) {
    glGenTextures(1, &pixelTexture);
    glBindTexture(GL_TEXTURE_2D, pixelTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  glBindTexture(GL_TEXTURE_2D, pixelTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), width, height, 0, format, type, pixels);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  const GLfloat x0 = pixel(raster.x), y0 = pixel(raster.y);
  const GLfloat white[4] = {1, 1, 1, 1};
  quadVertices.clear();
  pushQuad(quadVertices, x0, y0, x0 + GLfloat(width) * raster.zoomX,
           y0 + GLfloat(height) * raster.zoomY, 0, 0, 1, 1, white);
  drawVertices(GL_TRIANGLES, quadVertices.data(), GLsizei(quadVertices.size()));
}

void webgl_glReadBuffer(GLenum) { flushText(); }

void webgl_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        void* pixels) {
  flushText();
  if (format != GL_RGB || type != GL_UNSIGNED_BYTE || width <= 0 || height <= 0) {
    glReadPixels(x, y, width, height, format, type, pixels);
    return;
  }
  // WebGL reads RGBA only: read that and drop the alpha (rows packed one byte aligned).
  std::vector<unsigned char> rgba(size_t(width) * size_t(height) * 4);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  unsigned char* out = static_cast<unsigned char*>(pixels);
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i)
    std::memcpy(out + 3 * i, &rgba[4 * i], 3);
}

void webgl_glutSwapBuffers(void) {
  flushText();
  glutSwapBuffers();
  EM_ASM({
    if (Module.onSwap) Module.onSwap();
  });
}

}  // extern "C"
