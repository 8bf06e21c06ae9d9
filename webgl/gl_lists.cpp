// gl_lists.cpp - immediate mode and display lists over Emscripten's GL emulation. Every
// glBegin/glEnd is collected here and turned into independent triangles, lines or points
// (polygons as fans, quad strips as triangle strips, quads as two triangles); outside a list
// it is drawn at once, inside one it joins the list's batch, and a list's batches go into
// vertex buffers at glEndList, so glCallList draws a whole terrain in one call. The state
// calls a list holds are recorded and replayed in order.
#include <emscripten.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "layer.h"

namespace webgl {

Tracked& tracked() {
  static Tracked t;
  return t;
}

namespace {

// The emulation copies client vertex data through a buffer of 2 MB: a draw from memory stays
// below this many vertices (a multiple of 2 and 3, so no primitive is cut).
const GLsizei MEMORY_DRAW_VERTICES = 40002;

// Large triangle batches are sorted into a grid of cells, each with its bounding box, so that
// a replay draws only the cells in the view: the same pixels, less vertex work.
const size_t CELL_MIN_VERTICES = 3 * 2048;
const int CELL_GRID = 8;

struct Batch {
  GLenum mode;
  std::vector<Vertex> vertices;
  GLsizei count = 0;
  GLuint vbo = 0;
  std::vector<Cell> cells;  // empty: drawn whole
  Vertex last{};            // the current values the batch leaves behind
};

struct List {
  std::vector<std::function<void()>> ops;
  std::vector<std::shared_ptr<Batch>> batches;
};

std::map<GLuint, List> lists;
GLuint nextList = 1;
List* recording = nullptr;  // the list glNewList opened
GLuint recordingId = 0;
GLenum recordingMode = GL_COMPILE;
// While a list is recorded, glColor and the like change the list's own current values; GL's
// current values stay as they were.
Tracked recordingCurrent;
std::shared_ptr<Batch> openBatch;  // the batch the next glEnd of the same kind joins

bool inPrimitive = false;
GLenum primitiveMode = 0;
std::vector<Vertex> primitive;
std::vector<Vertex> decomposed;

Tracked& current() { return recording ? recordingCurrent : tracked(); }

void record(std::function<void()> op) {
  openBatch.reset();
  recording->ops.push_back(std::move(op));
}

void adoptCurrent(const Vertex& v) {
  Tracked& t = tracked();
  std::copy(v.colour, v.colour + 4, t.colour);
  std::copy(v.normal, v.normal + 3, t.normal);
  std::copy(v.st, v.st + 2, t.st);
}

void vertex(GLfloat x, GLfloat y, GLfloat z) {
  if (!inPrimitive) return;
  const Tracked& c = current();
  Vertex v;
  v.position[0] = x;
  v.position[1] = y;
  v.position[2] = z;
  std::copy(c.normal, c.normal + 3, v.normal);
  std::copy(c.colour, c.colour + 4, v.colour);
  std::copy(c.st, c.st + 2, v.st);
  primitive.push_back(v);
}

// Attribute calls outside glBegin/glEnd in a list are state changes the list replays.
void recordCurrent() {
  if (!recording || inPrimitive) return;
  const Tracked values = recordingCurrent;
  record([values] {
    Tracked& t = tracked();
    std::copy(values.colour, values.colour + 4, t.colour);
    std::copy(values.normal, values.normal + 3, t.normal);
    std::copy(values.st, values.st + 2, t.st);
  });
}

// Projection times modelview, as the emulation holds them.
void viewMatrix(GLfloat* mvp) {
  GLfloat modelview[16], projection[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  multiply(projection, modelview, mvp);
}

void drawBatch(const Batch& b) {
  if (b.cells.empty()) {
    drawVertices(b.mode, nullptr, b.count, b.vbo);
    return;
  }
  GLfloat mvp[16];
  viewMatrix(mvp);
  // Neighbouring cells in view are drawn in one call.
  GLint first = 0;
  GLsizei count = 0;
  for (const Cell& cell : b.cells) {
    if (!inView(mvp, cell)) continue;
    if (count > 0 && first + count == cell.first) {
      count += cell.count;
      continue;
    }
    drawVertices(b.mode, nullptr, count, b.vbo, first);
    first = cell.first;
    count = cell.count;
  }
  drawVertices(b.mode, nullptr, count, b.vbo, first);
}

// The emulation's shaders add u_materialEmission, which its glMaterialfv never sets.
EM_JS(void, setEmission, (const GLfloat* c), {
  if (typeof GLEmulation != 'undefined' && GLEmulation.materialEmission)
    GLEmulation.materialEmission.set(HEAPF32.subarray(c >> 2, (c >> 2) + 4));
});

}  // namespace

bool recordingList() { return recording != nullptr; }

void recordCall(std::function<void()> call) {
  if (recording) record(std::move(call));
}

void drawVertices(GLenum mode, const Vertex* vertices, GLsizei count, GLuint vbo, GLint first) {
  if (count <= 0) return;
  if (!vbo && count > MEMORY_DRAW_VERTICES) {
    for (GLsizei first = 0; first < count; first += MEMORY_DRAW_VERTICES)
      drawVertices(mode, vertices + first,
                   count - first < MEMORY_DRAW_VERTICES ? count - first : MEMORY_DRAW_VERTICES);
    return;
  }
  if (vbo) glBindBuffer(GL_ARRAY_BUFFER, vbo);
  const char* base = vbo ? nullptr : reinterpret_cast<const char*>(vertices);
  const GLsizei stride = sizeof(Vertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, base + offsetof(Vertex, position));
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, stride, base + offsetof(Vertex, normal));
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, stride, base + offsetof(Vertex, colour));
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(Vertex, st));
  glDrawArrays(mode, vbo ? first : 0, count);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  if (vbo) glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace webgl

