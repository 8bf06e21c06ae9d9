// gl_teardown.cpp - process-wide settings of the scene tests.
//
// At the end the headless context is destroyed, so that Mesa frees what it keeps per context.
// Mesa's driver (dri/*_dri.so) still keeps a few blocks of its own to the end, and it is
// unloaded before LeakSanitizer looks, which would leave those stacks nameless. So the driver is
// pinned in memory (RTLD_NODELETE) and leaks allocated inside it are suppressed by its name:
// leaks in the library's and the tests' own code are still reported.
#include <EGL/egl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>

extern "C" const char* __lsan_default_suppressions() { return "leak:*_dri.so\n"; }

namespace {

int pinDriver(struct dl_phdr_info* info, size_t, void*) {
  if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so")) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

class ContextTeardown : public ::testing::Environment {
public:
  void TearDown() override {
    dl_iterate_phdr(pinDriver, nullptr);
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

const ::testing::Environment* const teardown = ::testing::AddGlobalTestEnvironment(new ContextTeardown);

}  // namespace
