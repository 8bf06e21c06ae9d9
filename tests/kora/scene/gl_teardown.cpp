// gl_teardown.cpp - process-wide settings of the scene tests.
//
// At the end the headless context is destroyed, so that Mesa frees what it keeps per context.
// What Mesa's driver still keeps to the end is left to the sanitizer build's suppressions.
#include <EGL/egl.h>
#include <gtest/gtest.h>

namespace {

class ContextTeardown : public ::testing::Environment {
 public:
  void TearDown() override {
    EGLDisplay display = eglGetCurrentDisplay();
    if (display == EGL_NO_DISPLAY) return;
    EGLContext context = eglGetCurrentContext();
    EGLSurface draw = eglGetCurrentSurface(EGL_DRAW);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    if (draw != EGL_NO_SURFACE) eglDestroySurface(display, draw);
    eglTerminate(display);
    eglReleaseThread();
  }
};

const ::testing::Environment* const teardown =
    ::testing::AddGlobalTestEnvironment(new ContextTeardown);

}  // namespace