using namespace webgl;

// Records `call` when a list is being recorded, instead of running it.
#define WEBGL_RECORDED(call) \
  do {                       \
    if (recording) {         \
      record([=] { call; }); \
      return;                \
    }                        \
  } while (0)

extern "C" {

void webgl_glBegin(GLenum mode) {
  if (inPrimitive) return;
  if (!recording) flushText();
  inPrimitive = true;
  primitiveMode = mode;
  primitive.clear();
}

void webgl_glEnd(void) {
  if (!inPrimitive) return;
  inPrimitive = false;
  if (primitive.empty()) return;
  const GLenum kind = kindOf(primitiveMode);
  if (recording) {
    if (!openBatch || openBatch->mode != kind) {
      auto batch = std::make_shared<Batch>();
      batch->mode = kind;
      recording->batches.push_back(batch);
      record([batch] {
        drawBatch(*batch);
        adoptCurrent(batch->last);
      });
      openBatch = batch;
    }
    decompose(primitiveMode, primitive, openBatch->vertices);
    openBatch->last = primitive.back();
    return;
  }
  decomposed.clear();
  decompose(primitiveMode, primitive, decomposed);
  if (kind == GL_LINES) {
    // WebGL on SwiftShader drops a line whose one end lies behind the eye (kora-demo's pick
    // ray, seen after the camera has moved on) instead of clipping it as GL does.
    GLfloat mvp[16];
    viewMatrix(mvp);
    clipLinesAtNearPlane(decomposed, mvp);
  }
  drawVertices(kind, decomposed.data(), GLsizei(decomposed.size()));
}

void webgl_glVertex2i(GLint x, GLint y) { vertex(GLfloat(x), GLfloat(y), 0); }
void webgl_glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0); }
void webgl_glVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z); }
void webgl_glVertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2]); }

void webgl_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  GLfloat* c = current().colour;
  c[0] = r;
  c[1] = g;
  c[2] = b;
  c[3] = a;
  recordCurrent();
}
void webgl_glColor3f(GLfloat r, GLfloat g, GLfloat b) { webgl_glColor4f(r, g, b, 1); }
void webgl_glColor4fv(const GLfloat* c) { webgl_glColor4f(c[0], c[1], c[2], c[3]); }

void webgl_glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  GLfloat* n = current().normal;
  n[0] = x;
  n[1] = y;
  n[2] = z;
  recordCurrent();
}
void webgl_glNormal3fv(const GLfloat* n) { webgl_glNormal3f(n[0], n[1], n[2]); }

void webgl_glTexCoord2f(GLfloat s, GLfloat t) {
  GLfloat* st = current().st;
  st[0] = s;
  st[1] = t;
  recordCurrent();
}
void webgl_glTexCoord2fv(const GLfloat* st) { webgl_glTexCoord2f(st[0], st[1]); }

