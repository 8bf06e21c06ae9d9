// The GL switch tracker: one GL call per real change, lights by index, matrix-mode flags.
#include <KORA/KR_GLState.h>

#include "kora_gl.h"

using KORA::KR_GLState;
using koratest::countCalls;
using koratest::recordedCalls;
using koratest::recordedText;

namespace {

class GLStateTracker : public koratest::GLTest {
 protected:
  KR_GLState* state = nullptr;
  void SetUp() override {
    koratest::GLTest::SetUp();
    state = KR_GLState::getInstance();
  }
};

TEST_F(GLStateTracker, IsOneInstanceWithEverythingOff) {
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state, KR_GLState::getInstance());
  EXPECT_FALSE(state->lighting || state->culling || state->texture2D || state->blending ||
               state->depthTest || state->normalize || state->polygonSmooth || state->fog);
  EXPECT_FALSE(state->light0 || state->light1 || state->light2 || state->light3 || state->light4 ||
               state->light5 || state->light6 || state->light7);
  EXPECT_FALSE(state->_modelview || state->_projection || state->_selection);
}

TEST_F(GLStateTracker, TwoEnablesIssueOneGlEnableAndOneDisableFollows) {
  koratest::startRecording();
  state->enableTexture2D();
  state->enableTexture2D();
  state->disableTexture2D();
  state->disableTexture2D();
  koratest::stopRecording();
  ASSERT_EQ(recordedCalls().size(), 2u) << recordedText();
  EXPECT_EQ(recordedCalls()[0].name, "glEnable");
  EXPECT_EQ(recordedCalls()[0].args.at(0), GL_TEXTURE_2D);
  EXPECT_EQ(recordedCalls()[1].name, "glDisable");
  EXPECT_EQ(recordedCalls()[1].args.at(0), GL_TEXTURE_2D);
  EXPECT_FALSE(state->texture2D);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(GLStateTracker, DisableOfASwitchThatIsOffIssuesNothing) {
  koratest::startRecording();
  state->disableLighting();
  state->disableFog();
  state->disableLight3();
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
}

struct Switch {
  const char* name;
  void (*on)(KR_GLState*);
  void (*off)(KR_GLState*);
  bool (*flag)(const KR_GLState*);
  GLenum cap;
};

void PrintTo(const Switch& s, std::ostream* os) { *os << s.name; }

class GLStateSwitch : public GLStateTracker, public ::testing::WithParamInterface<Switch> {};

TEST_P(GLStateSwitch, MirrorsItsCapabilityInGLAndInItsFlag) {
  const Switch& s = GetParam();
  koratest::startRecording();
  s.on(state);
  EXPECT_TRUE(s.flag(state));
  EXPECT_TRUE(glIsEnabled(s.cap));
  s.on(state);
  s.off(state);
  EXPECT_FALSE(s.flag(state));
  EXPECT_FALSE(glIsEnabled(s.cap));
  koratest::stopRecording();
  ASSERT_EQ(recordedCalls().size(), 2u) << recordedText();
  EXPECT_EQ(recordedCalls()[0].args.at(0), s.cap);
  EXPECT_EQ(recordedCalls()[1].args.at(0), s.cap);
}

#define SWITCH(Name, member, cap)                                                                \
  Switch {                                                                                       \
#Name,                                                                                       \
        [](KR_GLState *                                                                          \
           t) { t->enable##Name(); },                                                            \
                                   [](KR_GLState *                                               \
                                      t) { t->disable##Name(); },                                \
                                                               [](const KR_GLState*              \
                                                                      t) { return t->member; },  \
                                                                                             cap \
  }
INSTANTIATE_TEST_SUITE_P(
    AllPairs, GLStateSwitch,
    ::testing::Values(
        SWITCH(Lighting, lighting, GL_LIGHTING), SWITCH(Culling, culling, GL_CULL_FACE),
        SWITCH(Texture2D, texture2D, GL_TEXTURE_2D), SWITCH(Blending, blending, GL_BLEND),
        SWITCH(DepthTest, depthTest, GL_DEPTH_TEST), SWITCH(Normalize, normalize, GL_NORMALIZE),
        SWITCH(PolygonSmooth, polygonSmooth, GL_POLYGON_SMOOTH), SWITCH(Fog, fog, GL_FOG),
        SWITCH(Light0, light0, GL_LIGHT0), SWITCH(Light1, light1, GL_LIGHT1),
        SWITCH(Light2, light2, GL_LIGHT2), SWITCH(Light3, light3, GL_LIGHT3),
        SWITCH(Light4, light4, GL_LIGHT4), SWITCH(Light5, light5, GL_LIGHT5),
        SWITCH(Light6, light6, GL_LIGHT6), SWITCH(Light7, light7, GL_LIGHT7)),
    [](const ::testing::TestParamInfo<Switch>& info) { return std::string(info.param.name); });

TEST_F(GLStateTracker, LightByIndexIsTheSameSwitchAsTheNamedLight) {
  const bool* flags[8] = {&state->light0, &state->light1, &state->light2, &state->light3,
                          &state->light4, &state->light5, &state->light6, &state->light7};
  for (GLuint i = 0; i < 8; ++i) {
    koratest::startRecording();
    state->enableLighti(i);
    EXPECT_TRUE(*flags[i]) << "light " << i;
    state->enableLight0();
    state->enableLighti(i);
    state->disableLighti(i);
    EXPECT_FALSE(*flags[i]);
    state->disableLight0();
    koratest::stopRecording();
    const auto enables = koratest::recordedCalls("glEnable");
    ASSERT_FALSE(enables.empty());
    EXPECT_EQ(enables[0].args.at(0), GL_LIGHT0 + i);
    EXPECT_EQ(countCalls("glEnable"), i == 0 ? 1u : 2u) << recordedText();
    EXPECT_EQ(countCalls("glDisable"), i == 0 ? 1u : 2u) << recordedText();
  }
}

TEST_F(GLStateTracker, LightEightAndBeyondAreIgnored) {
  koratest::startRecording();
  state->enableLighti(8);
  state->enableLighti(100);
  state->disableLighti(8);
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << recordedText();
  EXPECT_FALSE(state->light0 || state->light7);
}

TEST_F(GLStateTracker, MatrixModeIsSwitchedOnlyWhenNotKnownCurrent) {
  koratest::startRecording();
  state->projection();
  EXPECT_TRUE(state->_projection);
  EXPECT_FALSE(state->_modelview);
  state->modelview();
  state->modelview();
  koratest::stopRecording();
  ASSERT_EQ(recordedCalls().size(), 2u) << recordedText();
  EXPECT_EQ(recordedCalls()[0].name, "glMatrixMode");
  EXPECT_EQ(recordedCalls()[0].args.at(0), GL_PROJECTION);
  EXPECT_EQ(recordedCalls()[1].args.at(0), GL_MODELVIEW);
  EXPECT_TRUE(state->_modelview);
  EXPECT_FALSE(state->_projection);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(GLStateTracker, SelectionModeRoundTripReportsNoHits) {
  GLuint buffer[16];
  glSelectBuffer(16, buffer);
  state->selection_mode();
  EXPECT_TRUE(state->_selection);
  GLint mode = 0;
  glGetIntegerv(GL_RENDER_MODE, &mode);
  EXPECT_EQ(mode, GL_SELECT);
  EXPECT_EQ(state->render_mode(), 0);
  EXPECT_FALSE(state->_selection);
  glGetIntegerv(GL_RENDER_MODE, &mode);
  EXPECT_EQ(mode, GL_RENDER);
  koratest::startRecording();
  EXPECT_EQ(state->render_mode(), 0);
  koratest::stopRecording();
  EXPECT_TRUE(recordedCalls().empty()) << "render_mode outside selection must not call GL";
}

}  // namespace
