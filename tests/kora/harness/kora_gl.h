// kora_gl.h - the headless OpenGL test harness for the KORA tests.
//
// 1. A real GL context without display or GPU: an EGL pbuffer on Mesa's surfaceless platform
//    (software rendering), desktop OpenGL compatibility profile, RGBA8 with a 24-bit depth and
//    8-bit stencil buffer. Derive test fixtures from koratest::GLTest (the context is made
//    current in SetUp, 640 x 480 unless the fixture passes another size), or call
//    koratest::makeContextCurrent(w, h) yourself.
//
// 2. A GL call recorder. The test build links KORA statically (KORA_static) with
//    -Wl,--wrap=glEnable,... so every wrapped gl*/glu*/glut* call that the library or the test
//    makes goes through a recorder that notes the name and arguments and then calls the real
//    function. Recording is off until started:
//
//      koratest::startRecording();            // clears, then records
//      state->enableTexture2D();
//      koratest::stopRecording();
//      EXPECT_EQ(koratest::countCalls("glEnable"), 1u);
//      EXPECT_EQ(koratest::recordedCalls()[0].args[0], GL_TEXTURE_2D);
//
//    Arguments are stored as doubles in call order; pointer arguments are expanded to the values
//    they point to (glLoadMatrixf: 16 floats, glMaterialfv: 4 or 1, glVertex3fv: 3, the viewport
//    of gluPickMatrix: 4). Pixel pointers are not expanded. The list of wrapped functions is in
//    tests/kora/harness/CMakeLists.txt (KORA_GL_WRAPPED) and gl_recorder.cpp.
//
// CMake: link the test with kora_test_gl (it brings KORA_static, GL, GLU, EGL and GoogleTest
// with the wrap options), e.g.
//    add_executable(kora_scene_tests ...)
//    target_link_libraries(kora_scene_tests PRIVATE kora_test_gl GTest::gtest_main)
//    gtest_discover_tests(kora_scene_tests)
// Tests that need GLUT's connection to an X server (glutInit) run under Xvfb: see
// kora_add_xvfb_test() in tests/kora/CMakeLists.txt.
#ifndef KORA_TEST_KORA_GL_H
#define KORA_TEST_KORA_GL_H

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace koratest {

// Creates the process's context on first use (or resizes its pbuffer) and makes it current.
// Returns false, with the reason on stderr, when EGL cannot give one.
bool makeContextCurrent(int width = 640, int height = 480);

// Fixture: the context is current in every test; the recorder is cleared and stopped.
class GLTest : public ::testing::Test {
 protected:
  explicit GLTest(int width = 640, int height = 480) : width_(width), height_(height) {}
  void SetUp() override;
  void TearDown() override;
  int width_, height_;
};

// One recorded call: the function name and its arguments as doubles.
struct GLCall {
  std::string name;
  std::vector<double> args;
  std::string str() const;  // "glEnable(GL_TEXTURE_2D)": GL enums by name, the rest as numbers
};

void startRecording();  // clears what was recorded, then records every wrapped call
void stopRecording();
void clearRecording();
bool isRecording();
const std::vector<GLCall>& recordedCalls();
std::vector<std::string> recordedNames();
std::vector<GLCall> recordedCalls(const std::string& name);  // only the calls of that name
std::size_t countCalls(const std::string& name);
// The calls compiled into display lists: those between glNewList and glEndList.
std::vector<GLCall> recordedListContents();
std::string recordedText();  // one call per line, for failure messages

// Records for the lifetime of the object.
class Recording {
 public:
  Recording() { startRecording(); }
  ~Recording() { stopRecording(); }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;
};

}  // namespace koratest

#endif