void webgl_glPushMatrix(void) {
  WEBGL_RECORDED(webgl_glPushMatrix());
  flushText();
  glPushMatrix();
}

void webgl_glPopMatrix(void) {
  WEBGL_RECORDED(webgl_glPopMatrix());
  flushText();
  glPopMatrix();
}

void webgl_glLoadIdentity(void) {
  WEBGL_RECORDED(webgl_glLoadIdentity());
  flushText();
  glLoadIdentity();
}

void webgl_glMatrixMode(GLenum mode) {
  WEBGL_RECORDED(webgl_glMatrixMode(mode));
  flushText();
  tracked().matrixMode = mode;
  glMatrixMode(mode);
}

void webgl_glLoadMatrixf(const GLfloat* m) {
  if (recording) {
    std::vector<GLfloat> copy(m, m + 16);
    record([copy] { webgl_glLoadMatrixf(copy.data()); });
    return;
  }
  flushText();
  glLoadMatrixf(m);
}

void webgl_glMultMatrixf(const GLfloat* m) {
  if (recording) {
    std::vector<GLfloat> copy(m, m + 16);
    record([copy] { webgl_glMultMatrixf(copy.data()); });
    return;
  }
  flushText();
  glMultMatrixf(m);
}

void webgl_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  WEBGL_RECORDED(webgl_glTranslatef(x, y, z));
  flushText();
  glTranslatef(x, y, z);
}

void webgl_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  WEBGL_RECORDED(webgl_glRotatef(angle, x, y, z));
  flushText();
  glRotatef(angle, x, y, z);
}

void webgl_glScalef(GLfloat x, GLfloat y, GLfloat z) {
  WEBGL_RECORDED(webgl_glScalef(x, y, z));
  flushText();
  glScalef(x, y, z);
}

// Caps WebGL has no counterpart for: normals are always normalised by the emulation's
// lighting, and smoothing is not there.
static bool unsupportedCap(GLenum cap) {
  return cap == GL_NORMALIZE || cap == GL_RESCALE_NORMAL || cap == GL_POLYGON_SMOOTH ||
         cap == GL_LINE_SMOOTH || cap == GL_POINT_SMOOTH || cap == GL_COLOR_MATERIAL;
}

static void setCap(GLenum cap, bool on) {
  Tracked& t = tracked();
  switch (cap) {
    case GL_LIGHTING: t.lighting = on; break;
    case GL_FOG: t.fog = on; break;
    case GL_TEXTURE_2D: t.texture2D = on; break;
    case GL_BLEND: t.blend = on; break;
    case GL_DEPTH_TEST: t.depthTest = on; break;
    case GL_CULL_FACE: t.cullFace = on; break;
    case GL_ALPHA_TEST: t.alphaTest = on; break;
    default: break;
  }
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}

void webgl_glEnable(GLenum cap) {
  WEBGL_RECORDED(webgl_glEnable(cap));
  flushText();
  if (!unsupportedCap(cap)) setCap(cap, true);
}

void webgl_glDisable(GLenum cap) {
  WEBGL_RECORDED(webgl_glDisable(cap));
  flushText();
  if (!unsupportedCap(cap)) setCap(cap, false);
}

void webgl_glBindTexture(GLenum target, GLuint texture) {
  WEBGL_RECORDED(webgl_glBindTexture(target, texture));
  flushText();
  if (target == GL_TEXTURE_2D) tracked().texture = texture;
  glBindTexture(target, texture);
}

void webgl_glTexParameteri(GLenum target, GLenum name, GLint value) {
  WEBGL_RECORDED(webgl_glTexParameteri(target, name, value));
  if (name == GL_TEXTURE_PRIORITY) return;  // residency hints mean nothing to WebGL
  glTexParameteri(target, name, value);
}

void webgl_glTexEnvi(GLenum target, GLenum name, GLint value) {
  WEBGL_RECORDED(webgl_glTexEnvi(target, name, value));
  flushText();
  if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) tracked().textureEnv = value;
  glTexEnvi(target, name, value);
}

void webgl_glDepthMask(GLboolean flag) {
  WEBGL_RECORDED(webgl_glDepthMask(flag));
  flushText();
  glDepthMask(flag);
}

