// gl_recorder.cpp - records wrapped GL, GLU and GLUT calls, then calls the real functions.
//
// Each WRAP line defines __wrap_<name>, which the linker substitutes for <name> under
// -Wl,--wrap=<name>; __real_<name> is the library function. CMakeLists.txt reads the names
// from the WRAP and KORA_WRAPPED lines of this file, so this file is the one list.
#include "kora_gl.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdint>
#include <map>
#include <set>
#include <sstream>

namespace koratest {
namespace {

bool recording = false;
std::vector<GLCall>& calls() {
  static std::vector<GLCall> list;
  return list;
}

}  // namespace

void note(const char* name, std::vector<double>&& args) {
  if (recording) calls().push_back(GLCall{name, std::move(args)});
}

namespace {

// The enums that KORA passes, by name (a table, laid out by hand).
// clang-format off
#define GL_NAME(e) {e, #e}
const std::map<GLenum, const char*> ENUM_NAMES = {
    GL_NAME(GL_DEPTH_TEST), GL_NAME(GL_LIGHTING), GL_NAME(GL_CULL_FACE), GL_NAME(GL_TEXTURE_2D),
    GL_NAME(GL_BLEND), GL_NAME(GL_ALPHA_TEST), GL_NAME(GL_FOG), GL_NAME(GL_LIGHT0),
    GL_NAME(GL_NORMALIZE), GL_NAME(GL_COLOR_MATERIAL), GL_NAME(GL_PROJECTION), GL_NAME(GL_MODELVIEW),
    GL_NAME(GL_TEXTURE_ENV), GL_NAME(GL_TEXTURE_ENV_MODE), GL_NAME(GL_REPLACE), GL_NAME(GL_MODULATE),
    GL_NAME(GL_TEXTURE_PRIORITY), GL_NAME(GL_TEXTURE_WRAP_S), GL_NAME(GL_TEXTURE_WRAP_T),
    GL_NAME(GL_TEXTURE_MAG_FILTER), GL_NAME(GL_TEXTURE_MIN_FILTER), GL_NAME(GL_REPEAT),
    GL_NAME(GL_CLAMP_TO_EDGE), GL_NAME(GL_LINEAR), GL_NAME(GL_NEAREST),
    GL_NAME(GL_LINEAR_MIPMAP_LINEAR), GL_NAME(GL_COMPILE), GL_NAME(GL_FRONT), GL_NAME(GL_BACK),
    GL_NAME(GL_FRONT_AND_BACK), GL_NAME(GL_AMBIENT), GL_NAME(GL_DIFFUSE), GL_NAME(GL_SPECULAR),
    GL_NAME(GL_EMISSION), GL_NAME(GL_SHININESS), GL_NAME(GL_POSITION), GL_NAME(GL_SMOOTH),
    GL_NAME(GL_CCW), GL_NAME(GL_FILL), GL_NAME(GL_UNPACK_ALIGNMENT), GL_NAME(GL_SRC_ALPHA),
    GL_NAME(GL_ONE_MINUS_SRC_ALPHA), GL_NAME(GL_RENDER), GL_NAME(GL_SELECT), GL_NAME(GL_FOG_MODE),
    GL_NAME(GL_FOG_DENSITY), GL_NAME(GL_FOG_START), GL_NAME(GL_FOG_END), GL_NAME(GL_FOG_COLOR),
    GL_NAME(GL_EXP), GL_NAME(GL_EXP2)};
// clang-format on
#undef GL_NAME

const char* const PRIMITIVES[] = {
    "GL_POINTS",         "GL_LINES",        "GL_LINE_LOOP", "GL_LINE_STRIP", "GL_TRIANGLES",
    "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN", "GL_QUADS",     "GL_QUAD_STRIP", "GL_POLYGON"};

// Which arguments of a call are GL enums; a parameter's value is one when the parameter
// takes a mode (GL_TEXTURE_ENV_MODE, a wrap mode, a filter, GL_FOG_MODE).
bool isEnumArgument(const std::string& name, const std::vector<double>& args, std::size_t i) {
  static const std::set<std::string> first = {
      "glEnable",      "glDisable",     "glMatrixMode", "glShadeModel", "glCullFace", "glFrontFace",
      "glBindTexture", "glPixelStorei", "glFogf",       "glFogi",       "glFogfv"};
  static const std::set<std::string> firstTwo = {
      "glPolygonMode", "glHint",          "glBlendFunc",     "glMaterialf", "glMaterialfv",
      "glLightfv",     "glTexParameteri", "glTexParameterf", "glTexEnvi",   "glTexEnvf"};
  static const std::set<GLenum> modeParameters = {GL_TEXTURE_ENV_MODE,   GL_TEXTURE_WRAP_S,
                                                  GL_TEXTURE_WRAP_T,     GL_TEXTURE_MAG_FILTER,
                                                  GL_TEXTURE_MIN_FILTER, GL_FOG_MODE};
  if (i == 0 && first.count(name)) return true;
  if (i == 1 && name == "glNewList") return true;
  if (i < 2 && firstTwo.count(name)) return true;
  if (i == 2 && (name == "glTexParameteri" || name == "glTexEnvi"))
    return modeParameters.count(GLenum(args[1])) != 0;
  if (i == 1 && name == "glFogi") return GLenum(args[0]) == GL_FOG_MODE;
  return false;
}

}  // namespace

std::string GLCall::str() const {
  std::ostringstream out;
  out << name << '(';
  for (std::size_t i = 0; i < args.size(); ++i) {
    out << (i ? ", " : "");
    const GLenum value = GLenum(args[i]);
    const auto named = ENUM_NAMES.find(value);
    if (name == "glBegin" && i == 0 && value <= GL_POLYGON)
      out << PRIMITIVES[value];
    else if (double(value) == args[i] && isEnumArgument(name, args, i) && named != ENUM_NAMES.end())
      out << named->second;
    else
      out << args[i];
  }
  out << ')';
  return out.str();
}

void startRecording() {
  calls().clear();
  recording = true;
}
void stopRecording() { recording = false; }
void clearRecording() { calls().clear(); }
bool isRecording() { return recording; }
const std::vector<GLCall>& recordedCalls() { return calls(); }

std::vector<GLCall> recordedListContents() {
  std::vector<GLCall> out;
  bool in = false;
  for (const GLCall& c : calls()) {
    if (c.name == "glEndList") in = false;
    if (in) out.push_back(c);
    if (c.name == "glNewList") in = true;
  }
  return out;
}

std::vector<std::string> recordedNames() {
  std::vector<std::string> names;
  for (const GLCall& c : calls()) names.push_back(c.name);
  return names;
}

std::vector<GLCall> recordedCalls(const std::string& name) {
  std::vector<GLCall> found;
  for (const GLCall& c : calls())
    if (c.name == name) found.push_back(c);
  return found;
}

std::size_t countCalls(const std::string& name) { return recordedCalls(name).size(); }

std::string recordedText() {
  std::string text;
  for (const GLCall& c : calls()) text += c.str() + "\n";
  return text;
}

}  // namespace koratest

