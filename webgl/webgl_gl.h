// webgl_gl.h - the GL 1.x, GLU and GLUT calls of KORA and its programs, on top of Emscripten's
// legacy GL emulation and its GLUT. The web build force-includes this header in every KORA
// source (-include webgl_gl.h): the calls the emulation lacks are defined under their own
// names (glGenLists, glRasterPos2i, glutBitmapCharacter, ...); the calls it has but that a
// display list must record, or that it draws wrongly (GL_POLYGON, GL_QUAD_STRIP, material
// emission, texture priorities), are redirected to this layer by the macros at the end. The
// sources themselves keep their calls.
#ifndef WEBGL_GL_H
#define WEBGL_GL_H

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif

// Drawing: immediate mode, collected by the layer and drawn as triangles, lines or points.
void webgl_glBegin(GLenum mode);
void webgl_glEnd(void);
void webgl_glVertex2i(GLint x, GLint y);
void webgl_glVertex2f(GLfloat x, GLfloat y);
void webgl_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void webgl_glVertex3fv(const GLfloat* v);
void webgl_glColor3f(GLfloat r, GLfloat g, GLfloat b);
void webgl_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void webgl_glColor4fv(const GLfloat* c);
void webgl_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void webgl_glNormal3fv(const GLfloat* n);
void webgl_glTexCoord2f(GLfloat s, GLfloat t);
void webgl_glTexCoord2fv(const GLfloat* st);

// State a display list records.
void webgl_glPushMatrix(void);
void webgl_glPopMatrix(void);
void webgl_glLoadIdentity(void);
void webgl_glMatrixMode(GLenum mode);
void webgl_glLoadMatrixf(const GLfloat* m);
void webgl_glMultMatrixf(const GLfloat* m);
void webgl_glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void webgl_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void webgl_glScalef(GLfloat x, GLfloat y, GLfloat z);
void webgl_glEnable(GLenum cap);
void webgl_glDisable(GLenum cap);
void webgl_glBindTexture(GLenum target, GLuint texture);
void webgl_glTexParameteri(GLenum target, GLenum name, GLint value);
void webgl_glTexEnvi(GLenum target, GLenum name, GLint value);
void webgl_glDepthMask(GLboolean flag);
void webgl_glBlendFunc(GLenum source, GLenum destination);
void webgl_glAlphaFunc(GLenum func, GLclampf ref);
void webgl_glLineWidth(GLfloat width);
void webgl_glMaterialfv(GLenum face, GLenum name, const GLfloat* values);

// Frame boundaries: text drawn with glutBitmapCharacter is put on the canvas before these.
void webgl_glClear(GLbitfield mask);
void webgl_glReadBuffer(GLenum mode);
void webgl_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        void* pixels);
void webgl_glutSwapBuffers(void);

// What the emulation lacks, by name.
GLuint glGenLists(GLsizei range);
void glNewList(GLuint list, GLenum mode);
void glEndList(void);
void glCallList(GLuint list);
void glDeleteLists(GLuint list, GLsizei range);
void glMaterialf(GLenum face, GLenum name, GLfloat value);
void glRecti(GLint x1, GLint y1, GLint x2, GLint y2);
void glRasterPos2i(GLint x, GLint y);
void glRasterPos2f(GLfloat x, GLfloat y);
void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z);
void glPixelZoom(GLfloat x, GLfloat y);
void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels);
GLint glRenderMode(GLenum mode);
void gluPickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, GLint* viewport);
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data);

#ifdef __cplusplus
}
#endif

#ifndef WEBGL_LAYER_ITSELF
#define glBegin webgl_glBegin
#define glEnd webgl_glEnd
#define glVertex2i webgl_glVertex2i
#define glVertex2f webgl_glVertex2f
#define glVertex3f webgl_glVertex3f
#define glVertex3fv webgl_glVertex3fv
#define glColor3f webgl_glColor3f
#define glColor4f webgl_glColor4f
#define glColor4fv webgl_glColor4fv
#define glNormal3f webgl_glNormal3f
#define glNormal3fv webgl_glNormal3fv
#define glTexCoord2f webgl_glTexCoord2f
#define glTexCoord2fv webgl_glTexCoord2fv
#define glPushMatrix webgl_glPushMatrix
#define glPopMatrix webgl_glPopMatrix
#define glLoadIdentity webgl_glLoadIdentity
#define glMatrixMode webgl_glMatrixMode
#define glLoadMatrixf webgl_glLoadMatrixf
#define glMultMatrixf webgl_glMultMatrixf
#define glTranslatef webgl_glTranslatef
#define glRotatef webgl_glRotatef
#define glScalef webgl_glScalef
#define glEnable webgl_glEnable
#define glDisable webgl_glDisable
#define glBindTexture webgl_glBindTexture
#define glTexParameteri webgl_glTexParameteri
#define glTexEnvi webgl_glTexEnvi
#define glDepthMask webgl_glDepthMask
#define glBlendFunc webgl_glBlendFunc
#define glAlphaFunc webgl_glAlphaFunc
#define glLineWidth webgl_glLineWidth
#define glMaterialfv webgl_glMaterialfv
#define glClear webgl_glClear
#define glReadBuffer webgl_glReadBuffer
#define glReadPixels webgl_glReadPixels
#define glutSwapBuffers webgl_glutSwapBuffers
#endif

#endif
