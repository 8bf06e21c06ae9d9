/* freeglut.h - the freeglut header KORA programs include, for the web build: Emscripten's GLUT
   (its glut.h carries freeglut's standard part) and the freeglut extensions this layer gives
   (webgl/glut_extras.cpp). */
#ifndef WEBGL_FREEGLUT_H
#define WEBGL_FREEGLUT_H

#include <GL/glut.h>

#define GLUT_ACTION_EXIT 0
#define GLUT_ACTION_GLUTMAINLOOP_RETURNS 1
#define GLUT_ACTION_CONTINUE_EXECUTION 2
#define GLUT_ACTION_ON_WINDOW_CLOSE 0x01F9

#ifdef __cplusplus
extern "C" {
#endif
/* Ends the page's frame loop: no more display or idle calls. */
void glutLeaveMainLoop(void);
void glutSetOption(GLenum what, int value);
void glutExit(void);
#ifdef __cplusplus
}
#endif

#endif