void webgl_glBlendFunc(GLenum source, GLenum destination) {
  WEBGL_RECORDED(webgl_glBlendFunc(source, destination));
  flushText();
  tracked().blendSource = source;
  tracked().blendDestination = destination;
  glBlendFunc(source, destination);
}

void webgl_glAlphaFunc(GLenum func, GLclampf ref) {
  WEBGL_RECORDED(webgl_glAlphaFunc(func, ref));
  flushText();
  tracked().alphaFunc = func;
  tracked().alphaRef = ref;
  glAlphaFunc(func, ref);
}

void webgl_glLineWidth(GLfloat width) {
  WEBGL_RECORDED(webgl_glLineWidth(width));
  flushText();
  glLineWidth(width);
}

void webgl_glMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
  if (recording) {
    std::vector<GLfloat> copy(values, values + (name == GL_SHININESS ? 1 : 4));
    record([face, name, copy] { webgl_glMaterialfv(face, name, copy.data()); });
    return;
  }
  if (face == GL_BACK) return;  // the emulation lights front faces only
  flushText();
  switch (name) {
    case GL_EMISSION: setEmission(values); break;
    case GL_AMBIENT_AND_DIFFUSE:
      glMaterialfv(face, GL_AMBIENT, values);
      glMaterialfv(face, GL_DIFFUSE, values);
      break;
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_SHININESS: glMaterialfv(face, name, values); break;
    default: break;
  }
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) {
  webgl_glMaterialfv(face, name, &value);
}

void webgl_glClear(GLbitfield mask) {
  flushText();
  glClear(mask);
}

void glRecti(GLint x1, GLint y1, GLint x2, GLint y2) {
  webgl_glBegin(GL_QUADS);
  webgl_glVertex2i(x1, y1);
  webgl_glVertex2i(x2, y1);
  webgl_glVertex2i(x2, y2);
  webgl_glVertex2i(x1, y2);
  webgl_glEnd();
}

GLuint glGenLists(GLsizei range) {
  if (range <= 0) return 0;
  const GLuint first = nextList;
  nextList += GLuint(range);
  for (GLuint i = first; i < nextList; ++i) lists[i];
  return first;
}

void glNewList(GLuint list, GLenum mode) {
  if (recording || list == 0) return;
  flushText();
  glDeleteLists(list, 1);
  recordingId = list;
  recordingMode = mode;
  recording = &lists[list];
  recordingCurrent = tracked();
  openBatch.reset();
}

void glEndList(void) {
  if (!recording) return;
  // The batches go into vertex buffers once; their vertices are no longer needed here.
  for (const std::shared_ptr<Batch>& b : recording->batches) {
    if (b->mode == GL_TRIANGLES && b->vertices.size() >= CELL_MIN_VERTICES)
      b->cells = divideIntoCells(b->vertices, CELL_GRID);
    b->count = GLsizei(b->vertices.size());
    glGenBuffers(1, &b->vbo);
    glBindBuffer(GL_ARRAY_BUFFER, b->vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(b->vertices.size() * sizeof(Vertex)),
                 b->vertices.data(), GL_STATIC_DRAW);
    std::vector<Vertex>().swap(b->vertices);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  recording = nullptr;
  openBatch.reset();
  // GL draws such a list while compiling it; here it is drawn once compiled, the same frame.
  if (recordingMode == GL_COMPILE_AND_EXECUTE) glCallList(recordingId);
}

void glCallList(GLuint list) {
  WEBGL_RECORDED(glCallList(list));
  auto it = lists.find(list);
  if (it == lists.end() || &it->second == recording) return;
  flushText();
  // A copy: a list may delete or rebuild lists while it runs.
  const std::vector<std::function<void()>> ops = it->second.ops;
  for (const auto& op : ops) op();
}

void glDeleteLists(GLuint list, GLsizei range) {
  for (GLsizei i = 0; i < range; ++i) {
    auto it = lists.find(list + GLuint(i));
    if (it == lists.end() || &it->second == recording) continue;
    for (const std::shared_ptr<Batch>& b : it->second.batches)
      if (b->vbo != 0) glDeleteBuffers(1, &b->vbo);
    it->second = List();
  }
}

}  // extern "C"