namespace {

using V = std::vector<double>;

template <typename T>
V vals(const T* p, int n) {
  V v;
  if (p != nullptr)
    for (int i = 0; i < n; ++i) v.push_back(static_cast<double>(p[i]));
  return v;
}

V cat(V a, const V& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

int materialCount(GLenum pname) {
  if (pname == GL_SHININESS) return 1;
  if (pname == GL_COLOR_INDEXES) return 3;
  return 4;
}

int lightCount(GLenum pname) {
  switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_POSITION: return 4;
    case GL_SPOT_DIRECTION: return 3;
    default: return 1;
  }
}

void note(const char* name, V&& args) { koratest::note(name, std::move(args)); }

}  // namespace

#define KORA_WRAPPED(name)
#define WRAP(ret, name, params, args, ...) \
  extern "C" ret __real_##name params;     \
  extern "C" ret __wrap_##name params {    \
    note(#name, __VA_ARGS__);              \
    return __real_##name args;             \
  }

// Capabilities and matrices
WRAP(void, glEnable, (GLenum cap), (cap), V{double(cap)})
WRAP(void, glDisable, (GLenum cap), (cap), V{double(cap)})
WRAP(void, glMatrixMode, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glLoadMatrixf, (const GLfloat* m), (m), vals(m, 16))
WRAP(void, glMultMatrixf, (const GLfloat* m), (m), vals(m, 16))
WRAP(void, glPushMatrix, (void), (), V{})
WRAP(void, glPopMatrix, (void), (), V{})
WRAP(void, glLoadIdentity, (void), (), V{})
WRAP(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), V{x, y, z})
WRAP(void, glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z), V{a, x, y, z})
WRAP(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), V{x, y, z})
WRAP(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h),
     V{double(x), double(y), double(w), double(h)})
