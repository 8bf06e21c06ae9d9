// Start-up calls: GLUT initialisation (needs an X server: this program runs under Xvfb), the
// viewport and the 2D orthographic window.
#include <GL/freeglut.h>
#include <KORA/KR_GLState.h>
#include <KORA/KR_Init.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "kora_gl.h"

using namespace KORA;

namespace {

// GLUT may be initialised once per process: every test shares this start-up.
struct StartUp {
  char name[5] = "prog";
  char iconic[8] = "-iconic";  // an option that GLUT consumes
  char other[5] = "keep";
  char* argv[4] = {name, iconic, other, nullptr};
  int argc = 3;
  KR_Init init{argc, argv};
};

StartUp& startUp() {
  static StartUp s;
  return s;
}

TEST(InitGlut, InitialisesGlutWithoutChangingTheCallersCount) {
  StartUp& s = startUp();
  EXPECT_EQ(s.argc, 3);
  EXPECT_EQ(glutGet(GLUT_INIT_STATE), 1);
  EXPECT_STREQ(s.argv[1], "keep");  // GLUT itself still shifts the vector
}

class InitSetUp : public koratest::GLTest {
 protected:
  void SetUp() override {
    koratest::GLTest::SetUp();
    kr = &startUp().init;
  }
  KR_Init* kr = nullptr;
};

TEST_F(InitSetUp, ViewportTakesTopAsYAndBottomAsHeight) {
  kr->vSetViewPort(0, 640, 480, 0);
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(vp[0], 0);
  EXPECT_EQ(vp[1], 0);
  EXPECT_EQ(vp[2], 640);
  EXPECT_EQ(vp[3], 480);
  kr->vSetViewPort(10, 110, 50, 20);
  glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(vp[0], 10);
  EXPECT_EQ(vp[1], 20);
  EXPECT_EQ(vp[2], 100);
  EXPECT_EQ(vp[3], 50);
}

TEST_F(InitSetUp, WindowPassesTopAsTheLowerBound) {
  KR_GLState* state = KR_GLState::getInstance();
  state->modelview();
  koratest::startRecording();
  kr->vSetWindow(0, 640, 480, 0);
  koratest::stopRecording();
  const auto& calls = koratest::recordedCalls();
  ASSERT_EQ(calls.size(), 3u) << koratest::recordedText();
  EXPECT_EQ(calls[0].name, "glMatrixMode");
  EXPECT_EQ(calls[0].args.at(0), GL_PROJECTION);
  EXPECT_EQ(calls[1].name, "glLoadIdentity");
  EXPECT_EQ(calls[2].name, "gluOrtho2D");
  EXPECT_EQ(calls[2].args, (std::vector<double>{0, 640, 0, 480}));
  // y runs from 0 at the bottom to 480 at the top.
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  const glm::mat4 expected = glm::ortho(0.0f, 640.0f, 0.0f, 480.0f, -1.0f, 1.0f);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], glm::value_ptr(expected)[i], 1e-6) << i;
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  EXPECT_TRUE(state->_modelview) << "the tracker is bypassed";
  EXPECT_FALSE(state->_projection);
}

}  // namespace
