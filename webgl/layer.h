// layer.h - what the parts of the web GL layer share: the state it tracks for the calls it
// makes itself (text, pixels, spheres), and triangle batches drawn through the emulation.
#ifndef WEBGL_LAYER_H
#define WEBGL_LAYER_H

#define WEBGL_LAYER_ITSELF
#define GL_GLEXT_PROTOTYPES 1
#include "webgl_gl.h"

#include <GL/glext.h>

#include <functional>
#include <vector>

#include "geometry.h"

namespace webgl {

// Current values (glColor, glNormal, glTexCoord) and what glEnable/glDisable, glBindTexture,
// glBlendFunc, glTexEnvi and glMatrixMode last set, as far as they pass through the layer.
struct Tracked {
  GLfloat colour[4] = {1, 1, 1, 1};
  GLfloat normal[3] = {0, 0, 1};
  GLfloat st[2] = {0, 0};
  GLenum matrixMode = GL_MODELVIEW;
  GLuint texture = 0;
  GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
  GLint textureEnv = GL_MODULATE;
  GLenum alphaFunc = GL_ALWAYS;
  GLclampf alphaRef = 0;
  bool lighting = false, fog = false, texture2D = false, blend = false, depthTest = false,
       cullFace = false, alphaTest = false;
};
Tracked& tracked();

// Draws vertices (GL_TRIANGLES, GL_LINES or GL_POINTS) from memory, or, when `vbo` is not 0,
// `count` vertices from `first` on in that buffer.
void drawVertices(GLenum mode, const Vertex* vertices, GLsizei count, GLuint vbo = 0,
                  GLint first = 0);

// Whether a display list is being recorded, and a call for it to make when it is called.
bool recordingList();
void recordCall(std::function<void()> call);

// Text queued by glutBitmapCharacter goes to the canvas: before any other drawing
// and at the frame's end.
void flushText();

// State the layer's own drawing changes and puts back: the caps, texture, blending and
// matrices of drawing in window coordinates.
class WindowDrawing {
 public:
  WindowDrawing();  // window coordinates of the viewport, no lighting, fog, culling or depth
  ~WindowDrawing();

 private:
  Tracked saved;
};

}  // namespace webgl

#endif