WRAP(void, glShadeModel, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glDepthMask, (GLboolean flag), (flag), V{double(flag)})
WRAP(void, glBlendFunc, (GLenum s, GLenum d), (s, d), V{double(s), double(d)})
WRAP(void, glCullFace, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glFrontFace, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode), V{double(face), double(mode)})
WRAP(void, glHint, (GLenum target, GLenum mode), (target, mode), V{double(target), double(mode)})
WRAP(void, glPushAttrib, (GLbitfield mask), (mask), V{double(mask)})
WRAP(void, glPopAttrib, (void), (), V{})
WRAP(void, glClear, (GLbitfield mask), (mask), V{double(mask)})
WRAP(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a),
     V{r, g, b, a})
WRAP(void, glFlush, (void), (), V{})
WRAP(GLint, glRenderMode, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glLineWidth, (GLfloat w), (w), V{w})
WRAP(void, glPointSize, (GLfloat s), (s), V{s})

// Textures and pixels
WRAP(void, glBindTexture, (GLenum target, GLuint tex), (target, tex),
     V{double(target), double(tex)})
WRAP(void, glDeleteTextures, (GLsizei n, const GLuint* t), (n, t), cat(V{double(n)}, vals(t, n)))
WRAP(void, glTexParameteri, (GLenum t, GLenum p, GLint v), (t, p, v),
     V{double(t), double(p), double(v)})
WRAP(void, glTexParameterf, (GLenum t, GLenum p, GLfloat v), (t, p, v), V{double(t), double(p), v})
WRAP(void, glTexEnvi, (GLenum t, GLenum p, GLint v), (t, p, v), V{double(t), double(p), double(v)})
WRAP(void, glTexEnvf, (GLenum t, GLenum p, GLfloat v), (t, p, v), V{double(t), double(p), v})
WRAP(void, glTexImage2D,
     (GLenum t, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format,
      GLenum type, const void* pixels),
     (t, level, internal, w, h, border, format, type, pixels),
     V{double(t), double(level), double(internal), double(w), double(h), double(border),
       double(format), double(type)})
WRAP(void, glPixelStorei, (GLenum p, GLint v), (p, v), V{double(p), double(v)})
WRAP(void, glPixelZoom, (GLfloat x, GLfloat y), (x, y), V{x, y})
WRAP(void, glRasterPos2i, (GLint x, GLint y), (x, y), V{double(x), double(y)})
WRAP(void, glRasterPos2f, (GLfloat x, GLfloat y), (x, y), V{x, y})
WRAP(void, glRasterPos3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), V{x, y, z})
WRAP(void, glDrawPixels, (GLsizei w, GLsizei h, GLenum format, GLenum type, const void* p),
     (w, h, format, type, p), V{double(w), double(h), double(format), double(type)})
WRAP(void, glReadPixels,
     (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* p),
     (x, y, w, h, format, type, p),
     V{double(x), double(y), double(w), double(h), double(format), double(type)})

// Display lists
WRAP(void, glNewList, (GLuint list, GLenum mode), (list, mode), V{double(list), double(mode)})
WRAP(void, glEndList, (void), (), V{})
WRAP(void, glCallList, (GLuint list), (list), V{double(list)})
WRAP(void, glDeleteLists, (GLuint list, GLsizei range), (list, range),
     V{double(list), double(range)})

