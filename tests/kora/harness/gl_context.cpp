// gl_context.cpp - the headless GL context (EGL surfaceless pbuffer on Mesa) and the fixture.
#include "kora_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace koratest {
namespace {

struct Context {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
  int width = 0, height = 0;
};

Context ctx;

bool fail(const char* what) {
  std::fprintf(stderr, "headless GL: %s (EGL error 0x%04x)\n", what, eglGetError());
  return false;
}

bool open() {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return fail("no eglGetPlatformDisplayEXT");
  ctx.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (ctx.display == EGL_NO_DISPLAY) return fail("no surfaceless display");
  EGLint major = 0, minor = 0;
  if (!eglInitialize(ctx.display, &major, &minor)) return fail("eglInitialize failed");
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                  EGL_PBUFFER_BIT,
                                  EGL_RENDERABLE_TYPE,
                                  EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,
                                  8,
                                  EGL_GREEN_SIZE,
                                  8,
                                  EGL_BLUE_SIZE,
                                  8,
                                  EGL_ALPHA_SIZE,
                                  8,
                                  EGL_DEPTH_SIZE,
                                  24,
                                  EGL_STENCIL_SIZE,
                                  8,
                                  EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(ctx.display, configAttribs, &ctx.config, 1, &count) || count < 1)
    return fail("no RGBA8 pbuffer config for desktop GL");
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("desktop OpenGL not available");
  const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                   EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  ctx.context = eglCreateContext(ctx.display, ctx.config, EGL_NO_CONTEXT, contextAttribs);
  if (ctx.context == EGL_NO_CONTEXT) return fail("no compatibility-profile context");
  // The context lives until the process ends. It is not torn down at exit: eglTerminate
  // unloads the Mesa driver, after which the leak checker can neither name nor reach what the
  // driver still holds.
  return true;
}

}  // namespace

bool makeContextCurrent(int width, int height) {
  if (ctx.display == EGL_NO_DISPLAY && !open()) return false;
  if (ctx.surface == EGL_NO_SURFACE || width != ctx.width || height != ctx.height) {
    const EGLint attribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(ctx.display, ctx.config, attribs);
    if (surface == EGL_NO_SURFACE) return fail("no pbuffer");
    if (!eglMakeCurrent(ctx.display, surface, surface, ctx.context)) {
      eglDestroySurface(ctx.display, surface);
      return fail("eglMakeCurrent failed");
    }
    if (ctx.surface != EGL_NO_SURFACE) eglDestroySurface(ctx.display, ctx.surface);
    ctx.surface = surface;
    ctx.width = width;
    ctx.height = height;
    glViewport(0, 0, width, height);
  }
  return true;
}

void GLTest::SetUp() {
  stopRecording();
  clearRecording();
  ASSERT_TRUE(makeContextCurrent(width_, height_)) << "no headless OpenGL context";
}

void GLTest::TearDown() { stopRecording(); }

}  // namespace koratest