// Immediate mode
WRAP(void, glBegin, (GLenum mode), (mode), V{double(mode)})
WRAP(void, glEnd, (void), (), V{})
WRAP(void, glVertex2f, (GLfloat x, GLfloat y), (x, y), V{x, y})
WRAP(void, glVertex2i, (GLint x, GLint y), (x, y), V{double(x), double(y)})
WRAP(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), V{x, y, z})
WRAP(void, glVertex3fv, (const GLfloat* v), (v), vals(v, 3))
WRAP(void, glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z), V{x, y, z})
WRAP(void, glNormal3fv, (const GLfloat* v), (v), vals(v, 3))
WRAP(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t), V{s, t})
WRAP(void, glTexCoord2fv, (const GLfloat* v), (v), vals(v, 2))
WRAP(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b), V{r, g, b})
WRAP(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a), V{r, g, b, a})
WRAP(void, glColor3ub, (GLubyte r, GLubyte g, GLubyte b), (r, g, b),
     V{double(r), double(g), double(b)})
WRAP(void, glColor4ub, (GLubyte r, GLubyte g, GLubyte b, GLubyte a), (r, g, b, a),
     V{double(r), double(g), double(b), double(a)})
WRAP(void, glColor3fv, (const GLfloat* v), (v), vals(v, 3))
WRAP(void, glColor4fv, (const GLfloat* v), (v), vals(v, 4))

// Materials, lights, fog
WRAP(void, glMaterialf, (GLenum face, GLenum p, GLfloat v), (face, p, v),
     V{double(face), double(p), v})
WRAP(void, glMaterialfv, (GLenum face, GLenum p, const GLfloat* v), (face, p, v),
     cat(V{double(face), double(p)}, vals(v, materialCount(p))))
WRAP(void, glLightfv, (GLenum light, GLenum p, const GLfloat* v), (light, p, v),
     cat(V{double(light), double(p)}, vals(v, lightCount(p))))
WRAP(void, glFogf, (GLenum p, GLfloat v), (p, v), V{double(p), v})
WRAP(void, glFogi, (GLenum p, GLint v), (p, v), V{double(p), double(v)})
WRAP(void, glFogfv, (GLenum p, const GLfloat* v), (p, v),
     cat(V{double(p)}, vals(v, p == GL_FOG_COLOR ? 4 : 1)))

// GLU
WRAP(void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zn, GLdouble zf),
     (fovy, aspect, zn, zf), V{fovy, aspect, zn, zf})
WRAP(void, gluPickMatrix, (GLdouble x, GLdouble y, GLdouble w, GLdouble h, GLint* viewport),
     (x, y, w, h, viewport), cat(V{x, y, w, h}, vals(viewport, 4)))
WRAP(void, gluOrtho2D, (GLdouble l, GLdouble r, GLdouble b, GLdouble t), (l, r, b, t),
     V{l, r, b, t})
WRAP(void, gluLookAt,
     (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
      GLdouble uy, GLdouble uz),
     (ex, ey, ez, cx, cy, cz, ux, uy, uz), V{ex, ey, ez, cx, cy, cz, ux, uy, uz})
WRAP(GLint, gluBuild2DMipmaps,
     (GLenum t, GLint internal, GLsizei w, GLsizei h, GLenum format, GLenum type, const void* d),
     (t, internal, w, h, format, type, d),
     V{double(t), double(internal), double(w), double(h), double(format), double(type)})

// GLUT bitmap text (the font argument is recorded as its address)
WRAP(void, glutBitmapCharacter, (void* font, int c), (font, c),
     V{double(reinterpret_cast<std::uintptr_t>(font)), double(c)})
WRAP(int, glutBitmapWidth, (void* font, int c), (font, c),
     V{double(reinterpret_cast<std::uintptr_t>(font)), double(c)})

// Name generators: recorded after the call, with the names GL gave.
KORA_WRAPPED(glGenTextures)
extern "C" void __real_glGenTextures(GLsizei n, GLuint* t);
extern "C" void __wrap_glGenTextures(GLsizei n, GLuint* t) {
  __real_glGenTextures(n, t);
  note("glGenTextures", cat(V{double(n)}, vals(t, n)));
}

KORA_WRAPPED(glGenLists)
extern "C" GLuint __real_glGenLists(GLsizei range);
extern "C" GLuint __wrap_glGenLists(GLsizei range) {
  GLuint first = __real_glGenLists(range);
  note("glGenLists", V{double(range), double(first)});
  return first;
}
